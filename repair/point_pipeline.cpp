#include "repair/point_pipeline.h"

namespace lurendo {

void PointPipeline::blocco_completo(std::string_view blocco_trkpt, std::optional<double> velocita_gps,
                                    const KnownTags* known) {
    ++blocchi_;
    leggi_punto(blocco_trkpt, punto_, known);
    punto_.velocita_gps = velocita_gps;
    judge([&] { output_.punto(punto_); });
}

bool PointPipeline::punto_semplice(const PlainPoint& point, std::optional<double> velocita_gps) {
    if (!point.laid_out_as_lines)
        return false;
    // The lines lie in order in one stretch of the input; the time tags as the time line has them.
    const std::string_view start(point.lines[0].data(),
                                 static_cast<size_t>(point.lines[2].data() - point.lines[0].data()));
    const size_t time_at = point.lines[0].size() + point.lines[1].size();
    if (!leggi_righe(start, point.lines[0].size(), point.lines[2], point.tags.time_open - time_at,
                     point.tags.time_close - time_at, punto_))
        return false;
    ++blocchi_;
    punto_.velocita_gps = velocita_gps;
    judge([&] {
        if (point.laid_out_in_input)
            output_.voce(point.entry_in_input());
        else
            output_.punto_in_righe(point.lines);
    });
    return true;
}

template <typename Write>
void PointPipeline::judge(Write&& write) {
    switch (filter_.elaboro_stringa(punto_)) {
        case FilterVerdict::Passed:
            write();
            store_.elaboro_stringa2(punto_);
            break;
        case FilterVerdict::Dropped:
            output_.punto_scartato();
            store_.segna_salto();
            break;
        case FilterVerdict::Unreadable:
            break;  // no entry at all
    }
}

}  // namespace lurendo
