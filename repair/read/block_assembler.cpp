#include "repair/read/block_assembler.h"

#include "repair/read/gpx_grammar.h"

namespace lurendo {

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
    in_trkpt_ = false;
    sink_.blocco_completo(point.text, device_speed_.speed());
}

void BlockAssembler::oversized_piece() {
    drop_block();
}

void BlockAssembler::drop_block() {
    in_trkpt_ = false;
    blocco_trkpt_.clear();
    blocco_trkpt_.shrink_to_fit();
}

void BlockAssembler::complete_block() {
    in_trkpt_ = false;
    sink_.blocco_completo(PointText::of_block(blocco_trkpt_), device_speed_.speed());
}

}  // namespace lurendo
