// The layout a 1 Hz logger writes: CR LF line ends, fixed indents, coordinates with nine decimals.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lurendo::bench {

// Everything before the first point, up to and including the trkseg start tag.
std::string_view document_header();
// Everything after the last point.
std::string_view document_footer();

// "45.612345678" for 45612345678 units of 1e-9 degree. The layout has room for exactly two integer digits,
// so values outside [10, 100) degrees throw std::out_of_range.
std::string coordinate_text(int64_t nanodegrees);

// "2019-08-10T10:00:00Z" for 36000: the UTC time `seconds` after the midnight that starts the session's
// first day. Long sessions run on into the following days.
std::string timestamp_text(int64_t seconds);

// One point as four lines: trkpt start tag, ele, time, trkpt end tag; with a device speed (m/s), a fifth
// line "<speed>" before the end tag, as GPX 1.0 loggers write it.
void append_point(std::string& out, int64_t lat_nanodegrees, int64_t lon_nanodegrees, double elevation,
                  int64_t seconds, std::optional<double> speed_ms = std::nullopt);

}  // namespace lurendo::bench
