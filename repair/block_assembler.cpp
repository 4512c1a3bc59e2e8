#include "repair/block_assembler.h"

namespace lurendo {

namespace {

bool concerns_a_point(std::string_view piece) {
    return piece.find("trkpt") != std::string_view::npos || piece.find("ele") != std::string_view::npos ||
           piece.find("time") != std::string_view::npos;
}

// True when the "<trkpt" start tag at `start` ends in "/>" within the piece.
bool self_closing(std::string_view piece, size_t start) {
    const size_t close = piece.find('>', start);
    return close != std::string_view::npos && piece[close - 1] == '/';
}

}  // namespace

void BlockAssembler::piece(std::string_view piece) {
    if (!concerns_a_point(piece))
        return;
    std::string& blocco = state_.blocco_trkpt;
    if (in_trkpt_)
        blocco.append(piece);
    const size_t start = piece.find("<trkpt");
    if (start != std::string_view::npos) {
        blocco.assign(piece);
        in_trkpt_ = true;
        if (self_closing(piece, start)) {
            complete_block();
            return;
        }
    }
    if (in_trkpt_ && piece.find("</trkpt>") != std::string_view::npos)
        complete_block();
}

void BlockAssembler::complete_block() {
    in_trkpt_ = false;
    switch (state_.filter.elaboro_stringa(state_.blocco_trkpt)) {
        case FilterVerdict::Passed:
            out_.write_entry(state_.blocco_trkpt);
            state_.store.elaboro_stringa2(state_.blocco_trkpt);
            break;
        case FilterVerdict::Dropped:
            out_.write_entry({});
            break;
        case FilterVerdict::Unreadable:
            break;
    }
}

}  // namespace lurendo
