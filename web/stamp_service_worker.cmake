# Writes the page's service worker from its template (TEMPLATE) into the page's folder (PAGE), with the
# digest of every other file there as its version: a build that changes any file of the page makes a
# worker of its own, which the browser installs in place of the old one with the new files.
file(GLOB files RELATIVE ${PAGE} ${PAGE}/*)
list(SORT files)
list(REMOVE_ITEM files servizio.js)
set(digests "")
foreach(name IN LISTS files)
  file(SHA256 ${PAGE}/${name} digest)
  string(APPEND digests "${name} ${digest}\n")
endforeach()
string(SHA256 version "${digests}")
string(SUBSTRING ${version} 0 16 VERSIONE)
configure_file(${TEMPLATE} ${PAGE}/servizio.js @ONLY)
