#include "repair/track_point.h"

#include <cstring>

#include "common/simd/kernels.h"
#include "repair/coordinates.h"
#include "repair/gpx_grammar.h"
#include "repair/short_copy.h"

namespace lurendo {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr size_t kTimeFieldOffset = 17;  // behind "<time>" and a date such as "2009-07-14T"
constexpr size_t kNoTimeFieldStart = 16;
constexpr size_t kTimeFieldLength = 8;

// The ends of the first "lat=" and "lon=": every occurrence ends in "=", so the first "=" behind each name
// is its first occurrence, and one pass over the "=" signs finds both.
void find_keys(std::string_view text, size_t& lat_end, size_t& lon_end) {
    lat_end = lon_end = std::string_view::npos;
    size_t pos = 3;
    while ((pos = find_byte(text, '=', pos)) != std::string_view::npos) {
        const char* name = text.data() + pos - 3;
        if (name[0] == 'l' && name[1] == 'a' && name[2] == 't' && lat_end == std::string_view::npos)
            lat_end = pos + 1;
        else if (name[0] == 'l' && name[1] == 'o' && name[2] == 'n' && lon_end == std::string_view::npos)
            lon_end = pos + 1;
        if (lat_end != std::string_view::npos && lon_end != std::string_view::npos)
            return;
        ++pos;
    }
}

// The time-of-day text of a laid-out block: the eight characters 17 behind "<time>" (or from the 17th
// character when there is none), followed by "." and digits when they come right after. `last` is the
// last position the reading looked at.
std::string_view time_field(std::string_view text, size_t tag, bool& fraction_follows, size_t& last) {
    const size_t start = tag == std::string_view::npos ? kNoTimeFieldStart : tag + kTimeFieldOffset;
    fraction_follows = false;
    last = text.size();
    if (start >= text.size())
        return {};
    size_t end = start + kTimeFieldLength;
    if (end > text.size())
        return text.substr(start);
    if (end + 1 < text.size() && text[end] == '.' && is_digit(text[end + 1])) {
        fraction_follows = true;
        ++end;
        while (end < text.size() && is_digit(text[end]))
            ++end;
    }
    last = end + 1;
    return text.substr(start, end - start);
}

OraDelGiorno read_time(const PuntoLetto& punto, size_t tag) {
    bool fraction = false;
    size_t last = 0;
    const std::string_view field = time_field(punto.testo, tag, fraction, last);
    // The field is that of the laid-out text. It is the same text unless a line break falls inside it
    // or the field reaches the end of the block, which real points never do.
    bool same = tag != std::string_view::npos && last < punto.testo.size();
    for (const uint32_t b : punto.a_capo) {
        if (b > tag && b <= last) {
            same = false;
            break;
        }
    }
    if (same)
        return leggi_ora(field, fraction);
    std::string laid_out;
    scrivi_disposto(punto, laid_out);
    const std::string_view text(laid_out);
    const size_t laid_tag = text.find(kTimeStart);
    const std::string_view laid_field = time_field(text, laid_tag, fraction, last);
    return leggi_ora(laid_field, fraction);
}

}  // namespace

bool leggi_righe(std::string_view start, size_t start_size, std::string_view time_line, size_t time_open,
                 size_t time_close, PuntoLetto& punto) {
    // The start line is where the joined block begins, so its first "lat=" and "lon=" are the block's. A
    // value that reads at all holds no ">", so it ends before the line's closing ">" and reads the same
    // whatever follows the line. Anything else: the block decides.
    size_t lat_end = 0;
    size_t lon_end = 0;
    find_keys(start.substr(0, start_size), lat_end, lon_end);
    if (lat_end == std::string_view::npos || lon_end == std::string_view::npos)
        return false;
    punto.lat = leggi_coordinata(start, lat_end, kLatitudeLimit);
    punto.lon = leggi_coordinata(start, lon_end, kLongitudeLimit);
    if (!punto.lat || !punto.lon)
        return false;
    // Every byte the time reading looks at lies before "</time>": the same bytes as in the block, with no
    // line break of the laid-out text among them.
    if (time_open + kTimeFieldOffset + kTimeFieldLength > time_close)
        return false;
    bool fraction = false;
    size_t last = 0;
    const std::string_view field = time_field(time_line, time_open, fraction, last);
    punto.ora_rimandata = field.size() == punto.ora_da_leggere.size() && !fraction;
    if (punto.ora_rimandata)
        std::memcpy(punto.ora_da_leggere.data(), field.data(), field.size());
    else
        punto.ora = leggi_ora(field, fraction);
    punto.testo = {};
    punto.a_capo.clear();
    punto.velocita_gps.reset();
    return true;
}

void leggi_punto(std::string_view blocco, PuntoLetto& punto, const KnownTags* known) {
    punto.testo = blocco;
    punto.ora_rimandata = false;
    punto.a_capo.clear();
    punto.velocita_gps.reset();

    size_t lat_end = 0;
    size_t lon_end = 0;
    find_keys(blocco, lat_end, lon_end);
    punto.lat =
        lat_end != std::string_view::npos ? leggi_coordinata(blocco, lat_end, kLatitudeLimit) : std::nullopt;
    punto.lon =
        lon_end != std::string_view::npos ? leggi_coordinata(blocco, lon_end, kLongitudeLimit) : std::nullopt;

    // One pass over the "<": where the line breaks go and where the first "<time>" is. No break creates
    // or splits another match, so these are also the places in the laid-out text.
    size_t time_tag = std::string_view::npos;
    if (known) {
        // What the search below would find in such a block.
        if (known->ele_open >= kEleIndent.size() &&
            has_at(blocco, known->ele_open - kEleIndent.size(), kEleIndent))
            punto.a_capo.push_back(static_cast<uint32_t>(known->ele_open - kEleIndent.size()));
        punto.a_capo.push_back(static_cast<uint32_t>(known->ele_close + kEleEnd.size()));
        punto.a_capo.push_back(static_cast<uint32_t>(known->time_close + kTimeEnd.size()));
        punto.ora = read_time(punto, known->time_open);
        return;
    }
    for_each_byte(blocco, '<', [&](size_t pos) LURENDO_INLINE {
        switch (tag_at(blocco, pos)) {
            case Tag::EleStart:
                if (pos >= kEleIndent.size() && has_at(blocco, pos - kEleIndent.size(), kEleIndent))
                    punto.a_capo.push_back(static_cast<uint32_t>(pos - kEleIndent.size()));
                break;
            case Tag::EleEnd:
                punto.a_capo.push_back(static_cast<uint32_t>(pos + kEleEnd.size()));
                break;
            case Tag::TimeEnd:
                punto.a_capo.push_back(static_cast<uint32_t>(pos + kTimeEnd.size()));
                break;
            case Tag::TimeStart:
                if (time_tag == std::string_view::npos)
                    time_tag = pos;
                break;
            default:
                break;
        }
        return true;
    });
    punto.ora = read_time(punto, time_tag);
}

size_t laid_out_size(const PuntoLetto& punto) {
    return punto.testo.size() + kCrLf.size() * punto.a_capo.size();
}

void scrivi_disposto(const PuntoLetto& punto, std::string& out) {
    const size_t start = out.size();
    out.resize(start + laid_out_size(punto));
    scrivi_disposto(punto, out.data() + start);
}

void scrivi_disposto(const PuntoLetto& punto, char* to) {
    size_t copied = 0;
    for (const uint32_t b : punto.a_capo) {
        copy_short(to, punto.testo.data() + copied, b - copied);
        to += b - copied;
        std::memcpy(to, kCrLf.data(), kCrLf.size());
        to += kCrLf.size();
        copied = b;
    }
    copy_short(to, punto.testo.data() + copied, punto.testo.size() - copied);
}

}  // namespace lurendo
