// A whole generated GPX document: a simulated session at 1 Hz with optional GPS spikes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace lurendo::bench {

struct TrackOptions {
    int64_t points = 3600;
    uint64_t seed = 1;
    int64_t spikes = 0;                // isolated points thrown 0.05 to 0.2 degree off the track
    int64_t start_second = 10 * 3600;  // time of day of the first point
    bool device_speeds = false;        // every point also records the speed the receiver measured
};

// Every spike needs a stretch of four points of its own, so that no two spikes touch.
inline bool spikes_fit(int64_t points, int64_t spikes) {
    return points >= 1 && spikes >= 0 && spikes <= points / 4;
}

// Receives the document in pieces of about a megabyte; returns false to stop the writing.
using TrackSink = std::function<bool(std::string_view)>;

// Writes the document; false when the sink refused a piece. Throws std::invalid_argument for options that
// cannot make a track (see spikes_fit, and a start outside the day).
bool write_track(const TrackOptions& options, const TrackSink& sink);

// Seconds since midnight for "HH:MM:SS"; nothing for any other text.
std::optional<int64_t> parse_time_of_day(std::string_view text);

}  // namespace lurendo::bench
