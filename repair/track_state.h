// Everything a repair run leaves behind for the statistics: kept in one object the caller owns.
#pragma once

#include <string>

#include "repair/filter.h"
#include "repair/point_store.h"

namespace lurendo {

struct RepairState {
    PointStore store;
    TrackpointFilter filter;
    std::string blocco_trkpt;  // the text of the point being assembled, or of the last one

    void reset() {
        store.clear();
        filter.reset();
        blocco_trkpt.clear();
    }
};

}  // namespace lurendo
