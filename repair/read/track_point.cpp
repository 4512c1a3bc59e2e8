#include "repair/read/track_point.h"

#include <cstring>

#include "common/simd/kernels.h"
#include "repair/read/coordinates.h"
#include "repair/read/gpx_grammar.h"
#include "repair/read/short_copy.h"

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

// Whether the laid-out text of a point read from its block breaks a line in (from, to] of the block: behind
// one of the entry's texts but the last.
bool breaks_within(const PuntoLetto& punto, size_t from, size_t to) {
    for (size_t i = 0; i + 1 < punto.voce.size(); ++i) {
        const auto at = static_cast<size_t>(punto.voce[i].data() + punto.voce[i].size() - punto.testo.data());
        if (at > from && at <= to)
            return true;
    }
    return false;
}

OraDelGiorno leggi_ora_del_blocco(const PuntoLetto& punto, size_t tag) {
    bool fraction = false;
    size_t last = 0;
    const std::string_view field = time_field(punto.testo, tag, fraction, last);
    // The field is that of the laid-out text. It is the same text unless a line break falls inside it
    // or the field reaches the end of the block, which real points never do.
    if (tag != std::string_view::npos && last < punto.testo.size() && !breaks_within(punto, tag, last))
        return leggi_ora(field, fraction);
    std::string laid_out;
    scrivi_disposto(punto, laid_out);
    const std::string_view text(laid_out);
    const size_t laid_tag = text.find(kTimeStart);
    const std::string_view laid_field = time_field(text, laid_tag, fraction, last);
    return leggi_ora(laid_field, fraction);
}

// Reads a plain point laid out as lines from its start and time lines, as leggi_punto reads its block joined:
// its only tags are "<trkpt ...>" alone on its start line and the time element on its time line. False,
// with `punto` in no particular state, where the lines alone cannot tell: a coordinate that is absent or
// unreadable on the start line, or a time-of-day text that does not lie wholly inside its element.
bool leggi_righe(const PointText& testo, PuntoLetto& punto) {
    const std::string_view start_line = testo.parts[0];
    const std::string_view time_line = testo.parts[2];
    // The start line is where the joined block begins, so its first "lat=" and "lon=" are the block's. A
    // value that reads at all holds no ">", so it ends before the line's closing ">" and reads the same
    // whatever follows the line; the reading may look on into the input after it, up to the time line,
    // without leaving the memory. Anything else: the block decides.
    size_t lat_end = 0;
    size_t lon_end = 0;
    find_keys(start_line, lat_end, lon_end);
    if (lat_end == std::string_view::npos || lon_end == std::string_view::npos)
        return false;
    const std::string_view start(start_line.data(),
                                 static_cast<size_t>(time_line.data() - start_line.data()));
    punto.lat = leggi_coordinata(start, lat_end, kLatitudeLimit);
    punto.lon = leggi_coordinata(start, lon_end, kLongitudeLimit);
    if (!punto.lat || !punto.lon)
        return false;
    // Every byte the time reading looks at lies before "</time>": the same bytes as in the block, with no
    // line break of the laid-out text among them.
    const size_t time_at = start_line.size() + testo.parts[1].size();
    const size_t time_open = testo.tags->time_open - time_at;
    if (time_open + kTimeFieldOffset + kTimeFieldLength > testo.tags->time_close - time_at)
        return false;
    bool fraction = false;
    size_t last = 0;
    const std::string_view field = time_field(time_line, time_open, fraction, last);
    punto.ora = leggi_ora(field, fraction);
    punto.testo = {};
    punto.voce.clear();
    if (testo.form == PointText::Form::Verbatim) {
        const std::string_view end_line = testo.parts[3];
        punto.voce.emplace_back(start_line.data(),
                                static_cast<size_t>(end_line.data() + end_line.size() - start_line.data()));
    } else {
        punto.voce.assign(testo.parts.begin(), testo.parts.end());
    }
    return true;
}

}  // namespace

const PuntoLetto& LettorePunti::leggi(const PointText& testo, std::optional<double> velocita_gps) {
    if (testo.form == PointText::Form::Joined || !leggi_righe(testo, punto_)) {
        std::string_view blocco = testo.parts[0];
        if (testo.part_count > 1) {
            size_t size = 0;
            for (size_t i = 0; i < testo.part_count; ++i)
                size += testo.parts[i].size();
            unito_.resize(size);
            char* to = unito_.data();
            for (size_t i = 0; i < testo.part_count; ++i) {
                copy_short(to, testo.parts[i].data(), testo.parts[i].size());
                to += testo.parts[i].size();
            }
            blocco = unito_;
        }
        leggi_punto(blocco, punto_, testo.tags ? &*testo.tags : nullptr);
    }
    punto_.velocita_gps = velocita_gps;
    return punto_;
}

void leggi_punto(std::string_view blocco, PuntoLetto& punto, const KnownTags* known) {
    punto.testo = blocco;
    punto.voce.clear();
    punto.velocita_gps.reset();

    size_t lat_end = 0;
    size_t lon_end = 0;
    find_keys(blocco, lat_end, lon_end);
    punto.lat =
        lat_end != std::string_view::npos ? leggi_coordinata(blocco, lat_end, kLatitudeLimit) : std::nullopt;
    punto.lon =
        lon_end != std::string_view::npos ? leggi_coordinata(blocco, lon_end, kLongitudeLimit) : std::nullopt;

    // The entry is the block cut at each line break of the laid-out text, in order: no break comes before
    // the one found ahead of it, since the blanks before an "<ele>" are never part of an earlier tag.
    size_t cut = 0;
    const auto break_at = [&](size_t at) {
        punto.voce.push_back(blocco.substr(cut, at - cut));
        cut = at;
    };
    size_t time_tag = std::string_view::npos;
    if (known) {
        // What the search below would find in such a block.
        if (known->ele_open >= kEleIndent.size() &&
            has_at(blocco, known->ele_open - kEleIndent.size(), kEleIndent))
            break_at(known->ele_open - kEleIndent.size());
        break_at(known->ele_close + kEleEnd.size());
        break_at(known->time_close + kTimeEnd.size());
        time_tag = known->time_open;
    } else {
        // One pass over the "<": where the line breaks go and where the first "<time>" is. No break creates
        // or splits another match, so these are also the places in the laid-out text.
        for_each_byte(blocco, '<', [&](size_t pos) LURENDO_INLINE {
            switch (tag_at(blocco, pos)) {
                case Tag::EleStart:
                    if (pos >= kEleIndent.size() && has_at(blocco, pos - kEleIndent.size(), kEleIndent))
                        break_at(pos - kEleIndent.size());
                    break;
                case Tag::EleEnd:
                    break_at(pos + kEleEnd.size());
                    break;
                case Tag::TimeEnd:
                    break_at(pos + kTimeEnd.size());
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
    }
    punto.voce.push_back(blocco.substr(cut));
    punto.ora = leggi_ora_del_blocco(punto, time_tag);
}

size_t lunghezza_voce(const PuntoLetto& punto) {
    size_t size = 0;
    for (const std::string_view text : punto.voce)
        size += text.size() + kCrLf.size();
    return size;
}

void scrivi_voce(const PuntoLetto& punto, char* to) {
    for (const std::string_view text : punto.voce) {
        copy_short(to, text.data(), text.size());
        to += text.size();
        std::memcpy(to, kCrLf.data(), kCrLf.size());
        to += kCrLf.size();
    }
}

void scrivi_disposto(const PuntoLetto& punto, std::string& out) {
    const size_t size = lunghezza_voce(punto);
    if (size == 0)
        return;
    const size_t start = out.size();
    out.resize(start + size);
    scrivi_voce(punto, out.data() + start);
    out.resize(out.size() - kCrLf.size());
}

}  // namespace lurendo
