// Reading a point's latitude or longitude attribute as an exact count of 1e-9 degree.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lurendo {

inline constexpr int64_t kNanoDegrees = 1'000'000'000;
inline constexpr int64_t kLatitudeLimit = 90;
inline constexpr int64_t kLongitudeLimit = 180;

// Reads the attribute value right behind `key_end` (the position after "lat=" or "lon=" in `text`): it must
// be quoted with ' or " and read as blanks, an optional sign, digits with an optional "." and decimals,
// blanks. Decimals past the ninth are cut, after the range check on the value as written. Returns the value
// in units of 1e-9 degree, or nothing when it is malformed or beyond ±`limit_degrees`.
std::optional<int64_t> leggi_coordinata(std::string_view text, size_t key_end, int64_t limit_degrees);

}  // namespace lurendo
