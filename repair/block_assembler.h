// The input grammar: gathers the pieces of each track point into the buffer and hands complete points on.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "repair/device_speed.h"
#include "repair/pieces.h"
#include "repair/plain_point.h"

namespace lurendo {

// Receives every completed track point block, in input order.
class BlockSink {
  public:
    virtual ~BlockSink() = default;
    // `velocita_gps`: the device speed (m/s) found among all the lines of the point, when it has one.
    // `known`: where its tags stand, when the reading knows (see KnownTags); otherwise null.
    virtual void blocco_completo(std::string_view blocco_trkpt, std::optional<double> velocita_gps,
                                 const KnownTags* known) = 0;
    // A plain point, straight from its lines, with its device speed. False when the sink wants it joined
    // into a block instead, through blocco_completo.
    virtual bool punto_semplice(const PlainPoint& point, std::optional<double> velocita_gps) {
        (void)point;
        (void)velocita_gps;
        return false;
    }
};

class BlockAssembler {
  public:
    explicit BlockAssembler(BlockSink& sink) : sink_(sink) {}

    // One piece of an input line. Pieces that hold none of "trkpt", "ele" and "time" are ignored; a
    // "<trkpt" starts a new block (an unterminated earlier one is lost); a "</trkpt>" or a self-closing
    // start tag completes it. Every piece of an open point, kept or ignored, is also searched for the
    // point's device speed.
    void piece(const Piece& piece);

    // The four lines of a plain point: what piece() does with each of them, in one go.
    void plain_point(const PlainPoint& point);

    // A piece too long to belong to any point, known only to mention one: it ends an open point, which is
    // then lost like one that never ends.
    void oversized_piece();

    bool in_trkpt() const { return in_trkpt_; }

    // A point whose text grows beyond this is not a real point and is dropped.
    static constexpr size_t kMaxPointText = 1 << 20;

  private:
    void complete_block(const KnownTags* known = nullptr);
    void drop_block();

    BlockSink& sink_;
    std::string blocco_trkpt_;  // the text of the point being assembled
    bool in_trkpt_ = false;
    DeviceSpeedScanner device_speed_;
};

}  // namespace lurendo
