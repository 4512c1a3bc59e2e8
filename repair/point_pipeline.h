// What happens to each completed point: read once, judged by the filter, written to the output and kept in
// the store.
#pragma once

#include <cstdint>
#include <optional>

#include "repair/filter/filter.h"
#include "repair/read/block_assembler.h"
#include "repair/read/point_text.h"
#include "repair/read/track_point.h"
#include "repair/store/point_store.h"
#include "repair/write/output_writer.h"

namespace lurendo {

class PointPipeline final : public BlockSink {
  public:
    PointPipeline(OutputWriter& output, PointStore& store) : output_(output), store_(store) {}

    void blocco_completo(const PointText& testo, std::optional<double> velocita_gps) override;

    // Blocks completed so far, whatever became of them.
    int64_t blocchi() const { return blocchi_; }

  private:
    OutputWriter& output_;
    PointStore& store_;
    TrackpointFilter filter_;
    LettorePunti lettore_;
    int64_t blocchi_ = 0;
};

}  // namespace lurendo
