#include "bench/track_generator.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/gpx_layout.h"
#include "bench/session_simulator.h"
#include "bench/uniform.h"

namespace lurendo::bench {
namespace {

constexpr size_t kPieceBytes = 1 << 20;
// Spikes draw from their own engine, so adding spikes leaves the rest of the track as it was.
constexpr uint64_t kSpikeSeedMix = 0x9E3779B97F4A7C15;

struct Spike {
    int64_t index;
    double dlat;
    double dlon;
};

// Spike k falls in the middle half of the k-th of `spikes` equal stretches: spread over the whole track,
// never on the first or last point, never next to another spike.
std::vector<Spike> place_spikes(const TrackOptions& options) {
    std::mt19937_64 engine(options.seed ^ kSpikeSeedMix);
    std::vector<Spike> placed;
    for (int64_t k = 0; k < options.spikes; ++k) {
        const int64_t begin = k * options.points / options.spikes;
        const int64_t length = (k + 1) * options.points / options.spikes - begin;
        const auto offset = static_cast<int64_t>(uniform(engine, 0, static_cast<double>(length / 2)));
        const auto jump = [&] { return (engine() & 1 ? 1 : -1) * uniform(engine, 0.05, 0.2); };
        // The jump moves the latitude, the longitude or both.
        const auto which = engine() % 3;
        const double dlat = which != 1 ? jump() : 0;
        const double dlon = which != 0 ? jump() : 0;
        placed.push_back({begin + length / 4 + offset, dlat, dlon});
    }
    return placed;
}

int64_t nanodegrees(double degrees) {
    return std::llround(degrees * 1e9);
}

}  // namespace

bool write_track(const TrackOptions& options, const TrackSink& sink) {
    if (!spikes_fit(options.points, options.spikes))
        throw std::invalid_argument("at most one spike per four points, and at least one point");
    if (options.start_second < 0 || options.start_second >= 86400)
        throw std::invalid_argument("start outside the day");

    const std::vector<Spike> spikes = place_spikes(options);
    auto next_spike = spikes.begin();
    SessionSimulator session(options.seed);
    std::string piece;
    piece.reserve(kPieceBytes + 256);
    piece += document_header();
    for (int64_t i = 0; i < options.points; ++i) {
        Fix fix = session.next();
        if (next_spike != spikes.end() && next_spike->index == i) {
            fix.latitude += next_spike->dlat;
            fix.longitude += next_spike->dlon;
            ++next_spike;
        }
        // The receiver's own speed is the simulated one, free of the position noise.
        const std::optional<double> speed =
            options.device_speeds ? std::optional<double>(session.speed_kmh() / 3.6) : std::nullopt;
        append_point(piece, nanodegrees(fix.latitude), nanodegrees(fix.longitude), fix.elevation,
                     options.start_second + i, speed);
        if (piece.size() >= kPieceBytes) {
            if (!sink(piece))
                return false;
            piece.clear();
        }
    }
    piece += document_footer();
    return sink(piece);
}

std::optional<int64_t> parse_time_of_day(std::string_view text) {
    const auto digits = [&](size_t at) -> std::optional<int> {
        const char high = text[at];
        const char low = text[at + 1];
        if (high < '0' || high > '9' || low < '0' || low > '9')
            return std::nullopt;
        return (high - '0') * 10 + (low - '0');
    };
    if (text.size() != 8 || text[2] != ':' || text[5] != ':')
        return std::nullopt;
    const auto hours = digits(0);
    const auto minutes = digits(3);
    const auto seconds = digits(6);
    if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 59)
        return std::nullopt;
    return *hours * 3600 + *minutes * 60 + *seconds;
}

}  // namespace lurendo::bench
