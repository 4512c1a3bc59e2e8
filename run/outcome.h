// How a run ends, and what a front end may hand it to follow and stop it.
#pragma once

#include <cstdint>
#include <functional>

namespace lurendo {

enum class Esito {
    Eseguito,              // the input was read and the output replaced
    AperturaFallita,       // the input could not be opened
    LetturaFallita,        // reading the input failed before its end
    ScritturaFallita,      // the input was read, but the output could not be written
    Interrotto,            // stopped on request; the output is untouched
    NessunPunto,           // the input holds no complete track point: nothing to repair
    MemoriaInsufficiente,  // an allocation failed; the output is untouched
    UscitaUgualeIngresso,  // the output would replace the input itself: refused before anything is written
};

struct RunCallbacks {
    // Lines read so far: at most once per block of input read, and always with the final count. May be empty.
    std::function<void(int64_t righe)> avanzamento;
    // Asked between blocks of input and once more just before the finished document replaces the output;
    // true stops the run and leaves the output untouched. May be empty.
    std::function<bool()> annullato;
};

}  // namespace lurendo
