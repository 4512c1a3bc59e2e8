#include "repair/filter.h"

#include <cmath>
#include <string_view>

#include "repair/coordinates.h"
#include "repair/scan.h"

namespace lurendo {

namespace {

constexpr double kJumpThreshold = 0.023;
constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kEleEnd = "</ele>";
constexpr std::string_view kTimeEnd = "</time>";

// Difference to the previous value; none, or a previous value of exactly 0, counts as no difference.
double difference(double value, const std::optional<double>& previous) {
    if (!previous || *previous == 0)
        return 0;
    return std::fabs(value - *previous);
}

}  // namespace

void relay_out_point(const std::string& testo, std::string& out) {
    // Every insertion sits next to a "<" (eight blanks before "<ele>", or behind "</ele>" and "</time>"),
    // and none creates or splits another match, so one pass over the "<" gives the same text as the three
    // replacements applied one after the other.
    const std::string_view text(testo);
    size_t copied = 0;
    size_t pos = 0;
    while ((pos = find_byte(text, '<', pos)) != std::string_view::npos) {
        const std::string_view rest = text.substr(pos);
        if (rest.starts_with("<ele>") && pos >= 8 && text.substr(pos - 8, 8) == "        ") {
            out.append(text.substr(copied, pos - 8 - copied));
            out.append(kCrLf);
            copied = pos - 8;
            pos += 5;
            continue;
        }
        size_t end = 0;
        if (rest.starts_with(kEleEnd)) {
            end = pos + kEleEnd.size();
        } else if (rest.starts_with(kTimeEnd)) {
            end = pos + kTimeEnd.size();
        }
        if (end == 0) {
            ++pos;
            continue;
        }
        out.append(text.substr(copied, end - copied));
        out.append(kCrLf);
        copied = end;
        pos = end;
    }
    out.append(text.substr(copied));
}

FilterVerdict TrackpointFilter::elaboro_stringa(std::string& testo) {
    const std::optional<int64_t> lat_units = leggi_latitudine(testo);
    if (!lat_units)
        return FilterVerdict::Unreadable;
    const std::optional<int64_t> lon_units = leggi_longitudine(testo);
    if (!lon_units)
        return FilterVerdict::Unreadable;
    const double lat = static_cast<double>(*lat_units) / 1e9;
    const double lon = static_cast<double>(*lon_units) / 1e9;

    const double dlat = difference(lat, G_latitudine);
    const double dlon = difference(lon, G_longitudine);
    G_latitudine = lat;
    G_longitudine = lon;
    last_lat_units_ = static_cast<double>(*lat_units);
    last_lon_units_ = static_cast<double>(*lon_units);
    if (!(dlat < kJumpThreshold && dlon < kJumpThreshold))
        return FilterVerdict::Dropped;

    relaid_.clear();
    relay_out_point(testo, relaid_);
    testo.swap(relaid_);
    return FilterVerdict::Passed;
}

}  // namespace lurendo
