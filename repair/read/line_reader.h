// Splits the input into lines and the lines into pieces, with bounded memory whatever the input holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "repair/read/block_assembler.h"
#include "repair/read/pieces.h"
#include "repair/read/structural_index.h"

namespace lurendo {

// A line ends at CR LF, at CR alone or at LF alone. Lines that lie whole in a block of input are cut
// where they are; a line that goes on past the block is kept, but only up to kCarryLimit: beyond that,
// the pieces that later input cannot change are handed on, and a piece that alone outgrows the limit is
// too big to be part of any point, so only what the grammar needs to know about it is remembered.
class LineReader {
  public:
    static constexpr size_t kCarryLimit = 2 << 20;
    // Input is indexed this much at a time, so that the index stays in the fastest cache while it is read.
    static constexpr size_t kIndexSpan = 64 << 10;

    explicit LineReader(BlockAssembler& assembler) : assembler_(assembler) {}

    // Feeds one block of input; `data` need stay valid only during the call.
    void feed(const char* data, size_t size);
    // The input has ended: a last line without a terminator still counts.
    void finish();

    int64_t lines() const { return lines_; }
    // Bytes held for the line in progress (for tests of the memory bound).
    size_t held() const { return carry_.capacity(); }

  private:
    void feed_indexed(const char* data, size_t size);
    void end_line(std::string_view rest);
    void drain_carry();
    void emit(const Piece& piece);

    BlockAssembler& assembler_;
    StructuralIndex index_;
    PieceCutter cutter_;
    std::string carry_;       // the line in progress, from its last cut on
    bool line_open_ = false;  // some of the current line has been read
    bool skip_lf_ = false;    // the last block ended in CR: an LF first in the next one belongs to it
    bool doomed_ = false;     // carry_ continues a piece already beyond kCarryLimit
    bool doomed_nonblank_ = false;
    bool doomed_concerns_ = false;  // that piece mentions "trkpt", "ele" or "time"
    int64_t lines_ = 0;
};

}  // namespace lurendo
