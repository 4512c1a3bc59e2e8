// The input grammar: gathers the pieces of each track point into the buffer and hands complete points on.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "repair/read/device_speed.h"
#include "repair/read/pieces.h"
#include "repair/read/plain_point.h"
#include "repair/read/point_text.h"

namespace lurendo {

// Receives every completed track point, in input order.
class BlockSink {
  public:
    virtual ~BlockSink() = default;
    // `testo`: the point's text (its block, or the lines of a plain point); `velocita_gps`: the device speed
    // (m/s) found among all the lines of the point, those the block leaves out included, when it has one.
    virtual void blocco_completo(const PointText& testo, std::optional<double> velocita_gps) = 0;
};

class BlockAssembler {
  public:
    explicit BlockAssembler(BlockSink& sink) : sink_(sink) {}

    // One piece of an input line. Pieces that hold none of "trkpt", "ele" and "time" are ignored; a
    // "<trkpt" starts a new block (an unterminated earlier one is lost); a "</trkpt>" or a self-closing
    // start tag completes it. Every piece of an open point, kept or ignored, is also searched for the
    // point's device speed.
    void piece(const Piece& piece);

    // The lines of a plain point: what piece() does with each of them, in one go.
    void plain_point(const PlainPoint& point);

    // A piece too long to belong to any point, known only to mention one: it ends an open point, which is
    // then lost like one that never ends.
    void oversized_piece();

    bool in_trkpt() const { return in_trkpt_; }

    // A point whose text grows beyond this is not a real point and is dropped.
    static constexpr size_t kMaxPointText = 1 << 20;

  private:
    void complete_block();
    void drop_block();

    BlockSink& sink_;
    std::string blocco_trkpt_;  // the text of the point being assembled
    bool in_trkpt_ = false;
    DeviceSpeedScanner device_speed_;
};

}  // namespace lurendo
