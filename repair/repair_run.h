// The repair pass of a run: reads a GPX track, writes the repaired document and fills the point store.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

#include "repair/files/file_io.h"
#include "repair/store/point_store.h"

namespace lurendo {

enum class EsitoRiparazione {
    Eseguito,              // the input was read and the output replaced
    AperturaFallita,       // the input could not be opened
    LetturaFallita,        // reading the input failed before its end
    ScritturaFallita,      // the input was read, but the output could not be written
    Interrotto,            // stopped on request; the output is untouched
    NessunPunto,           // the input holds no complete track point: nothing to repair
    MemoriaInsufficiente,  // an allocation failed; the output is untouched
    UscitaUgualeIngresso,  // the output would replace the input itself: refused before anything is written
};

struct RepairCallbacks {
    // Lines read so far: at most once per block of input read, and always with the final count. May be empty.
    std::function<void(int64_t righe)> avanzamento;
    // Asked between blocks of input and once more just before the finished document replaces the output;
    // true stops the run and leaves the output untouched. May be empty.
    std::function<bool()> annullato;
};

struct Riparazione {
    EsitoRiparazione esito = EsitoRiparazione::Interrotto;
    std::error_code errore;  // the cause of a failure, none when unknown
    int64_t righe = 0;       // input lines read
    int64_t blocchi = 0;     // track point blocks completed
    PointStore store;        // the kept points
};

// Reads `input_path` and replaces `output_path` with the repaired document only when the input was read to
// its end, held at least one point and every write succeeded; otherwise the old output stays as it was and
// no temporary file is left, also when an exception (an allocation failure) leaves it. An output that is a
// device or a FIFO is written into as the run goes, and keeps what it was given. An output that is the
// input file itself (same path, a link to it) is refused before anything is written. `alongside`, when given,
// is called once with the store: for a long input on a thread of its own while the store fills (it must read
// the store through `available`), otherwise once the input is read; either way it has returned when
// `ripara` does.
Riparazione ripara(const std::string& input_path, const std::string& output_path,
                   const RepairCallbacks& callbacks, FileSystem& files,
                   const std::function<void(PointStore&)>& alongside = {});

}  // namespace lurendo
