#include "repair/point_store.h"

#include <limits>

namespace lurendo {

void PointStore::elaboro_stringa2(const PuntoLetto& punto) {
    points_.push_back(Punto{punto.lat.value_or(0), punto.lon.value_or(0), punto.ora.secondi,
                            punto.velocita_gps.value_or(std::numeric_limits<double>::quiet_NaN()),
                            punto.ora.ore, punto.ora.minuti, punto.ora.leggibile, jump_pending_});
    jump_pending_ = false;
    if (sharing_ && n_punti() % kPublishEvery == 0)
        publish(false);
}

void PointStore::condividi() {
    if (!sharing_)
        sharing_ = std::make_unique<Condivisione>();
    publish(false);
}

void PointStore::chiudi() {
    if (sharing_)
        publish(true);
}

void PointStore::publish(bool closing) {
    {
        std::unique_lock lock(sharing_->mutex);
        sharing_->published = n_punti();
        sharing_->closed = sharing_->closed || closing;
        sharing_->changed.notify_all();
        // A reader that gives points back sets the pace: the writer waits while it is far ahead.
        sharing_->changed.wait(lock, [&] {
            const Condivisione& c = *sharing_;
            return c.closed || c.reader_gone || c.read < 0 || c.published - c.read <= kMaxAhead;
        });
    }
}

void PointStore::letti_fino(int64_t indice) const {
    if (!sharing_)
        return;
    points_.release_before(static_cast<size_t>(indice - 1));
    {
        const std::lock_guard lock(sharing_->mutex);
        sharing_->read = indice - 1;
    }
    sharing_->changed.notify_all();
}

void PointStore::lettore_finito() const {
    if (!sharing_)
        return;
    {
        const std::lock_guard lock(sharing_->mutex);
        sharing_->reader_gone = true;
    }
    sharing_->changed.notify_all();
}

int64_t PointStore::disponibili(int64_t almeno) const {
    if (!sharing_)
        return n_punti();
    std::unique_lock lock(sharing_->mutex);
    sharing_->changed.wait(lock, [&] { return sharing_->published >= almeno || sharing_->closed; });
    return sharing_->published;
}

}  // namespace lurendo
