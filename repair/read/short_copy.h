// A copy of a few dozen bytes, inline. The texts of a point are that short, and a call to the library's
// memcpy, which first picks its way by the length, costs more than the copy itself. Two overlapping
// fixed-size moves cover any length between a size and its double, as the small-size paths of the
// library's own copies do; longer texts go to memcpy.
#pragma once

#include <cstddef>
#include <cstring>

namespace lurendo {

namespace detail {
// Bytes [0, N) and [n - N, n), for N <= n <= 2N.
template <size_t N>
inline void copy_ends(char* to, const char* from, size_t n) {
    char head[N];
    char tail[N];
    std::memcpy(head, from, N);
    std::memcpy(tail, from + n - N, N);
    std::memcpy(to, head, N);
    std::memcpy(to + n - N, tail, N);
}
}  // namespace detail

inline void copy_short(char* to, const char* from, size_t n) {
    if (n >= 16) {
        if (n <= 32) {
            detail::copy_ends<16>(to, from, n);
        } else if (n <= 64) {
            detail::copy_ends<32>(to, from, n);
        } else {
            std::memcpy(to, from, n);
        }
    } else if (n >= 8) {
        detail::copy_ends<8>(to, from, n);
    } else if (n >= 4) {
        detail::copy_ends<4>(to, from, n);
    } else {
        for (size_t i = 0; i < n; ++i)
            to[i] = from[i];
    }
}

}  // namespace lurendo
