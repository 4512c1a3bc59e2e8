#include "bench/gpx_layout.h"

#include <chrono>
#include <cstdio>
#include <stdexcept>

namespace lurendo::bench {
namespace {

constexpr std::chrono::year_month_day kFirstDay{std::chrono::year{2019}, std::chrono::month{8},
                                                std::chrono::day{10}};
constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kUnitsPerDegree = 1'000'000'000;

}  // namespace

std::string_view document_header() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
           "<gpx version=\"1.1\" creator=\"lurendo-gen-track\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
           "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
           "http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n"
           "  <trk>\r\n"
           "    <name>Sessione windsurf</name>\r\n"
           "    <trkseg>\r\n";
}

std::string_view document_footer() {
    return "    </trkseg>\r\n"
           "  </trk>\r\n"
           "</gpx>\r\n";
}

std::string coordinate_text(int64_t nanodegrees) {
    if (nanodegrees < 10 * kUnitsPerDegree || nanodegrees >= 100 * kUnitsPerDegree)
        throw std::out_of_range("coordinate without two integer digits");
    char text[16];
    std::snprintf(text, sizeof text, "%02lld.%09lld", static_cast<long long>(nanodegrees / kUnitsPerDegree),
                  static_cast<long long>(nanodegrees % kUnitsPerDegree));
    return text;
}

std::string timestamp_text(int64_t seconds) {
    const std::chrono::year_month_day date{std::chrono::sys_days{kFirstDay} +
                                           std::chrono::days{seconds / kSecondsPerDay}};
    const int64_t of_day = seconds % kSecondsPerDay;
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(of_day / 3600), static_cast<int>(of_day / 60 % 60),
                  static_cast<int>(of_day % 60));
    return text;
}

void append_point(std::string& out, int64_t lat_nanodegrees, int64_t lon_nanodegrees, double elevation,
                  int64_t seconds, std::optional<double> speed_ms) {
    out += "      <trkpt lat=\"";
    out += coordinate_text(lat_nanodegrees);
    out += "\" lon=\"";
    out += coordinate_text(lon_nanodegrees);
    out += "\">\r\n        <ele>";
    char ele[32];
    std::snprintf(ele, sizeof ele, "%.6f", elevation);
    out += ele;
    out += "</ele>\r\n        <time>";
    out += timestamp_text(seconds);
    out += "</time>\r\n";
    if (speed_ms) {
        char speed[48];
        std::snprintf(speed, sizeof speed, "        <speed>%.3f</speed>\r\n", *speed_ms);
        out += speed;
    }
    out += "      </trkpt>\r\n";
}

}  // namespace lurendo::bench
