// The texts that show the totals: distances in kilometres, times as hours:minutes:seconds.
#pragma once

#include <string>

#include "stats/totals.h"

namespace lurendo::stats {

// "h:m:s" of a number of seconds, the seconds with at most one decimal ("0:9:59,5").
std::string formato_tempo(double seconds);

// Metres as kilometres with at most two decimals ("0,03 km").
std::string formato_distanza(double metres);

struct TestiCifre {
    std::string dist_tot;
    std::string tempo_tot;
    std::string dist_parz;
    std::string tempo_parz;
};
TestiCifre testi_cifre(const Totali& totali);

}  // namespace lurendo::stats
