// The four lines in which nearly every file lays out a track point, recognised as a whole from the
// structural index:
//
//       <trkpt lat="..." lon="...">
//         <ele>...</ele>
//         <time>...</time>
//         <speed>...</speed>      (in some files)
//       </trkpt>
//
// For these the line reader skips the general piece cutting: each of these lines is one piece, and what
// the block grammar does with them is known in advance (BlockAssembler::plain_point). Anything else, down
// to a tab after "<trkpt" or a line end that the block cuts in two, goes the general way, which gives the
// same result for these lines too.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "repair/structural_index.h"
#include "repair/track_point.h"

namespace lurendo {

struct PlainPoint {
    std::array<std::string_view, 4> lines;  // of the block, without their line ends
    std::string_view speed_line;            // the speed line, which the block leaves out; empty if none
    KnownTags tags{};                       // in the four lines joined
    size_t next = 0;                        // where the line after the point starts in the block
    // The entry the output writes for the point is the four lines, each followed by CR LF: the element
    // lines are indented by eight blanks exactly and have nothing after their end tags.
    bool laid_out_as_lines = false;
    // The input holds the four lines just so, each ended by CR LF, with no speed line among them: the entry
    // is the input from the first line on, up to and with the last line's CR LF.
    bool laid_out_in_input = false;

    // That stretch of the input, when laid_out_in_input.
    std::string_view entry_in_input() const {
        return std::string_view(lines[0].data(),
                                static_cast<size_t>(lines[3].data() + lines[3].size() + 2 - lines[0].data()));
    }
};

// True when the four or five lines from `pos` on (a line start) make a plain point whose every line, line end
// included, lies in the indexed block `data`; `point` then describes it.
bool find_plain_point(const StructuralIndex& index, const char* data, size_t pos, PlainPoint& point);

}  // namespace lurendo
