// Where each repaired track goes.
#pragma once

#include <string>
#include <vector>

#include "cli/options.h"

namespace lurendo::cli {

struct Destinazioni {
    std::vector<std::string> file;  // one per track, in order
    std::string errore;             // why the tracks cannot be written as asked (a usage error)
};

// One track: -o FILE ("-": standard output), -o FOLDER (an existing one: the track's own file name in it),
// or out.gpx in the current folder. Several: each under its own
// file name in the folder -o names. A target that is one of the inputs, or two tracks of the same name, are
// refused.
Destinazioni destinazioni(const Opzioni& opzioni);

}  // namespace lurendo::cli
