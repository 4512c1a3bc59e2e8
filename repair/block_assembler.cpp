#include "repair/block_assembler.h"

#include <numeric>

#include "common/simd/kernels.h"
#include "repair/short_copy.h"

namespace lurendo {

// Each of the three words holds a letter that no other does: the "l" of "ele", the "m" of "time", the "k"
// of "trkpt". The search jumps from one of those letters to the next and looks around it; a piece with
// none of them, like most extension lines, is passed over at the pace of a byte search.
bool mentions_point(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const auto around = [&](const char* p, size_t before, std::string_view word) {
        return static_cast<size_t>(p - begin) >= before &&
               static_cast<size_t>(end - p) + before >= word.size() &&
               std::string_view(p - before, word.size()) == word;
    };
    for (const char* p = begin; (p = find_one_of(p, end, 'l', 'm', 'k')) < end; ++p) {
        if (*p == 'l' ? around(p, 1, "ele") : *p == 'm' ? around(p, 2, "time") : around(p, 2, "trkpt"))
            return true;
    }
    return false;
}

void BlockAssembler::piece(const Piece& piece) {
    const bool has_tag = piece.start_tag != Piece::npos || piece.end_tag;
    if (piece.start_tag != Piece::npos) {
        device_speed_.reset();
        if (!piece.self_closing)
            device_speed_.feed(piece.text.substr(piece.start_tag));
    } else if (in_trkpt_) {
        device_speed_.feed(piece.text);
    }
    if (!has_tag && !piece.names_point && !mentions_point(piece.text))
        return;
    std::string& blocco = blocco_trkpt_;
    if (in_trkpt_)
        blocco.append(piece.text);
    if (piece.start_tag != Piece::npos) {
        blocco.assign(piece.text);
        in_trkpt_ = true;
        if (piece.self_closing) {
            complete_block();
            return;
        }
    }
    if (!in_trkpt_)
        return;
    if (blocco.size() > kMaxPointText)
        drop_block();
    else if (piece.end_tag)
        complete_block();
}

void BlockAssembler::plain_point(const PlainPoint& point) {
    // The block's only "<" are those of its four tags, so the block holds no speed tag: only a speed line
    // can give the scanner anything.
    device_speed_.reset();
    if (!point.speed_line.empty())
        device_speed_.feed(point.speed_line);
    if (sink_.punto_semplice(point, device_speed_.speed())) {
        in_trkpt_ = false;
        return;
    }
    std::string& blocco = blocco_trkpt_;
    blocco.resize(std::accumulate(point.lines.begin(), point.lines.end(), size_t{0},
                                  [](size_t total, std::string_view line) { return total + line.size(); }));
    char* to = blocco.data();
    for (const std::string_view line : point.lines) {
        copy_short(to, line.data(), line.size());
        to += line.size();
    }
    complete_block(&point.tags);
}

void BlockAssembler::oversized_piece() {
    drop_block();
}

void BlockAssembler::drop_block() {
    in_trkpt_ = false;
    blocco_trkpt_.clear();
    blocco_trkpt_.shrink_to_fit();
}

void BlockAssembler::complete_block(const KnownTags* known) {
    in_trkpt_ = false;
    sink_.blocco_completo(blocco_trkpt_, device_speed_.speed(), known);
}

}  // namespace lurendo
