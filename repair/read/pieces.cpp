#include "repair/read/pieces.h"

#include <algorithm>

#include "common/simd/kernels.h"
#include "repair/read/gpx_grammar.h"

namespace lurendo {

void PieceCutter::scan(std::string_view line, bool head_nonblank, bool line_ends) {
    cuts_.clear();
    candidates_.clear();
    tags_.clear();
    tag_cursor_ = 0;
    bool sorted = true;
    const char* const data = line.data();
    const char* const end_of_line = data + line.size();
    const char* hit = data;
    // The ">" after each "<trkpt": searches resume where the last one stopped, so a line of many start
    // tags and no ">" is still scanned once.
    const char* next_gt = nullptr;
    while ((hit = find_byte(hit, end_of_line, '<')) != end_of_line) {
        const size_t pos = static_cast<size_t>(hit - data);
        ++hit;
        switch (tag_at(line, pos)) {
            case Tag::PointStart: {
                const char* const name_end = data + pos + kPointStart.size();
                if (next_gt < name_end)
                    next_gt = find_byte(name_end, end_of_line, '>');
                const char* gt = next_gt;
                const size_t close = gt != end_of_line ? static_cast<size_t>(gt - data) : Piece::npos;
                tags_.push_back({pos, close, true});
                candidates_.push_back(pos);
                if (gt != end_of_line) {
                    candidates_.push_back(close + 1);
                    // A stray "<" inside the start tag would put later candidates before this one.
                    if (find_byte(data + pos + 1, gt, '<') != gt)
                        sorted = false;
                }
                break;
            }
            case Tag::PointEnd:
                tags_.push_back({pos, Piece::npos, false});
                candidates_.push_back(pos);
                candidates_.push_back(pos + kPointEnd.size());
                break;
            case Tag::EleEnd:
                candidates_.push_back(pos + kEleEnd.size());
                break;
            case Tag::TimeEnd:
                candidates_.push_back(pos + kTimeEnd.size());
                break;
            default:
                break;
        }
    }
    if (candidates_.empty())
        return;
    if (!sorted)
        std::sort(candidates_.begin(), candidates_.end());

    size_t end = line.size();  // the rest of the line from a candidate on is blank when it starts at `end`
    while (end > 0 && is_blank(line[end - 1]))
        --end;
    // While the line goes on, a candidate near the end may still be joined by one that the next input
    // completes (a tag is at most kLongestCutTag characters long); decide only those before.
    if (!line_ends)
        end = std::min(end, line.size() >= kLongestCutTag ? line.size() - kLongestCutTag : 0);
    size_t previous = 0;
    for (const size_t candidate : candidates_) {
        if (candidate >= end)
            continue;
        // Text before `line` counts for its first piece; a cut may then fall on its very start.
        if (!(previous == 0 && head_nonblank)) {
            if (candidate <= previous)
                continue;
            size_t i = previous;
            while (i < candidate && is_blank(line[i]))
                ++i;
            if (i == candidate)
                continue;  // only blanks since the previous cut
        }
        cuts_.push_back(candidate);
        previous = candidate;
    }
}

Piece PieceCutter::describe(std::string_view line, size_t from, size_t to) const {
    Piece piece;
    piece.text = line.substr(from, to - from);
    // Pieces are described left to right and tags are in line order: carry on from the last piece.
    while (tag_cursor_ < tags_.size() && tags_[tag_cursor_].pos < from)
        ++tag_cursor_;
    for (auto it = tags_.begin() + static_cast<std::ptrdiff_t>(tag_cursor_); it != tags_.end(); ++it) {
        const PointTag& tag = *it;
        if (tag.pos >= to)
            break;
        if (tag.start) {
            if (piece.start_tag == Piece::npos) {
                piece.start_tag = tag.pos - from;
                piece.self_closing = tag.close != Piece::npos && tag.close < to && line[tag.close - 1] == '/';
            }
        } else if (tag.pos + kPointEnd.size() <= to) {
            piece.end_tag = true;
        }
    }
    return piece;
}

bool PieceCutter::uncut(std::string_view line, const IndexedLine& opens, Piece& piece) {
    // Field by field: assigning a whole temporary made the compiler store it in halves and load it back in
    // one, a store-forwarding stall that cost more than the rest of this function.
    piece.text = line;
    piece.start_tag = Piece::npos;
    piece.self_closing = false;
    piece.end_tag = false;
    piece.names_point = false;
    const size_t size = line.size();
    const size_t first = leading_blanks(line);
    if (first == size)
        return true;
    size_t last = size - 1;
    while (is_blank(line[last]))
        --last;
    // A candidate c is a cut exactly when first < c <= last: text before it and text after it.
    const auto inside = [&](size_t c) { return c > first && c <= last; };
    bool cut = false;
    opens.for_each_open(first, [&](size_t pos) {
        size_t cut_after = 0;
        switch (tag_at(line, pos)) {
            case Tag::PointStart: {
                const size_t gt = find_byte(line, '>', pos + kPointStart.size());
                if (inside(pos) || piece.start_tag != Piece::npos ||
                    (gt != std::string_view::npos && inside(gt + 1))) {
                    cut = true;
                    return false;
                }
                piece.start_tag = pos;
                piece.self_closing = gt != std::string_view::npos && line[gt - 1] == '/';
                piece.names_point = true;
                return true;
            }
            case Tag::PointEnd:
                cut = inside(pos);
                cut_after = pos + kPointEnd.size();
                piece.end_tag = true;
                break;
            case Tag::EleEnd:
                cut_after = pos + kEleEnd.size();
                break;
            case Tag::TimeEnd:
                cut_after = pos + kTimeEnd.size();
                break;
            case Tag::EleStart:
            case Tag::TimeStart:
            case Tag::NamesPoint:
                piece.names_point = true;
                return true;
            case Tag::Other:
                return true;
        }
        piece.names_point = true;
        cut = cut || inside(cut_after);
        return !cut;
    });
    return !cut;
}

}  // namespace lurendo
