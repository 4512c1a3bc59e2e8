#include "cli/targets.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "run/files.h"
#include "run/run.h"

namespace lurendo::cli {

namespace fs = std::filesystem;

Destinazioni destinazioni(const Opzioni& o) {
    Destinazioni d;
    if (o.tracce.size() == 1) {
        // An existing folder takes the track under its own name, as a batch does.
        std::error_code error;
        const bool folder = o.uscita && *o.uscita != kStandardOutput && fs::is_directory(*o.uscita, error);
        d.file.push_back(!o.uscita ? (fs::current_path() / "out.gpx").string()
                         : folder  ? (fs::path(*o.uscita) / fs::path(o.tracce.front()).filename()).string()
                                   : *o.uscita);
        if (is_same_file(d.file.front(), o.tracce.front()))
            d.errore = "il file di uscita " + nome_stampabile(d.file.front()) + " è la traccia da riparare";
        return d;
    }
    if (!o.uscita) {
        d.errore = "con più tracce serve -o CARTELLA";
        return d;
    }
    if (*o.uscita == kStandardOutput) {
        d.errore = "con più tracce -o indica una cartella, non lo standard output";
        return d;
    }
    std::set<std::string> names;
    for (const std::string& track : o.tracce) {
        const std::string name = fs::path(track).filename().string();
        if (!names.insert(name).second) {
            d.errore = "due tracce hanno lo stesso nome: " + nome_stampabile(name);
            return d;
        }
        d.file.push_back((fs::path(*o.uscita) / name).string());
    }
    for (const std::string& target : d.file) {
        for (const std::string& track : o.tracce) {
            if (is_same_file(target, track)) {
                d.errore = "il file di uscita " + nome_stampabile(target) + " è una delle tracce da riparare";
                return d;
            }
        }
    }
    return d;
}

}  // namespace lurendo::cli
