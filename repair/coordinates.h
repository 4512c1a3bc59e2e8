// Reading a point's latitude or longitude attribute as an exact count of 1e-9 degree.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lurendo {

inline constexpr int64_t kNanoDegrees = 1'000'000'000;

// Finds the first `key` ("lat=" or "lon=") in `text`; its value must be quoted with ' or " and read as
// blanks, an optional sign, digits with an optional "." and decimals, blanks. Decimals past the ninth are
// cut. Returns the value in units of 1e-9 degree, or nothing when it is absent, malformed or beyond
// ±`limit_degrees`.
std::optional<int64_t> leggi_coordinata(std::string_view text, std::string_view key, int64_t limit_degrees);

inline std::optional<int64_t> leggi_latitudine(std::string_view text) {
    return leggi_coordinata(text, "lat=", 90);
}
inline std::optional<int64_t> leggi_longitudine(std::string_view text) {
    return leggi_coordinata(text, "lon=", 180);
}

}  // namespace lurendo
