#include "common/time_of_day.h"

#include <cmath>

#include "common/numbers.h"

namespace lurendo {

namespace {

constexpr double kHoursPerDay = 24;
constexpr double kMinutesPerHour = 60;
constexpr double kSecondsLimit = 61;  // a leap second still reads as a clock time

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool whole_in(double x, double limit) {
    return x >= 0 && x < limit && x == std::floor(x);
}

OraDelGiorno clock_time(double h, double m, double s) {
    if (!whole_in(h, kHoursPerDay) || !whole_in(m, kMinutesPerHour) || !(s >= 0 && s < kSecondsLimit))
        return {};
    return OraDelGiorno{s, static_cast<uint8_t>(h), static_cast<uint8_t>(m), true};
}

}  // namespace

OraDelGiorno leggi_ora(std::string_view text, bool fraction_follows) {
    // "hh:mm:ss", the form nearly every point has: the digits give the same numbers as the general reading.
    if (text.size() == 8 && text[2] == ':' && text[5] == ':' && is_digit(text[0]) && is_digit(text[1]) &&
        is_digit(text[3]) && is_digit(text[4]) && is_digit(text[6]) && is_digit(text[7])) {
        const auto two = [&](size_t at) { return (text[at] - '0') * 10 + (text[at + 1] - '0'); };
        return clock_time(two(0), two(3), two(6));
    }
    std::string_view pieces[3];
    size_t count = 0;
    size_t from = 0;
    while (count < 3) {
        const size_t colon = text.find(':', from);
        pieces[count++] = text.substr(from, colon == std::string_view::npos ? colon : colon - from);
        if (colon == std::string_view::npos)
            break;
        from = colon + 1;
    }
    if (count < 3)
        return {};
    const auto h = read_number(pieces[0]);
    const auto m = read_number(pieces[1]);
    const auto s = fraction_follows ? read_number(pieces[2], '.', 0) : read_number(pieces[2]);
    if (!h || !m || !s)
        return {};
    return clock_time(*h, *m, *s);
}

}  // namespace lurendo
