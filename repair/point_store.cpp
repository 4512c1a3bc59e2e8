#include "repair/point_store.h"

namespace lurendo {

void PointStore::elaboro_stringa2(const PuntoLetto& punto) {
    points_.push_back(Punto{punto.lat.value_or(0), punto.lon.value_or(0), punto.ora.secondi, punto.ora.ore,
                            punto.ora.minuti, punto.ora.leggibile, jump_pending_});
    jump_pending_ = false;
}

}  // namespace lurendo
