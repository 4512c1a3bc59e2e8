// The report of one run, made once here and only laid out by every front end: the outcome and an ordered
// list of entries (the status line, the reason of a failure, the four figures, the speed results and the
// share of time planing), each with its JSON key, its caption, its raw value and its texts.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "run/outcome.h"
#include "run/results.h"

namespace lurendo {

struct RisultatoEsecuzione;

enum class TipoVoce {
    Testo,       // the status line, the reason of a failure: text only
    Cifra,       // one of the four figures: seconds or metres, shown as "h:m:s" or "n km"
    Velocita,    // a speed result, km/h
    Quota,       // the share of time planing, percent
    Fonte,       // where the speed results come from: `numero` is its key, `testo` says it in words
    Intervallo,  // the median time between points, s: `testo` is a warning when it is long, else empty
};

struct Voce {
    TipoVoce tipo = TipoVoce::Testo;
    std::string chiave;            // its key in the JSON object
    std::string titolo;            // its caption, as the window and the tables head it
    std::optional<double> valore;  // raw, in its unit; none when the track has no such figure
    std::string testo;             // as shown: "0,03 km", "12,2", "–" where there is no value
    std::string numero;            // the number alone, without unit; empty without a value
    std::string nodi;              // speeds only: the text in knots
    // Speeds only: the same result from the positions alone, raw and as texts in km/h and in knots.
    std::optional<double> valore_posizioni;
    std::string posizioni;
    std::string posizioni_nodi;
};

// The entries of a finished run, in their order: "lbl_risultato", "motivo", the four figures, the seven
// speed results, "planata_percento", "fonte_velocita", "intervallo_mediano_s". A run without figures has
// the two texts only.
std::vector<Voce> voci_risultato(const RisultatoEsecuzione& risultato);

// The figures of the summed totals of the runs that completed (speed results do not add up; the share of
// time planing does).
std::vector<Voce> voci_somma(const std::vector<RisultatoEsecuzione>& risultati);

// The entry with key `chiave`, or nullptr.
const Voce* trova_voce(const std::vector<Voce>& voci, std::string_view chiave);

// The entries of the speed results and of the share of time planing, in their order, without values or
// texts: the rows of a table before any run, and its columns.
std::vector<Voce> voci_velocita_vuote();

// A speed in km/h as every front end shows it: one decimal after the decimal rounding, "–" without one.
std::string testo_velocita(std::optional<double> kmh);

// The same speed shown in knots, as the tables and the profile show it when knots are chosen.
inline constexpr double kKmhPerKnot = 1.852;
std::string testo_nodi(std::optional<double> kmh);

// A time of day, seconds since midnight, as "hh:mm:ss", with one decimal where it has a fraction
// ("10:04:12,4"); empty where there is none (NaN).
std::string testo_ora(double secondi);

// The runs behind the speed result keyed `chiave` ("2s", "5x10s", …): one, five for "5x10s", none where
// the track holds no such run.
std::vector<Corsa> corse_di(const RisultatiVelocita& velocita, std::string_view chiave);

// "Dalle 10:04:12 alle 10:04:22": when the runs behind a result took place, one line each.
std::string testo_corse(const std::vector<Corsa>& corse);

// Where the speeds come from, as a key ("doppler", "posizioni", "misto").
std::string_view chiave_fonte(FonteVelocita fonte);

// The outcome as a key ("eseguito", "nessun_punto", …) and in words for a table ("nessun punto di traccia").
std::string_view chiave_esito(Esito esito);
std::string_view parole_esito(Esito esito);

// A file name or path to print as text: control characters (C0, DEL, C1) become "\xHH" escapes, so that a
// name cannot move the cursor or recolour a terminal.
std::string nome_stampabile(std::string_view nome);

// The cause behind a failed run's error code, in Italian words ("permesso negato"); empty when there
// is no reason worth telling. For an output, a missing path means a missing folder.
std::string motivo_errore(std::error_code errore, bool uscita = false);

// The status line's texts, made from a run's progress and its result; every front end shows these.
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
std::string testo_stato(const RisultatoEsecuzione& risultato);

// True when the run ended in an error about its files or its content (not when it was stopped).
bool fallito(const RisultatoEsecuzione& risultato);

}  // namespace lurendo
