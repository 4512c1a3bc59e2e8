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
    if (!has_tag && !mentions_point(piece.text))
        return;
    std::string& blocco = state_.blocco_trkpt;
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
    state_.blocco_trkpt.clear();
    state_.blocco_trkpt.shrink_to_fit();
}

void BlockAssembler::complete_block() {
    in_trkpt_ = false;
    switch (state_.filter.elaboro_stringa(state_.blocco_trkpt)) {
        case FilterVerdict::Passed:
            out_.write_entry(state_.blocco_trkpt);
            // The re-laid-out text holds the same coordinates the filter just read.
            state_.store.add_point(state_.filter.last_lat_units(), state_.filter.last_lon_units(),
                                   state_.blocco_trkpt);
            break;
        case FilterVerdict::Dropped:
            out_.write_entry({});
            break;
        case FilterVerdict::Unreadable:
            break;
    }
}

}  // namespace lurendo
