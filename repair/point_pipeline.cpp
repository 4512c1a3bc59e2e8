#include "repair/point_pipeline.h"

namespace lurendo {

void PointPipeline::blocco_completo(std::string_view blocco_trkpt, std::optional<double> velocita_gps,
                                    const KnownTags* known) {
    ++blocchi_;
    leggi_punto(blocco_trkpt, punto_, known);
    punto_.velocita_gps = velocita_gps;
    switch (filter_.elaboro_stringa(punto_)) {
        case FilterVerdict::Passed:
            output_.punto(punto_);
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
