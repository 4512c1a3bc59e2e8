#include "stats/speed_results.h"

#include <algorithm>
#include <cmath>

#include "stats/totals.h"

namespace lurendo::stats {

namespace {

// Sums of fractional durations are not exact in doubles, whatever the order: a run reaches its target
// within this much.
constexpr double kTolerance = 0.001;
constexpr double kAlphaShortest = 250;  // m
constexpr double kAlphaLongest = 500;   // m
constexpr double kAlphaGate = 50;       // m between the ends of an alpha
constexpr double kMetresPerKm = 1000;
constexpr double kEarthRadiusM = 6378700;  // the sphere the legs are measured on
constexpr size_t kRuns = 5;                // of the "5 × 10 s" result
// Better disjoint windows that rule a candidate out for good: a window overlaps at most three disjoint ones
// (two, but for the tolerance on their lengths), so five taken windows block at most fifteen.
constexpr size_t kDisjointToDiscard = 15;

// Faster first; among equal speeds the earlier window. The order is total, so that every sort gives the
// same sequence whatever the library's algorithm.
template <typename C>
bool ranks_before(const C& a, const C& b) {
    if (a.velocita != b.velocita)
        return a.velocita > b.velocita;
    if (a.a != b.a)
        return a.a < b.a;
    return a.da < b.da;
}

// Windows that only touch do not overlap.
template <typename C>
bool overlap(const C& x, const C& y) {
    return x.da < y.a - kTolerance && y.da < x.a - kTolerance;
}

template <typename M, typename E>
void keep_best(std::optional<M>& best, double speed, const E& make_ends) {
    if (!best || speed > best->velocita)
        best = M{speed, make_ends()};  // an equal speed ending later does not replace the earlier run
}

std::optional<double> speed_of(const auto& best) {
    return best ? std::optional<double>(best->velocita) : std::nullopt;
}

std::optional<Corsa> run_of(const auto& best) {
    return best ? std::optional<Corsa>(best->estremi.corsa()) : std::nullopt;
}

constexpr double kSecondsPerDay = 86400;

// A time of day `offset` seconds from `ora`, on the clock: it goes round at midnight.
double clock_time(double ora, double offset) {
    const double t = std::fmod(ora + offset, kSecondsPerDay);
    return t < 0 ? t + kSecondsPerDay : t;
}

}  // namespace

CalcoloVelocita::CalcoloVelocita()
    : time_windows_({{2, 0, 0, {}}, {10, 0, 0, {}}, {3600, 0, 0, {}}}),
      windows_({{500, 0, {}}, {1852, 0, {}}}) {}

void CalcoloVelocita::inizio(const PuntoRadianti& punto, double ora) {
    const uint64_t index = live() == 0 ? base_ : base_ + live();
    if (live() > 0)
        run_offset_ += points_.back().tempo;
    points_.clear();
    head_ = 0;
    base_ = index;
    points_.push_back({punto, 0, 0, 0, ora});
    for (FinestraTempo& window : time_windows_)
        window.inizio = window.prossimo = index;
    for (Finestra& window : windows_)
        window.inizio = index;
    alpha_from_ = index;
    smallest_keys_.clear();
    next_key_ = index;
}

void CalcoloVelocita::tratto(const Tratto& leg, const PuntoRadianti& fine, double ora) {
    const Punto& last = points_.back();
    Punto next{fine};
    next.ora = ora;
    next.tempo = last.tempo + leg.t;
    next.spazio = last.spazio + (leg.v / kKmhPerMs) * leg.t;
    next.percorso = last.percorso + leg.d_km * kMetresPerKm;
    points_.push_back(next);
    for (FinestraTempo& window : time_windows_)
        advance(window);
    for (Finestra& window : windows_)
        advance(window);
    alpha();
    // Dropping the points no window reaches any more can wait: a few more kept points change nothing.
    if (++legs_ % kTrimEvery == 0)
        trim();
}

void CalcoloVelocita::advance(FinestraTempo& w) {
    const uint64_t end = base_ + live() - 1;
    const Punto& last = points_.back();
    const Punto& before = at(end - 1);
    const double leg_seconds = last.tempo - before.tempo;
    // Windows starting at a point whose end falls inside the newest leg: the leg counts for the part inside
    // at its own average speed. One that ends on the newest point is the window ending there, below.
    for (; w.prossimo < end && at(w.prossimo).tempo + w.durata <= last.tempo + kTolerance; ++w.prossimo) {
        const Punto& start = at(w.prossimo);
        const double to = start.tempo + w.durata;
        if (to < last.tempo - kTolerance) {
            const double inside =
                before.spazio + (last.spazio - before.spazio) / leg_seconds * (to - before.tempo);
            consider(w, (inside - start.spazio) / w.durata * kKmhPerMs, start.tempo, to,
                     [&] { return ends(w.prossimo, end, w.prossimo, 0, w.durata); });
        }
    }
    // The window ending at the newest point. Its start lies in the leg after w.inizio, or on w.inizio.
    const double from = last.tempo - w.durata;
    if (from < -kTolerance)
        return;  // the run is not yet that long: it starts at 0 s
    while (w.inizio + 1 < end && at(w.inizio + 1).tempo <= from + kTolerance)
        ++w.inizio;
    const Punto& first = at(w.inizio);
    const double cut = from - first.tempo;
    if (cut <= kTolerance) {
        const double seconds = last.tempo - first.tempo;
        if (seconds > 0)
            consider(w, (last.spazio - first.spazio) / seconds * kKmhPerMs, first.tempo, last.tempo,
                     [&] { return ends(w.inizio, end, end, seconds, 0); });
        return;
    }
    const Punto& next = at(w.inizio + 1);
    const double outside = (next.spazio - first.spazio) / (next.tempo - first.tempo) * cut;
    consider(w, (last.spazio - first.spazio - outside) / w.durata * kKmhPerMs, from, last.tempo,
             [&] { return ends(w.inizio, end, end, w.durata, 0); });
}

// A window of `w` from `from` to `to` s of the current run at `speed` km/h.
template <typename MakeEnds>
void CalcoloVelocita::consider(FinestraTempo& w, double speed, double from, double to,
                               const MakeEnds& make_ends) {
    keep_best(w.migliore, speed, make_ends);
    // A window no faster than the slowest of the disjoint windows kept at the last pruning ends no earlier
    // than all of them, so those rule it out: it is not kept at all.
    if (w.durata == 10 && !(pruning_floor_ && speed <= *pruning_floor_)) {
        candidates_.push_back({speed, run_offset_ + from, run_offset_ + to, make_ends()});
        if (candidates_.size() > 2 * pruned_size_ + 64)
            prune_candidates();
    }
}

void CalcoloVelocita::advance(Finestra& w) {
    const uint64_t end = base_ + live() - 1;
    const Punto& last = points_.back();
    const double target = w.obiettivo - kTolerance;
    while (w.inizio + 1 < end && last.spazio - at(w.inizio + 1).spazio >= target)
        ++w.inizio;
    if (last.spazio - at(w.inizio).spazio < target)
        return;
    const double seconds = last.tempo - at(w.inizio).tempo;
    if (seconds <= 0)
        return;
    keep_best(w.migliore, (last.spazio - at(w.inizio).spazio) / seconds * kKmhPerMs,
              [&] { return ends(w.inizio, end, end, seconds, 0); });
}

// Pairs of points 250 to 500 m apart along the track whose ends lie within 50 m of each other.
void CalcoloVelocita::alpha() {
    const Punto& last = points_.back();
    const auto end = points_.cend() - 1;
    // The first possible start only moves forward: at most 500 m back, and, once there is a best, at most
    // the time 500 m take at that speed (nothing slower can beat it).
    const double time_reach = alpha_ && alpha_->velocita > 0
                                  ? last.tempo - kAlphaLongest / (alpha_->velocita / kKmhPerMs) * (1 + 1e-9)
                                  : -1;
    const uint64_t last_index = base_ + live() - 1;
    while (alpha_from_ < last_index &&
           (at(alpha_from_).spazio < last.spazio - kAlphaLongest || at(alpha_from_).tempo < time_reach))
        ++alpha_from_;
    if (alpha_ && alpha_->velocita > 0 && out_of_reach(last, last_index))
        return;
    auto it = points_.cbegin() + static_cast<std::ptrdiff_t>(head_ + (alpha_from_ - base_));
    const auto first_with = [&](auto from, double value) {
        return std::lower_bound(from, end, value, [](const Punto& p, double v) { return p.percorso < v; });
    };
    while (it < end && last.spazio - it->spazio >= kAlphaShortest) {
        const double seconds = last.tempo - it->tempo;
        const double speed = seconds > 0 ? (last.spazio - it->spazio) / seconds * kKmhPerMs : 0;
        if (seconds <= 0 || (alpha_ && speed <= alpha_->velocita)) {
            ++it;  // cannot beat the best: no need to know how far apart the ends are
            continue;
        }
        // The difference in latitude alone bounds the straight distance from below, at no cost; the
        // trigonometry is needed only for ends that may lie within 50 m.
        const double floor =
            std::fabs(it->posizione.lat_rad - last.posizione.lat_rad) * kEarthRadiusM * (1 - 1e-9);
        const double gap =
            floor > kAlphaGate ? floor : distanza_km(it->posizione, last.posizione) * kMetresPerKm;
        if (gap <= kAlphaGate) {
            const auto start = base_ + static_cast<uint64_t>(it - points_.cbegin()) - head_;
            keep_best(alpha_, speed, [&] { return ends(start, last_index, last_index, seconds, 0); });
            ++it;
            continue;
        }
        // A later start within (gap − 50 m) of path from this one cannot be within 50 m of the end.
        const double reach = it->percorso + (gap - kAlphaGate) * (1 - 1e-9) - 0.01;
        it = first_with(it + 1, reach);
    }
}

// True when no start in reach can beat the best alpha. A start beats it only when its path exceeds the best
// speed times its time, that is when its key, path so far minus best speed times time so far, lies below the
// newest point's. The smallest key among the starts in reach is kept as they enter and leave (the starts in
// reach only move forward), and the keys are made afresh when the best changes. A margin far above the
// rounding of the sums leaves every close call to the exact comparison of the speeds.
bool CalcoloVelocita::out_of_reach(const Punto& last, uint64_t last_index) {
    const double best = alpha_->velocita / kKmhPerMs;  // m/s
    if (best != keyed_for_) {
        keyed_for_ = best;
        smallest_keys_.clear();
        next_key_ = alpha_from_;
    }
    next_key_ = std::max(next_key_, alpha_from_);
    for (; next_key_ < last_index && last.spazio - at(next_key_).spazio >= kAlphaShortest; ++next_key_) {
        const double key = at(next_key_).spazio - best * at(next_key_).tempo;
        while (!smallest_keys_.empty() && smallest_keys_.back().valore >= key)
            smallest_keys_.pop_back();
        smallest_keys_.push_back({next_key_, key});
    }
    while (!smallest_keys_.empty() && smallest_keys_.front().indice < alpha_from_)
        smallest_keys_.pop_front();
    if (smallest_keys_.empty())
        return true;
    const double margin = 1e-12 * (std::fabs(last.spazio) + best * std::fabs(last.tempo)) + 1e-6;
    return smallest_keys_.front().valore - (last.spazio - best * last.tempo) >= margin;
}

void CalcoloVelocita::trim() {
    constexpr size_t kCompactAfter = 4096;
    uint64_t keep = base_ + live() - 1;
    for (const FinestraTempo& w : time_windows_)
        keep = std::min({keep, w.inizio, w.prossimo});
    for (const Finestra& w : windows_)
        keep = std::min(keep, w.inizio);
    keep = std::min(keep, alpha_from_);
    while (base_ < keep) {
        ++head_;
        ++base_;
    }
    // Moving the live points to the front costs as much as there are of them: done once at least three
    // times as many have gone, it costs a third of a move per leg.
    if (head_ >= kCompactAfter && head_ >= 3 * live()) {
        points_.erase(points_.begin(), points_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
}

// Drops for good every candidate that fifteen disjoint better windows rule out: each window the five
// passes take blocks at most three of those, so at least five better windows are always taken before it.
void CalcoloVelocita::prune_candidates() {
    std::sort(candidates_.begin(), candidates_.end(), ranks_before<Candidato>);
    std::vector<const Candidato*> taken;
    size_t keep = candidates_.size();
    for (size_t k = 0; k < candidates_.size() && taken.size() < kDisjointToDiscard; ++k) {
        const Candidato& c = candidates_[k];
        const bool free =
            std::none_of(taken.begin(), taken.end(), [&](const Candidato* t) { return overlap(c, *t); });
        if (free) {
            taken.push_back(&c);
            if (taken.size() == kDisjointToDiscard) {
                keep = k + 1;
                pruning_floor_ = c.velocita;
            }
        }
    }
    candidates_.resize(keep);
    pruned_size_ = candidates_.size();
}

Corsa CalcoloVelocita::Estremi::corsa() const {
    return {clock_time(ora, -prima), clock_time(ora, dopo), static_cast<int64_t>(da) + 1,
            static_cast<int64_t>(a) + 1};
}

RisultatiVelocita CalcoloVelocita::risultati() const {
    RisultatiVelocita r;
    r.due_s = speed_of(time_windows_[0].migliore);
    r.dieci_s = speed_of(time_windows_[1].migliore);
    r.un_ora = speed_of(time_windows_[2].migliore);
    r.m500 = speed_of(windows_[0].migliore);
    r.miglio = speed_of(windows_[1].migliore);
    r.alpha500 = speed_of(alpha_);
    r.corse.due_s = run_of(time_windows_[0].migliore);
    r.corse.dieci_s = run_of(time_windows_[1].migliore);
    r.corse.un_ora = run_of(time_windows_[2].migliore);
    r.corse.m500 = run_of(windows_[0].migliore);
    r.corse.miglio = run_of(windows_[1].migliore);
    r.corse.alpha500 = run_of(alpha_);

    // Five passes, each taking the best window that overlaps no window an earlier pass took.
    std::vector<Candidato> ranked = candidates_;
    std::sort(ranked.begin(), ranked.end(), ranks_before<Candidato>);
    std::vector<Candidato> taken;
    for (const Candidato& c : ranked) {
        if (taken.size() == kRuns)
            break;
        if (std::none_of(taken.begin(), taken.end(), [&](const Candidato& t) { return overlap(c, t); }))
            taken.push_back(c);
    }
    if (taken.size() == kRuns) {
        double sum = 0;
        for (const Candidato& c : taken) {
            sum += c.velocita;
            r.corse.cinque_per_dieci.push_back(c.estremi.corsa());
        }
        r.cinque_per_dieci = sum / kRuns;
    }
    return r;
}

}  // namespace lurendo::stats
