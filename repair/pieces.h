// Cutting one physical input line into the pieces that the block grammar looks at one by one.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace lurendo {

// Candidate cuts lie at the start of every "<trkpt" and "</trkpt>", behind the ">" that closes a "<trkpt"
// start tag, and behind every "</ele>", "</time>" and "</trkpt>". A candidate becomes a cut only when the
// text since the previous cut and the rest of the line both hold more than blanks and tabs, so a line laid
// out one element per line stays whole. The pieces joined give the line back.
class PieceCutter {
  public:
    // Calls `emit(std::string_view piece)` for every piece of `line`, left to right.
    template <typename Emit>
    void cut(std::string_view line, Emit&& emit) {
        find_cuts(line);
        size_t from = 0;
        for (const size_t cut : cuts_) {
            emit(line.substr(from, cut - from));
            from = cut;
        }
        emit(line.substr(from));
    }

  private:
    void find_cuts(std::string_view line);
    std::vector<size_t> candidates_;
    std::vector<size_t> cuts_;
};

}  // namespace lurendo
