// A whole run as the window and the command line start it: repair, then statistics over the kept points.
#pragma once

#include <optional>
#include <string>

#include "repair/repair_run.h"
#include "repair/track_state.h"
#include "stats/statistics.h"

namespace lurendo {

// The state a caller creates once and keeps; every run starts it afresh.
struct Sessione {
    RepairState repair;
    Totali totali;
};

struct RunReport {
    RunResult run;
    std::optional<Figure> figure;  // absent when the input could not be read or the run was stopped
};

RunReport esegui_run(Sessione& sessione, const std::string& input_path, const std::string& output_path,
                     const RunCallbacks& callbacks, FileSystem& files = system_file_system());

}  // namespace lurendo
