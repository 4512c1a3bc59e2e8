#include "repair/read/plain_point.h"

#include <bit>
#include <cstdint>

#include "common/portability.h"
#include "common/simd/kernels.h"
#include "repair/read/gpx_grammar.h"

namespace lurendo {

namespace {

// One line of the block: its text and the "<" in it, bit i for its byte i.
struct Line {
    std::string_view text;
    uint64_t opens = 0;
    size_t first = 0;   // first byte that is neither blank nor tab
    size_t last = 0;    // last such byte
    bool crlf = false;  // ended by CR LF
};

// True when the first `count` (at most 8) of the 8 bytes at `p` are blanks, in one comparison.
bool blanks_before(const char* p, size_t count) {
    const uint64_t bytes = load_first_byte_lowest(p);
    const uint64_t wanted = count == 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * count)) - 1;
    return ((bytes ^ 0x2020202020202020) & wanted) == 0;
}

// Reads the line from `pos` on and where the next one starts. False when the line is blank, does not end
// within 64 bytes (so that its "<" come from one word of the index), or its end (a CR that may be followed
// by an LF included) is not wholly in the block.
LURENDO_INLINE inline bool read_line(const StructuralIndex& index, const char* data, size_t& pos,
                                     Line& line) {
    const StructuralIndex::Bits bits = index.window(pos);
    if (bits.line_ends == 0)
        return false;
    const auto length = static_cast<unsigned>(std::countr_zero(bits.line_ends));
    const size_t end = pos + length;
    line.text = std::string_view(data + pos, length);
    line.opens = bits.opens & ((uint64_t{1} << length) - 1);
    // Every line of a plain point begins with its first "<": only blanks may come before it.
    if (line.opens == 0)
        return false;
    line.first = static_cast<size_t>(std::countr_zero(line.opens));
    if (!(line.first <= 8 && line.text.size() >= 8 && blanks_before(line.text.data(), line.first)) &&
        leading_blanks(line.text) != line.first)
        return false;
    line.last = line.text.size() - 1;
    while (is_blank(line.text[line.last]))
        --line.last;
    if (data[end] == '\r') {
        if (end + 1 == index.size())
            return false;  // an LF may follow in the next block
        line.crlf = data[end + 1] == '\n';
        pos = end + 1 + line.crlf;
    } else {
        line.crlf = false;
        pos = end + 1;
    }
    return true;
}

uint64_t bit(size_t at) {
    return uint64_t{1} << at;
}

// "<trkpt" and a blank first, its ">" last, and no other "<": one piece holding a start tag that does not
// close.
LURENDO_INLINE inline bool is_start_line(const Line& line) {
    const size_t name_end = line.first + kPointStart.size();
    if (line.opens != bit(line.first) || !has_at(line.text, line.first, kPointStart) ||
        !has_at(line.text, name_end, " "))
        return false;
    const size_t gt = find_byte(line.text, '>', name_end);
    return gt == line.last && line.text[gt - 1] != '/';
}

// `open` first, `close` last, and no other "<": one piece that names a point and holds no point tag.
LURENDO_INLINE inline bool is_element_line(const Line& line, std::string_view open, std::string_view close) {
    if (line.last + 1 < line.first + open.size() + close.size())
        return false;
    const size_t close_at = line.last + 1 - close.size();
    return line.opens == (bit(line.first) | bit(close_at)) && has_at(line.text, line.first, open) &&
           has_at(line.text, close_at, close);
}

// "</trkpt>" alone: one piece holding the end tag.
LURENDO_INLINE inline bool is_end_line(const Line& line) {
    return line.opens == bit(line.first) && line.last + 1 == line.first + kPointEnd.size() &&
           has_at(line.text, line.first, kPointEnd);
}

}  // namespace

bool find_plain_point(const StructuralIndex& index, const char* data, size_t pos, PlainPoint& point) {
    Line start;
    Line ele;
    Line time;
    Line end;
    if (!read_line(index, data, pos, start) || !is_start_line(start) || !read_line(index, data, pos, ele) ||
        !is_element_line(ele, kEleStart, kEleEnd) || !read_line(index, data, pos, time) ||
        !is_element_line(time, kTimeStart, kTimeEnd) || !read_line(index, data, pos, end))
        return false;
    point.speed_line = {};
    if (!is_end_line(end)) {
        // A speed line names no point, so the block leaves it out; only the speed is read from it.
        if (!is_element_line(end, kSpeedStart, kSpeedEnd) || mentions_point(end.text))
            return false;
        point.speed_line = end.text;
        if (!read_line(index, data, pos, end) || !is_end_line(end))
            return false;
    }
    point.text.parts = {start.text, ele.text, time.text, end.text};
    point.text.part_count = 4;
    const size_t ele_at = start.text.size();
    const size_t time_at = ele_at + ele.text.size();
    point.text.tags = KnownTags{ele_at + ele.first, ele_at + ele.last + 1 - kEleEnd.size(),
                                time_at + time.first, time_at + time.last + 1 - kTimeEnd.size()};
    point.next = pos;
    const bool laid_out_as_lines = ele.first == kEleIndent.size() &&
                                   blanks_before(ele.text.data(), kEleIndent.size()) &&
                                   ele.last + 1 == ele.text.size() && time.last + 1 == time.text.size();
    const bool laid_out_in_input =
        laid_out_as_lines && point.speed_line.empty() && start.crlf && ele.crlf && time.crlf && end.crlf;
    point.text.form = laid_out_in_input   ? PointText::Form::Verbatim
                      : laid_out_as_lines ? PointText::Form::Lines
                                          : PointText::Form::Joined;
    return true;
}

}  // namespace lurendo
