// What happens to each completed block: parsed once into a point, judged by the filter, written to the
// output and kept in the store.
#pragma once

#include <cstdint>
#include <string_view>

#include "repair/block_assembler.h"
#include "repair/filter.h"
#include "repair/output_writer.h"
#include "repair/point_store.h"
#include "repair/track_point.h"

namespace lurendo {

class PointPipeline final : public BlockSink {
  public:
    PointPipeline(OutputWriter& output, PointStore& store) : output_(output), store_(store) {}

    void blocco_completo(std::string_view blocco_trkpt, std::optional<double> velocita_gps,
                         const KnownTags* known) override;
    bool punto_semplice(const PlainPoint& point, std::optional<double> velocita_gps) override;

    // Blocks completed so far, whatever became of them.
    int64_t blocchi() const { return blocchi_; }

  private:
    // Judges the point just read, then writes it (`write`) and stores it, or marks the drop.
    template <typename Write>
    void judge(Write&& write);

    OutputWriter& output_;
    PointStore& store_;
    TrackpointFilter filter_;
    PuntoLetto punto_;  // reused, so that parsing a point allocates nothing
    int64_t blocchi_ = 0;
};

}  // namespace lurendo
