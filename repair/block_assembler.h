// The input grammar: gathers the pieces of each track point into the buffer and hands complete points on.
#pragma once

#include <string_view>

#include "repair/pieces.h"
#include "repair/track_state.h"

namespace lurendo {

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

    bool in_trkpt() const { return in_trkpt_; }

  private:
    void complete_block();

    RepairState& state_;
    EntryWriter& out_;
    bool in_trkpt_ = false;
    PieceCutter cutter_;
};

}  // namespace lurendo
