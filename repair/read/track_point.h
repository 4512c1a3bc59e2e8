// A completed track point, read once: what the filter judges, the store keeps and the output writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/time_of_day.h"
#include "repair/read/point_text.h"

namespace lurendo {

struct PuntoLetto {
    std::string_view testo;      // the block as read, its lines joined without separators; empty when the
                                 // point was read from its lines
    std::optional<int64_t> lat;  // 1e-9 degree; empty when absent, malformed or out of range
    std::optional<int64_t> lon;  // likewise
    OraDelGiorno ora;            // as the laid-out text gives it: 17 characters behind "<time>"
    // The point's entry in the output: these texts, each followed by CR LF. The block cut where the laid-out
    // text breaks its lines; for a plain point laid out as lines already, its four lines, or the one stretch
    // of input that holds them so.
    std::vector<std::string_view> voce;
    std::optional<double> velocita_gps;  // m/s, the device's own speed, from any line of the point
};

// Reads every completed point, whatever the form of its text, into the same PuntoLetto.
class LettorePunti {
  public:
    // The point read from `testo`, with the device speed the reading found; valid until the next call. Its
    // texts refer to `testo`'s bytes, or to a copy of them joined here for a point in lines whose lines
    // alone cannot tell what its block says.
    const PuntoLetto& leggi(const PointText& testo, std::optional<double> velocita_gps);

  private:
    PuntoLetto punto_;  // reused, so that reading a point allocates nothing
    std::string unito_;
};

// Parses `blocco` into `punto`, reusing its storage; `punto`'s texts refer to `blocco`. The device speed,
// which may lie on lines the block leaves out, is not read here: it is cleared. `known`, when given, spares
// the search for the tags.
void leggi_punto(std::string_view blocco, PuntoLetto& punto, const KnownTags* known = nullptr);

// The length of a kept point's entry, every CR LF included.
size_t lunghezza_voce(const PuntoLetto& punto);
// Writes the entry at `to`, which has room for lunghezza_voce(punto) bytes.
void scrivi_voce(const PuntoLetto& punto, char* to);
// Appends the laid-out text of a kept point to `out`: its entry without the last CR LF.
void scrivi_disposto(const PuntoLetto& punto, std::string& out);

}  // namespace lurendo
