#include "repair/coordinates.h"

#include "repair/scan.h"

namespace lurendo {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<int64_t> leggi_coordinata(std::string_view text, size_t key_end, int64_t limit_degrees) {
    const size_t quote_pos = key_end;
    if (quote_pos >= text.size())
        return std::nullopt;
    const char quote = text[quote_pos];
    if (quote != '"' && quote != '\'')
        return std::nullopt;
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
