#include "repair/store/point_store.h"

#include <limits>

namespace lurendo {

void PointStore::elaboro_stringa2(const PuntoLetto& punto) {
    points_.push_back({punto.lat.value_or(0), punto.lon.value_or(0), punto.ora.secondi,
                       punto.velocita_gps.value_or(std::numeric_limits<double>::quiet_NaN()), punto.ora.ore,
                       punto.ora.minuti, punto.ora.leggibile, jump_pending_});
    jump_pending_ = false;
    if (sharing_ && n_punti() % kPublishEvery == 0)
        publish(false);
}

void PointStore::share() {
    if (!sharing_)
        sharing_ = std::make_unique<HandOff<int64_t>>(kMaxAhead / kPublishEvery);
    publish(false);
}

void PointStore::close() {
    if (sharing_ && !closed_)
        publish(true);
}

void PointStore::publish(bool closing) {
    // A reader that has stopped takes nothing more; the points are still stored for later.
    sharing_->push(n_punti());
    if (closing) {
        sharing_->close();
        closed_ = true;
    }
}

void PointStore::release_before(int64_t index) const {
    if (sharing_)
        points_.release_before(static_cast<size_t>(index - 1));
}

void PointStore::reader_stopped() const {
    if (sharing_)
        sharing_->consumer_gone();
}

int64_t PointStore::available(int64_t at_least) const {
    if (!sharing_)
        return n_punti();
    while (published_ < at_least) {
        const std::optional<int64_t> published = sharing_->pop();
        if (!published)
            break;
        published_ = *published;
    }
    return published_;
}

}  // namespace lurendo
