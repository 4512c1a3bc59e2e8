// The time of day of a track point, read once from its text.
#pragma once

#include <cstdint>
#include <string_view>

namespace lurendo {

// Hours and minutes are whole numbers of a clock; seconds keep their fraction. A time that is no clock
// time is unreadable, and leg durations fall back to their estimate for it.
struct OraDelGiorno {
    double secondi = 0;
    uint8_t ore = 0;
    uint8_t minuti = 0;
    bool leggibile = false;
};

// Reads a time-of-day text such as "15:04:05" or "15:04:05.2", split at ":" into hours, minutes and
// seconds. `fraction_follows` says that the seconds piece carries a fraction with "." as its decimal point;
// otherwise the pieces are read with "," before decimals and "." as a group separator. Unreadable unless
// there are three numbers with hours 0-23, minutes 0-59 (both whole) and seconds in [0, 61).
OraDelGiorno leggi_ora(std::string_view text, bool fraction_follows);

}  // namespace lurendo
