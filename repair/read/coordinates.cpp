#include "repair/read/coordinates.h"

#include "common/portability.h"
#include "common/simd/kernels.h"
#include "repair/read/gpx_grammar.h"

namespace lurendo {

namespace {

constexpr int64_t kPowersOfTen[] = {1,      10,      100,      1000,      10000,
                                    100000, 1000000, 10000000, 100000000, 1000000000};

// True when the eight bytes at `p` are all digits; `value` then holds the number they write. All eight are
// checked and combined at once, in pairs, then fours, then the eight: the eight-digit conversion within one
// 64-bit word that simdjson and fast_float use (after Wojciech Mula and Daniel Lemire). It wants the first
// digit in the lowest byte, whatever the machine's byte order.
bool eight_digits(const char* p, int64_t& value) {
    uint64_t bytes = load_first_byte_lowest(p);
    constexpr uint64_t kHigh = 0xF0F0F0F0F0F0F0F0;
    // A digit is 0x30-0x39: its high half is 3, and adding 6 does not carry into it.
    if ((bytes & kHigh) != 0x3030303030303030 || ((bytes + 0x0606060606060606) & kHigh) != 0x3030303030303030)
        return false;
    bytes -= 0x3030303030303030;                                   // the first digit is in the lowest byte
    bytes = (bytes * 10 + (bytes >> 8)) & 0x00FF00FF00FF00FF;      // pairs: 0-99 in every other byte
    bytes = (bytes * 100 + (bytes >> 16)) & 0x0000FFFF0000FFFF;    // fours: 0-9999 in every other word
    bytes = (bytes * 10000 + (bytes >> 32)) & 0x00000000FFFFFFFF;  // the eight
    value = static_cast<int64_t>(bytes);
    return true;
}

// The form nearly every file writes: an optional "-", one to three digits, ".", one to nine decimals and the
// closing quote, with nothing else in between. True when `value` starting at `p` has that form; `units`
// then holds it. Anything else is left to the general reading, which gives the same value for this form.
bool read_usual(const char* p, const char* end, char quote, int64_t& units) {
    // The longest such value with its quote: "-", three digits, ".", nine decimals, quote. Shorter text
    // is rare enough for the general reading.
    constexpr ptrdiff_t kLongest = 15;
    if (end - p < kLongest)
        return false;
    const bool negative = *p == '-';
    p += negative;
    if (!is_digit(p[0]))
        return false;
    int64_t whole = p[0] - '0';
    ++p;
    for (int more = 0; more < 2 && is_digit(*p); ++more, ++p)
        whole = whole * 10 + (*p - '0');
    if (*p != '.')
        return false;
    ++p;
    int64_t fraction = 0;
    // Nine decimals, the most a value keeps, are the usual case.
    if (eight_digits(p, fraction) && is_digit(p[8]) && p[9] == quote) {
        units = whole * kNanoDegrees + fraction * 10 + (p[8] - '0');
        units = negative ? -units : units;
        return true;
    }
    const char* const fraction_start = p;
    fraction = 0;
    while (p - fraction_start < 9 && is_digit(*p))
        fraction = fraction * 10 + (*p++ - '0');
    const auto decimals = p - fraction_start;
    if (decimals == 0 || *p != quote)
        return false;
    units = whole * kNanoDegrees + fraction * kPowersOfTen[9 - decimals];
    units = negative ? -units : units;
    return true;
}

}  // namespace

std::optional<int64_t> leggi_coordinata(std::string_view text, size_t key_end, int64_t limit_degrees) {
    const size_t quote_pos = key_end;
    if (quote_pos >= text.size())
        return std::nullopt;
    const char quote = text[quote_pos];
    if (quote != '"' && quote != '\'')
        return std::nullopt;
    int64_t usual = 0;
    if (read_usual(text.data() + quote_pos + 1, text.data() + text.size(), quote, usual)) {
        const int64_t limit = limit_degrees * kNanoDegrees;
        if (usual > limit || usual < -limit)
            return std::nullopt;
        return usual;
    }
    const size_t close_pos = find_byte(text, quote, quote_pos + 1);
    if (close_pos == std::string_view::npos)
        return std::nullopt;
    const std::string_view value = text.substr(quote_pos + 1, close_pos - quote_pos - 1);

    size_t i = 0;
    while (i < value.size() && is_blank(value[i]))
        ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
        negative = value[i] == '-';
        ++i;
    }
    // Integer part: leading zeros are harmless; more than three significant digits is out of any range.
    int64_t whole = 0;
    int significant = 0;
    bool any_digit = false;
    for (; i < value.size() && is_digit(value[i]); ++i) {
        any_digit = true;
        if (whole == 0 && value[i] == '0')
            continue;
        if (++significant > 3)
            return std::nullopt;
        whole = whole * 10 + (value[i] - '0');
    }
    int64_t fraction = 0;
    bool beyond_ninth = false;  // a non-zero decimal past the ninth: the value as written is larger
    if (i < value.size() && value[i] == '.') {
        ++i;
        int decimals = 0;
        for (; i < value.size() && is_digit(value[i]); ++i) {
            any_digit = true;
            if (decimals < 9) {
                fraction = fraction * 10 + (value[i] - '0');
                ++decimals;
            } else if (value[i] != '0') {
                beyond_ninth = true;
            }
        }
        for (; decimals < 9; ++decimals)
            fraction *= 10;
    }
    while (i < value.size() && is_blank(value[i]))
        ++i;
    if (!any_digit || i != value.size())
        return std::nullopt;

    const int64_t units = whole * kNanoDegrees + fraction;
    const int64_t limit = limit_degrees * kNanoDegrees;
    if (units > limit || (units == limit && beyond_ninth))
        return std::nullopt;
    return negative ? -units : units;
}

}  // namespace lurendo
