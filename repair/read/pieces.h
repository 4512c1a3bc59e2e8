// Cutting one physical input line into the pieces that the block grammar looks at one by one.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "repair/read/structural_index.h"

namespace lurendo {

// One piece with what the block grammar needs to know about its track point tags.
struct Piece {
    static constexpr size_t npos = std::string_view::npos;
    std::string_view text;
    size_t start_tag = npos;    // offset of the first "<trkpt", or npos
    bool self_closing = false;  // that start tag ends in "/>" within the piece
    bool end_tag = false;       // the piece holds a "</trkpt>"
    bool names_point = false;   // known to hold "trkpt", "ele" or "time" (false: not looked at)
};

// Candidate cuts lie at the start of every "<trkpt" and "</trkpt>", behind the ">" that closes a "<trkpt"
// start tag, and behind every "</ele>", "</time>" and "</trkpt>". A candidate becomes a cut only when the
// text since the previous cut and the rest of the line both hold more than blanks and tabs, so a line laid
// out one element per line stays whole. The pieces joined give the line back.
class PieceCutter {
  public:
    // Calls `emit(const Piece&)` for every piece of `line`, whose "<" the index has found, left to right.
    template <typename Emit>
    void cut(std::string_view line, const IndexedLine& opens, Emit&& emit) {
        Piece piece;
        if (uncut(line, opens, piece))
            emit(piece);
        else
            cut_part(line, false, true, emit);
    }

    // Most lines hold one element and have no cut. True when `line` has none; `piece` then describes it.
    static bool uncut(std::string_view line, const IndexedLine& opens, Piece& piece);

    // Cuts `text`, the part of a line from its last cut on. `head_nonblank`: text that came before `text`
    // since that cut held more than blanks. When the line goes on after `text` (`line_ends` false), only
    // cuts that later input cannot change are taken and the rest is not emitted. Returns where the
    // unemitted rest begins (text.size() when everything was emitted).
    template <typename Emit>
    size_t cut_part(std::string_view text, bool head_nonblank, bool line_ends, Emit&& emit) {
        scan(text, head_nonblank, line_ends);
        size_t from = 0;
        for (const size_t cut : cuts_) {
            emit(describe(text, from, cut));
            from = cut;
        }
        if (!line_ends)
            return from;
        emit(describe(text, from, text.size()));
        return text.size();
    }

  private:
    struct PointTag {
        size_t pos;
        size_t close;  // for a start tag: position of its ">", or npos
        bool start;    // "<trkpt" (else "</trkpt>")
    };
    void scan(std::string_view line, bool head_nonblank = false, bool line_ends = true);
    Piece describe(std::string_view line, size_t from, size_t to) const;

    std::vector<PointTag> tags_;
    mutable size_t tag_cursor_ = 0;  // first tag not before the piece being described
    std::vector<size_t> candidates_;
    std::vector<size_t> cuts_;
};

}  // namespace lurendo
