#include "repair/pieces.h"
#include "common/simd/kernels.h"

#include <algorithm>
#include <cstring>

namespace lurendo {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool starts_with(std::string_view text, size_t pos, std::string_view prefix) {
    return text.size() - pos >= prefix.size() &&
           std::memcmp(text.data() + pos, prefix.data(), prefix.size()) == 0;
}

}  // namespace

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
        if (pos + 1 >= line.size())
            break;
        if (data[pos + 1] == 't') {
            if (!starts_with(line, pos, "<trkpt"))
                continue;
            if (next_gt < data + pos + 6)
                next_gt = find_byte(data + pos + 6, end_of_line, '>');
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
        } else if (data[pos + 1] == '/') {
            if (starts_with(line, pos, "</trkpt>")) {
                tags_.push_back({pos, Piece::npos, false});
                candidates_.push_back(pos);
                candidates_.push_back(pos + 8);
            } else if (starts_with(line, pos, "</ele>")) {
                candidates_.push_back(pos + 6);
            } else if (starts_with(line, pos, "</time>")) {
                candidates_.push_back(pos + 7);
            }
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
    // completes (a tag is at most eight characters long); decide only those before.
    if (!line_ends)
        end = std::min(end, line.size() >= 8 ? line.size() - 8 : 0);
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
        const Tag& tag = *it;
        if (tag.pos >= to)
            break;
        if (tag.start) {
            if (piece.start_tag == Piece::npos) {
                piece.start_tag = tag.pos - from;
                piece.self_closing = tag.close != Piece::npos && tag.close < to && line[tag.close - 1] == '/';
            }
        } else if (tag.pos + 8 <= to) {
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
        if (pos + 1 >= size)
            return false;
        const char next = line[pos + 1];
        if (next == 't') {
            if (starts_with(line, pos, "<trkpt")) {
                const size_t gt = find_byte(line, '>', pos + 6);
                if (inside(pos) || piece.start_tag != Piece::npos ||
                    (gt != std::string_view::npos && inside(gt + 1))) {
                    cut = true;
                    return false;
                }
                piece.start_tag = pos;
                piece.self_closing = gt != std::string_view::npos && line[gt - 1] == '/';
                piece.names_point = true;
            } else if (starts_with(line, pos, "<time")) {
                piece.names_point = true;
            }
        } else if (next == '/') {
            size_t cut_after = 0;
            if (starts_with(line, pos, "</trkpt>")) {
                cut = inside(pos);
                cut_after = pos + 8;
                piece.end_tag = true;
            } else if (starts_with(line, pos, "</ele>")) {
                cut_after = pos + 6;
            } else if (starts_with(line, pos, "</time>")) {
                cut_after = pos + 7;
            }
            if (cut_after != 0) {
                piece.names_point = true;
                cut = cut || inside(cut_after);
            }
        } else if (next == 'e' && starts_with(line, pos, "<ele")) {
            piece.names_point = true;
        }
        return !cut;
    });
    return !cut;
}

}  // namespace lurendo
