// The command line of lurendo-cli, read with Italian help and messages.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lurendo::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;

struct Opzioni {
    std::vector<std::string> tracce;
    std::optional<std::string> uscita;  // a file with one track, a folder with several
    bool json = false;
    bool csv = false;
    bool silenzioso = false;  // no status line nor figures: only errors, on stderr
};

// What reading the command line came to: options to run with, or an exit code after printing help, the
// version or a usage error.
struct Lettura {
    std::optional<Opzioni> opzioni;
    int uscita_programma = kExitOk;
};

Lettura leggi_opzioni(int argc, char** argv);

}  // namespace lurendo::cli
