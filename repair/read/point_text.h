// A completed track point as the reading hands it on: its text in one of three forms, with what the
// reading already knows of it. The point reader (track_point.h) reads every form into the same PuntoLetto,
// whose entry the output writes in one way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace lurendo {

// Where the tags that shape the laid-out text stand in a block whose only other tags are its "<trkpt" and
// "</trkpt>": known to the reading for a plain point, whose lines it has recognised.
struct KnownTags {
    size_t ele_open;    // "<ele>"
    size_t ele_close;   // "</ele>"
    size_t time_open;   // "<time>"
    size_t time_close;  // "</time>"
};

struct PointText {
    enum class Form : uint8_t {
        // The point is read from its block, and its entry is the block laid out.
        Joined,
        // The four lines of a plain point, already laid out as the output lays them out: the point is read
        // from its start and time lines, and its entry is the four lines, each followed by CR LF.
        Lines,
        // As Lines, and the input holds the four lines just so, each ended by CR LF: the entry is the input
        // from the first line to the end of the last, as it stands.
        Verbatim,
    };
    Form form = Form::Joined;
    // The text in input order: joined without separators, the parts make the point's block. A point gathered
    // piece by piece is its block alone; a plain point is its four lines (start tag, ele, time, end tag),
    // each where it lies in the input, without its line end.
    std::array<std::string_view, 4> parts{};
    size_t part_count = 1;
    std::optional<KnownTags> tags;  // every plain point's, none of a gathered one

    // A point gathered piece by piece: its block alone.
    static PointText of_block(std::string_view block) {
        PointText text;
        text.parts[0] = block;
        return text;
    }
};

}  // namespace lurendo
