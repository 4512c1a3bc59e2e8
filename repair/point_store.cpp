#include "repair/point_store.h"

#include "common/numbers.h"
#include "repair/coordinates.h"
#include "repair/scan.h"

namespace lurendo {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string_view testo_ora(std::string_view blocco, bool& fraction_follows) {
    const size_t tag = blocco.find("<time>");
    const size_t start = tag == std::string_view::npos ? 16 : tag + 17;
    fraction_follows = false;
    if (start >= blocco.size())
        return {};
    size_t end = start + 8;
    if (end > blocco.size())
        return blocco.substr(start);
    if (end + 1 < blocco.size() && blocco[end] == '.' && is_digit(blocco[end + 1])) {
        fraction_follows = true;
        ++end;
        while (end < blocco.size() && is_digit(blocco[end]))
            ++end;
    }
    return blocco.substr(start, end - start);
}

OraPunto leggi_ora(std::string_view text, bool fraction_follows) {
    // "hh:mm:ss", the form nearly every point has: the digits give the same numbers as the general reading.
    if (text.size() == 8 && text[2] == ':' && text[5] == ':' && is_digit(text[0]) && is_digit(text[1]) &&
        is_digit(text[3]) && is_digit(text[4]) && is_digit(text[6]) && is_digit(text[7])) {
        const auto two = [&](size_t at) {
            return static_cast<double>((text[at] - '0') * 10 + (text[at + 1] - '0'));
        };
        return OraPunto{two(0), two(3), two(6)};
    }
    std::string_view pieces[3];
    size_t count = 0;
    size_t from = 0;
    while (count < 3) {
        const size_t colon = find_byte(text, ':', from);
        pieces[count++] =
            text.substr(from, colon == std::string_view::npos ? std::string_view::npos : colon - from);
        if (colon == std::string_view::npos)
            break;
        from = colon + 1;
    }
    if (count < 3)
        return {};
    const auto h = leggi_numero(pieces[0]);
    const auto m = leggi_numero(pieces[1]);
    const auto s = fraction_follows ? read_number(pieces[2], '.', 0) : leggi_numero(pieces[2]);
    if (!h || !m || !s)
        return {};
    return OraPunto{*h, *m, *s};
}

void PointStore::elaboro_stringa2(std::string_view blocco_trkpt) {
    const auto lat = leggi_latitudine(blocco_trkpt);
    const auto lon = lat ? leggi_longitudine(blocco_trkpt) : std::nullopt;
    if (!lon) {  // what could be read stays; the rest keeps its empty value
        Punto p;
        if (lat)
            p.lat = static_cast<double>(*lat);
        points_.push_back(p);
        return;
    }
    add_point(static_cast<double>(*lat), static_cast<double>(*lon), blocco_trkpt);
}

void PointStore::add_point(double lat_units, double lon_units, std::string_view blocco_trkpt) {
    bool fraction = false;
    const std::string_view ora = testo_ora(blocco_trkpt, fraction);
    points_.push_back(Punto{lat_units, lon_units, leggi_ora(ora, fraction)});
}

}  // namespace lurendo
