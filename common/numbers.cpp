#include "common/numbers.h"

#include <fast_float/fast_float.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

namespace lurendo {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::optional<double> read_number(std::string_view text, char decimal_sep, char group_sep) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && is_blank(text[begin]))
        ++begin;
    while (end > begin && is_blank(text[end - 1]))
        --end;

    // Short texts are the rule (time pieces); a fixed buffer keeps the reading free of allocation.
    char clean[64];
    size_t len = 0;
    bool negative = false;
    if (begin < end && (text[begin] == '+' || text[begin] == '-')) {
        negative = text[begin] == '-';
        ++begin;
    }
    // Plain digits, the usual case for time pieces: exact without going through text conversion.
    if (end - begin <= 15) {
        int64_t whole = 0;
        size_t i = begin;
        while (i < end && text[i] >= '0' && text[i] <= '9')
            whole = whole * 10 + (text[i++] - '0');
        if (i == end && i > begin)
            return negative ? -static_cast<double>(whole) : static_cast<double>(whole);
    }
    bool any_digit = false;
    bool in_fraction = false;
    for (size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            any_digit = true;
            if (len + 2 >= sizeof clean) {
                if (!in_fraction)
                    return std::nullopt;  // more integer digits than any real field holds
                continue;                 // further decimals cannot change a double
            }
            clean[len++] = c;
        } else if (c == decimal_sep && !in_fraction) {
            in_fraction = true;
            clean[len++] = '.';
        } else if (group_sep != 0 && c == group_sep && !in_fraction) {
            continue;
        } else {
            return std::nullopt;
        }
    }
    if (!any_digit)
        return std::nullopt;
    double value = 0;
    // fast_float: the correctly rounded reading std::from_chars gives, also where the standard library
    // has no floating-point from_chars (WebAssembly's).
    const auto [ptr, ec] = fast_float::from_chars(clean, clean + len, value, fast_float::chars_format::fixed);
    if (ec != std::errc() || ptr != clean + len)
        return std::nullopt;
    return negative ? -value : value;
}

std::string numero_testo(double x) {
    if (!std::isfinite(x))
        return std::isnan(x) ? "0" : (x > 0 ? "inf" : "-inf");
    if (x == 0)
        return "0";  // also for -0
    // 15 significant digits in scientific form, then laid out as plain decimal.
    char sci[40];
    std::snprintf(sci, sizeof sci, "%.14e", x);
    const std::string_view s(sci);
    const bool negative = s[0] == '-';
    const size_t mantissa_start = negative ? 1 : 0;
    const size_t e_pos = s.find('e');
    std::string digits;
    for (size_t i = mantissa_start; i < e_pos; ++i) {
        if (s[i] != '.')
            digits.push_back(s[i]);
    }
    const int exponent = std::atoi(sci + e_pos + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out;
    if (negative)
        out.push_back('-');
    const int int_digits = exponent + 1;  // digits before the decimal separator
    if (int_digits <= 0) {
        out += "0,";
        out.append(static_cast<size_t>(-int_digits), '0');
        out += digits;
    } else if (static_cast<size_t>(int_digits) >= digits.size()) {
        out += digits;
        out.append(static_cast<size_t>(int_digits) - digits.size(), '0');
    } else {
        out.append(digits, 0, static_cast<size_t>(int_digits));
        out.push_back(',');
        out.append(digits, static_cast<size_t>(int_digits), std::string::npos);
    }
    return out;
}

double arrotonda(double x, int decimals) {
    static constexpr double kPowers[] = {1, 10, 100, 1000, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double scale = decimals >= 0 && decimals < 10 ? kPowers[decimals] : std::pow(10.0, decimals);
    return std::nearbyint(x * scale) / scale;
}

}  // namespace lurendo
