// One repair run: reads a GPX track, writes the repaired document and fills the point store.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "repair/file_io.h"
#include "repair/track_state.h"

namespace lurendo {

struct RunCallbacks {
    // Status texts: "Righe elaborate: N" while reading (at most once per block of input read, and always
    // with the final count), then the final message. May be empty.
    std::function<void(const std::string&)> status;
    // Asked between blocks of input; true stops the run and leaves the output untouched. May be empty.
    std::function<bool()> cancelled;
};

struct RunResult {
    int64_t righe = 0;            // input lines read
    std::string status;           // the final status text
    bool input_read = false;      // the input was read to its end
    bool output_written = false;  // the output file now holds the new document
    bool cancelled = false;
};

inline constexpr std::string_view kLinesReadText = "Righe elaborate: ";
inline constexpr std::string_view kDoneText = "Procedura eseguita. File: ";
inline constexpr std::string_view kOpenErrorText = "Errore: impossibile aprire il file ";
inline constexpr std::string_view kReadErrorText = "Errore durante la lettura del file ";
inline constexpr std::string_view kWriteErrorText = "Errore: impossibile scrivere il file ";
inline constexpr std::string_view kCancelledText =
    "Elaborazione interrotta: il file di uscita non è stato modificato.";

// Resets `state`, reads `input_path` and replaces `output_path` with the repaired document only when the
// input was read to its end and every write succeeded; otherwise the old output stays as it was.
RunResult ripara(RepairState& state, const std::string& input_path, const std::string& output_path,
                 const RunCallbacks& callbacks, FileSystem& files = system_file_system());

}  // namespace lurendo
