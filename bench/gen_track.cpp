// lurendo-gen-track: writes a simulated 1 Hz windsurf session as GPX, for the benchmark and the sample.
// The bundled examples/sample.gpx is: lurendo-gen-track --points 3600 --seed 7 --spikes 3 examples/sample.gpx
#include <getopt.h>

#include <charconv>
#include <cstdio>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "bench/track_generator.h"

namespace {

constexpr int kUsageError = 2;
constexpr const char* kUsage =
    "usage: lurendo-gen-track [--points N] [--seed S] [--spikes K] [--start HH:MM:SS] [--speeds] OUT.gpx\n"
    "  --points N   number of points, one per second (default 3600)\n"
    "  --seed S     seed of the simulated session (default 1)\n"
    "  --spikes K   isolated GPS spikes spread over the track, at most N/4 (default 0)\n"
    "  --start T    time of day of the first point (default 10:00:00)\n"
    "  --speeds     every point also records the receiver's own speed (<speed>, m/s)\n";

template <typename Number>
std::optional<Number> parse_number(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

int usage_error(const std::string& message) {
    std::fprintf(stderr, "lurendo-gen-track: %s\n%s", message.c_str(), kUsage);
    return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
    lurendo::bench::TrackOptions options;
    const option long_options[] = {{"points", required_argument, nullptr, 'n'},
                                   {"seed", required_argument, nullptr, 's'},
                                   {"spikes", required_argument, nullptr, 'k'},
                                   {"start", required_argument, nullptr, 't'},
                                   {"speeds", no_argument, nullptr, 'v'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {nullptr, 0, nullptr, 0}};
    opterr = 0;  // our own message, with the usage
    for (int option; (option = getopt_long(argc, argv, "h", long_options, nullptr)) != -1;) {
        const std::string_view value = optarg ? optarg : "";
        std::optional<int64_t> number;
        std::optional<uint64_t> seed;
        switch (option) {
            case 'n':
                if (!(number = parse_number<int64_t>(value)) || *number < 1)
                    return usage_error("--points needs a whole number of at least 1");
                options.points = *number;
                break;
            case 's':
                if (!(seed = parse_number<uint64_t>(value)))
                    return usage_error("--seed needs a whole number");
                options.seed = *seed;
                break;
            case 'k':
                if (!(number = parse_number<int64_t>(value)) || *number < 0)
                    return usage_error("--spikes needs a whole number");
                options.spikes = *number;
                break;
            case 't':
                if (!(number = lurendo::bench::parse_time_of_day(value)))
                    return usage_error("--start needs a time of day as HH:MM:SS");
                options.start_second = *number;
                break;
            case 'v':
                options.device_speeds = true;
                break;
            case 'h':
                std::fputs(kUsage, stdout);
                return 0;
            default:
                return usage_error("unknown option or missing value");
        }
    }
    if (optind + 1 != argc)
        return usage_error("exactly one output file expected");
    if (!lurendo::bench::spikes_fit(options.points, options.spikes))
        return usage_error("at most one spike per four points");

    const std::string path = argv[optind];
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) {
        std::perror(path.c_str());
        return 1;
    }
    const bool written = lurendo::bench::write_track(options, [out](std::string_view piece) {
        return std::fwrite(piece.data(), 1, piece.size(), out) == piece.size();
    });
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "lurendo-gen-track: cannot write %s\n", path.c_str());
        std::remove(path.c_str());
        return 1;
    }
    return 0;
}
