#include "repair/read/gpx_grammar.h"

#include "common/simd/kernels.h"

namespace lurendo {

// Each of the three words holds a letter that no other does: the "l" of "ele", the "m" of "time", the "k"
// of "trkpt". The search jumps from one of those letters to the next and looks around it; a piece with
// none of them, like most extension lines, is passed over at the pace of a byte search.
bool mentions_point(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const auto around = [&](const char* p, size_t before, std::string_view word) {
        return static_cast<size_t>(p - begin) >= before &&
               has_at(text, static_cast<size_t>(p - begin) - before, word);
    };
    for (const char* p = begin; (p = find_any(p, end, 'l', 'm', 'k')) < end; ++p) {
        if (*p == 'l' ? around(p, 1, "ele") : *p == 'm' ? around(p, 2, "time") : around(p, 2, "trkpt"))
            return true;
    }
    return false;
}

}  // namespace lurendo
