#include "cli/targets.h"

#include <sys/stat.h>

#include <filesystem>
#include <set>

namespace lurendo::cli {

namespace fs = std::filesystem;

namespace {

// The same file: by device and inode when both exist, else by their absolute, normalised paths.
bool same_file(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    std::error_code ec;
    return fs::weakly_canonical(a, ec) == fs::weakly_canonical(b, ec);
}

}  // namespace

Destinazioni destinazioni(const Opzioni& o) {
    Destinazioni d;
    if (o.tracce.size() == 1) {
        d.file.push_back(o.uscita ? *o.uscita : (fs::current_path() / "out.gpx").string());
        return d;
    }
    if (!o.uscita) {
        d.errore = "con più tracce serve -o CARTELLA";
        return d;
    }
    std::set<std::string> names;
    for (const std::string& track : o.tracce) {
        const std::string name = fs::path(track).filename().string();
        if (!names.insert(name).second) {
            d.errore = "due tracce hanno lo stesso nome: " + name;
            return d;
        }
        d.file.push_back((fs::path(*o.uscita) / name).string());
    }
    for (const std::string& target : d.file) {
        for (const std::string& track : o.tracce) {
            if (same_file(target, track)) {
                d.errore = "il file di uscita " + target + " è una delle tracce da riparare";
                return d;
            }
        }
    }
    return d;
}

}  // namespace lurendo::cli
