// The status line's texts, made from a run's progress and its result; both front ends show these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "run/run.h"

namespace lurendo {

inline constexpr std::string_view kLinesReadText = "Righe elaborate: ";
inline constexpr std::string_view kDoneText = "Procedura eseguita. File: ";
inline constexpr std::string_view kOpenErrorText = "Errore: impossibile aprire il file ";
inline constexpr std::string_view kReadErrorText = "Errore durante la lettura del file ";
inline constexpr std::string_view kWriteErrorText = "Errore: impossibile scrivere il file ";
inline constexpr std::string_view kNoPointsText = "Errore: nessun punto di traccia nel file ";
inline constexpr std::string_view kNoMemoryText = "Errore: memoria insufficiente per il file ";
inline constexpr std::string_view kSameFileText =
    "Errore: il file di uscita coincide con il file da riparare ";
inline constexpr std::string_view kCancelledText =
    "Elaborazione interrotta: il file di uscita non è stato modificato.";

// "Righe elaborate: N".
std::string testo_avanzamento(int64_t righe);

// The final status text: the outcome, the path it concerns (printable: control characters escaped) and,
// for a failure, the reason in parentheses.
std::string testo_stato(const RisultatoRun& risultato);

// True when the run ended in an error about its files or its content (not when it was stopped).
bool fallito(const RisultatoRun& risultato);

}  // namespace lurendo
