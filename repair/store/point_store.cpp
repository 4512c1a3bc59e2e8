#include "repair/store/point_store.h"

#include <algorithm>
#include <limits>

namespace lurendo {

void PointStore::elaboro_stringa2(const PuntoLetto& punto) {
    points_.push_back({punto.lat.value_or(0), punto.lon.value_or(0), punto.ora.secondi,
                       punto.velocita_gps.value_or(std::numeric_limits<double>::quiet_NaN()), punto.ora.ore,
                       punto.ora.minuti, punto.ora.leggibile, jump_pending_});
    jump_pending_ = false;
    if (sharing_ && n_punti() % kPublishEvery == 0)
        sharing_->publish(n_punti());
}

void PointStore::share() {
    if (!sharing_)
        sharing_ = std::make_unique<PublishedCount>(kMaxAhead);
    sharing_->publish(n_punti());
}

void PointStore::close() {
    if (sharing_ && !closed_) {
        sharing_->close(n_punti());
        closed_ = true;
    }
}

void PointStore::release_before(int64_t index) {
    if (sharing_)
        points_.release_before(static_cast<size_t>(index - 1));
}

void PointStore::reader_stopped() {
    if (sharing_)
        sharing_->consumer_stopped();
}

int64_t PointStore::available(int64_t at_least) {
    if (!sharing_)
        return n_punti();
    if (published_ < at_least) {
        sharing_->consumed(at_least - 1);
        const int64_t batch_end = (at_least + kPublishEvery - 1) / kPublishEvery * kPublishEvery;
        published_ = std::min(sharing_->wait_for(at_least), batch_end);
    }
    return published_;
}

}  // namespace lurendo
