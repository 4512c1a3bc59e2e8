// A completed track point block, parsed once: what the filter judges, the store keeps and the output writes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/time_of_day.h"

namespace lurendo {

struct PuntoLetto {
    std::string_view testo;      // the block as read, its lines joined without separators
    std::optional<int64_t> lat;  // 1e-9 degree; empty when absent, malformed or out of range
    std::optional<int64_t> lon;  // likewise
    OraDelGiorno ora;            // as the laid-out text gives it: 17 characters behind "<time>"
    // Or, when the reading left it to whoever reads the point later (leggi_righe does, so that the
    // statistics thread rather than the reading one pays for it): the eight characters of a "hh:mm:ss"
    // text without a fraction, which leggi_ora(text, false) turns into `ora`.
    std::array<char, 8> ora_da_leggere{};
    bool ora_rimandata = false;
    std::vector<uint32_t> a_capo;        // offsets in `testo` before which the laid-out text has a CR LF
    std::optional<double> velocita_gps;  // m/s, the device's own speed, from any line of the point
};

// Where the tags that shape the laid-out text stand in a block whose only other tags are its "<trkpt" and
// "</trkpt>", when the reading already knows them (a plainly laid-out point).
struct KnownTags {
    size_t ele_open;    // "<ele>"
    size_t ele_close;   // "</ele>"
    size_t time_open;   // "<time>"
    size_t time_close;  // "</time>"
};

// Parses `blocco` into `punto`, reusing its storage; `punto.testo` refers to `blocco`. The device speed,
// which may lie on lines the block leaves out, is not read here: it is cleared. `known`, when given, spares
// the search for the tags.
void leggi_punto(std::string_view blocco, PuntoLetto& punto, const KnownTags* known = nullptr);

// Parses a point from its lines as leggi_punto parses them joined, for a point whose only tags are
// "<trkpt ...>" alone on its start line and the time element on `time_line` (from `time_open` to the "<" of
// `time_close`), among others on lines between. `start` is the start line followed by the input after it,
// which a reading may look at without leaving the memory; `start_size` is the line's own length.
// The time of day is left to the reader when it is the usual eight characters (see ora_rimandata).
// `punto.testo` is then empty. False, with `punto` in no particular state, where the lines alone cannot
// tell: a coordinate that is absent or unreadable on the start line, or a time-of-day text that does not lie
// wholly inside its element.
bool leggi_righe(std::string_view start, size_t start_size, std::string_view time_line, size_t time_open,
                 size_t time_close, PuntoLetto& punto);

// The laid-out text of a kept point: its block with a CR LF before every "        <ele>" (eight blanks)
// and after every "</ele>" and "</time>".
size_t laid_out_size(const PuntoLetto& punto);
// Writes it at `to`, which has room for laid_out_size(punto) bytes.
void scrivi_disposto(const PuntoLetto& punto, char* to);
// Appends it to `out`.
void scrivi_disposto(const PuntoLetto& punto, std::string& out);

}  // namespace lurendo
