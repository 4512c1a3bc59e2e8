#include "repair/block_assembler.h"

namespace lurendo {

// One pass over the text: this runs for every piece.
bool mentions_point(std::string_view text) {
    const char* p = text.data();
    const char* const end = p + text.size();
    for (; p < end; ++p) {
        const size_t left = static_cast<size_t>(end - p);
        if (*p == 't') {
            if (left >= 5 && p[1] == 'r' && p[2] == 'k' && p[3] == 'p' && p[4] == 't')
                return true;
            if (left >= 4 && p[1] == 'i' && p[2] == 'm' && p[3] == 'e')
                return true;
        } else if (*p == 'e') {
            if (left >= 3 && p[1] == 'l' && p[2] == 'e')
                return true;
        }
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
    sink_.blocco_completo(blocco_trkpt_, device_speed_.speed());
}

}  // namespace lurendo
