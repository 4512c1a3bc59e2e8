#include "repair/read/line_reader.h"

#include <algorithm>

#include "repair/read/gpx_grammar.h"

namespace lurendo {

namespace {

bool has_nonblank(std::string_view text) {
    for (const char c : text) {
        if (!is_blank(c))
            return true;
    }
    return false;
}

}  // namespace

void LineReader::feed(const char* data, size_t size) {
    for (size_t done = 0; done < size; done += kIndexSpan)
        feed_indexed(data + done, std::min(kIndexSpan, size - done));
}

void LineReader::feed_indexed(const char* data, size_t size) {
    index_.build(data, size);
    size_t pos = 0;
    if (skip_lf_ && size > 0) {
        skip_lf_ = false;
        if (data[0] == '\n')
            pos = 1;
    }
    while (pos < size) {
        PlainPoint point;
        if (!line_open_ && find_plain_point(index_, data, pos, point)) {
            assembler_.plain_point(point);
            lines_ += point.speed_line.empty() ? 4 : 5;
            pos = point.next;
            continue;
        }
        const size_t end_at = index_.next_line_end(pos);
        const char* end = data + end_at;
        const std::string_view text(data + pos, end_at - pos);
        if (end_at == size) {  // the line goes on in the next block
            carry_.append(text);
            line_open_ = true;
            if (carry_.size() > kCarryLimit)
                drain_carry();
            return;
        }
        if (!line_open_) {
            cutter_.cut(text, IndexedLine{index_, pos, end_at}, [this](const Piece& piece) { emit(piece); });
            ++lines_;
        } else {
            carry_.append(text);
            end_line(carry_);
        }
        pos = end_at + 1;
        if (*end == '\r') {
            if (pos < size) {
                if (data[pos] == '\n')
                    ++pos;
            } else {
                skip_lf_ = true;
            }
        }
    }
}

void LineReader::finish() {
    if (line_open_)
        end_line(carry_);
}

void LineReader::end_line(std::string_view rest) {
    cutter_.cut_part(rest, doomed_ && doomed_nonblank_, true, [this](const Piece& piece) { emit(piece); });
    ++lines_;
    carry_.clear();
    line_open_ = false;
    doomed_ = false;
}

void LineReader::drain_carry() {
    const size_t kept = cutter_.cut_part(carry_, doomed_ && doomed_nonblank_, false,
                                         [this](const Piece& piece) { emit(piece); });
    carry_.erase(0, kept);
    if (carry_.size() <= kCarryLimit)
        return;
    // No cut in sight: this piece is longer than any point may be. Remember whether it holds more than
    // blanks (for the next cut) and whether it concerns a point (it then ends any open point); keep the
    // last bytes, where a tag may be cut in two.
    const size_t dropped = carry_.size() - 8;
    doomed_nonblank_ =
        (doomed_ && doomed_nonblank_) || has_nonblank(std::string_view(carry_).substr(0, dropped));
    doomed_concerns_ = (doomed_ && doomed_concerns_) || mentions_point(carry_);
    doomed_ = true;
    carry_.erase(0, dropped);
}

void LineReader::emit(const Piece& piece) {
    if (doomed_) {
        // The first piece after a drop is the rest of the oversized one.
        doomed_ = false;
        const bool tags = piece.start_tag != Piece::npos || piece.end_tag;
        if (doomed_concerns_ || tags || mentions_point(piece.text))
            assembler_.oversized_piece();
        return;
    }
    assembler_.piece(piece);
}

}  // namespace lurendo
