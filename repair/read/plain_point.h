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

#include <cstddef>
#include <string_view>

#include "repair/read/point_text.h"
#include "repair/read/structural_index.h"

namespace lurendo {

struct PlainPoint {
    // The four lines, with the form their layout allows: Lines when the element lines are indented by
    // eight blanks exactly and have nothing after their end tags, Verbatim when moreover every line ends in
    // CR LF and no speed line stands among them, Joined otherwise.
    PointText text;
    std::string_view speed_line;  // the speed line, which the block leaves out; empty if none
    size_t next = 0;              // where the line after the point starts in the block
};

// True when the four or five lines from `pos` on (a line start) make a plain point whose every line, line end
// included, lies in the indexed block `data`; `point` then describes it.
bool find_plain_point(const StructuralIndex& index, const char* data, size_t pos, PlainPoint& point);

}  // namespace lurendo
