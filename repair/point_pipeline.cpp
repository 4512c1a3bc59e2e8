#include "repair/point_pipeline.h"

namespace lurendo {

void PointPipeline::blocco_completo(const PointText& testo, std::optional<double> velocita_gps) {
    ++blocchi_;
    const PuntoLetto& punto = lettore_.leggi(testo, velocita_gps);
    switch (filter_.elaboro_stringa(punto)) {
        case FilterVerdict::Passed:
            output_.voce(punto);
            store_.elaboro_stringa2(punto);
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
