// What the speed results and the profile cost a run: the same repair of one track, once with the whole
// statistics pass, once with a pass that adds up the four totals only, and once with the totals and the
// track's shape, alternated, each repeated. Prints the median wall and CPU time of each, the ratio of the
// whole pass to the totals alone, and what the shape adds as a share of the whole.
// Usage: lurendo-bench-results TRACK OUTPUT [RUNS]
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "repair/filter/filter.h"
#include "repair/read/coordinates.h"
#include "repair/repair_run.h"
#include "run/statistics_pass.h"
#include "stats/leg.h"
#include "stats/totals.h"
#include "stats/track_shape.h"

namespace {

using namespace lurendo;
using namespace lurendo::stats;

// The legs and totals as the statistics pass makes them, without the speed results and the profile; with
// `shape`, each kept point also goes into the track's shape as the pass gives it.
stats::Totali totals_only(PointStore& store, stats::CostruttorePercorso* shape = nullptr) {
    stats::Totali totali;
    int64_t ready = store.available(1);
    if (ready < 1)
        return totali;
    const auto trig = [&](int64_t i) {
        return punto_radianti(static_cast<double>(store.lat_punto(i)),
                              static_cast<double>(store.lon_punto(i)));
    };
    const auto degrees = [](int64_t units) { return static_cast<double>(units) / kNanoDegrees; };
    PuntoRadianti previous = trig(1);
    if (shape)
        shape->punto(previous, true, 0, 0);
    for (int64_t i = 1;; ++i) {
        if (i + 1 > ready && (ready = store.available(i + 1)) < i + 1)
            break;
        const PuntoRadianti next = trig(i + 1);
        if (!is_jump(degrees(store.lat_punto(i)), degrees(store.lat_punto(i + 1))) &&
            !is_jump(degrees(store.lon_punto(i)), degrees(store.lon_punto(i + 1)))) {
            const double t = secondi_tratto(store.ora_punto(i), store.ora_punto(i + 1));
            const std::optional<double> v = velocita_da_distanza(distanza_km(previous, next), t);
            totali.aggiungi_tratto(t, v);
            if (shape)
                shape->punto(next, false, t, v.value_or(0) / stats::kKmhPerMs * t,
                             v && *v > stats::kPlaningSpeed);
        } else if (shape) {
            shape->punto(next, true, 0, 0);
        }
        previous = next;
    }
    if (shape && shape->percorso().vertici.empty())
        std::exit(1);  // keeps the shape's work from being optimised away; a track always has a vertex
    return totali;
}

double cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Times {
    std::vector<double> wall, cpu;
    double median(std::vector<double> v) const {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

// Times one repair whose work on the points is `work`; returns the total time, which both passes must agree
// on.
double timed(const std::string& in, const std::string& out, const std::function<double(PointStore&)>& work,
             Times& times) {
    double tempo_tot = 0;
    const double cpu_start = cpu_seconds();
    const auto start = std::chrono::steady_clock::now();
    const Riparazione r =
        ripara(in, out, {}, system_file_system(), [&](PointStore& store) { tempo_tot = work(store); });
    times.wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    times.cpu.push_back(cpu_seconds() - cpu_start);
    if (r.esito != EsitoRiparazione::Eseguito) {
        std::fprintf(stderr, "the run failed\n");
        std::exit(1);
    }
    return tempo_tot;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: lurendo-bench-results TRACK OUTPUT [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    Times with, without, shaped;
    for (int i = 0; i < runs; ++i) {
        const double a = timed(
            argv[1], argv[2], [](PointStore& s) { return passo_statistiche(s).totali.tempo_tot; }, with);
        const double b = timed(
            argv[1], argv[2], [](PointStore& s) { return totals_only(s).tempo_tot; }, without);
        const double c = timed(
            argv[1], argv[2],
            [](PointStore& s) {
                stats::CostruttorePercorso shape;
                return totals_only(s, &shape).tempo_tot;
            },
            shaped);
        if (a != b || a != c) {
            std::fprintf(stderr, "the passes disagree on the total time\n");
            return 1;
        }
    }
    const double ww = with.median(with.wall), wo = without.median(without.wall);
    const double cw = with.median(with.cpu), co = without.median(without.cpu);
    std::printf("%-28s %10s %10s\n", "", "wall s", "CPU s");
    std::printf("%-28s %10.3f %10.3f\n", "totals only", wo, co);
    std::printf("%-28s %10.3f %10.3f\n", "with speed results, profile", ww, cw);
    const double ws = shaped.median(shaped.wall), cs = shaped.median(shaped.cpu);
    std::printf("%-28s %10.3f %10.3f\n", "totals and the shape", ws, cs);
    std::printf("%-28s %10.2f %10.2f\n", "ratio", ww / wo, cw / co);
    std::printf("%-28s %9.1f%% %9.1f%%\n", "the shape, of the whole", 100 * (ws - wo) / ww,
                100 * (cs - co) / cw);
    return 0;
}
