// The input grammar: gathers the pieces of each track point into the buffer and hands complete points on.
#pragma once

#include <string_view>

#include "repair/pieces.h"
#include "repair/track_state.h"

namespace lurendo {

// True when the text holds "trkpt", "ele" or "time", the words that make a piece part of a point.
bool mentions_point(std::string_view text);

class EntryWriter {
  public:
    virtual ~EntryWriter() = default;
    // One output entry: a kept point's text, or an empty text for a dropped point; a CR LF follows it.
    virtual void write_entry(std::string_view text) = 0;
};

class BlockAssembler {
  public:
    BlockAssembler(RepairState& state, EntryWriter& out) : state_(state), out_(out) {}

    // One piece of an input line. Pieces that hold none of "trkpt", "ele" and "time" are ignored; a
    // "<trkpt" starts a new block (an unterminated earlier one is lost); a "</trkpt>" or a self-closing
    // start tag completes it.
    void piece(const Piece& piece);
    // The same for a text taken as one piece.
    void piece(std::string_view text) { piece(cutter_.whole(text)); }

    // A piece too long to belong to any point, known only to mention one: it ends an open point, which is
    // then lost like one that never ends.
    void oversized_piece();

    bool in_trkpt() const { return in_trkpt_; }

    // A point whose text grows beyond this is not a real point and is dropped.
    static constexpr size_t kMaxPointText = 1 << 20;

  private:
    void complete_block();
    void drop_block();

    RepairState& state_;
    EntryWriter& out_;
    bool in_trkpt_ = false;
    PieceCutter cutter_;
};

}  // namespace lurendo
