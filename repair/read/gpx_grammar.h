// The track grammar in one place: the tag texts that shape a track point, the tests of whether a text or a
// tag concerns a point, and what counts as a blank, a space or a digit. The line reader, the piece cutter,
// the plain-point recogniser, the block assembler, the point reader and the device speed all ask here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/portability.h"

namespace lurendo {

inline constexpr std::string_view kPointStart = "<trkpt";  // with its attributes after it, or "/>"
inline constexpr std::string_view kPointEnd = "</trkpt>";
inline constexpr std::string_view kEleStart = "<ele>";
inline constexpr std::string_view kEleEnd = "</ele>";
inline constexpr std::string_view kTimeStart = "<time>";
inline constexpr std::string_view kTimeEnd = "</time>";
inline constexpr std::string_view kSpeedStart = "<speed>";
inline constexpr std::string_view kSpeedEnd = "</speed>";
// The longest of the tags that decide where a line is cut.
inline constexpr size_t kLongestCutTag = kPointEnd.size();
// Eight blanks before "<ele>" earn a line break in front of them in the laid-out text.
inline constexpr std::string_view kEleIndent = "        ";

// A blank of a line: space or tab.
inline bool is_blank(char c) {
    return c == ' ' || c == '\t';
}
// XML's white space, which may surround an element's text: blanks and line ends.
inline bool is_space(char c) {
    return is_blank(c) || c == '\r' || c == '\n';
}
inline bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Whether `word` stands in `text` at `pos`. Always inline, so that a literal word is known where it is
// compared: a word of eight characters is then one eight-byte comparison, one of four to seven two
// overlapping four-byte ones, as in short_copy.h, where the compiler would often call memcmp for the odd
// lengths of the tags.
LURENDO_INLINE inline bool has_at(std::string_view text, size_t pos, std::string_view word) {
    if (pos > text.size() || text.size() - pos < word.size())
        return false;
    const char* const here = text.data() + pos;
    if (word.size() == 8) {
        uint64_t bytes = 0;
        uint64_t word_bytes = 0;
        std::memcpy(&bytes, here, 8);
        std::memcpy(&word_bytes, word.data(), 8);
        return bytes == word_bytes;
    }
    if (word.size() >= 4 && word.size() <= 7) {
        const size_t last = word.size() - 4;
        uint32_t head = 0;
        uint32_t tail = 0;
        uint32_t word_head = 0;
        uint32_t word_tail = 0;
        std::memcpy(&head, here, 4);
        std::memcpy(&tail, here + last, 4);
        std::memcpy(&word_head, word.data(), 4);
        std::memcpy(&word_tail, word.data() + last, 4);
        return ((head ^ word_head) | (tail ^ word_tail)) == 0;
    }
    return std::memcmp(here, word.data(), word.size()) == 0;
}

// True when the text holds "trkpt", "ele" or "time", the words that make a piece part of a point.
bool mentions_point(std::string_view text);

// What the "<" at a position opens, as far as a track point is concerned.
enum class Tag {
    Other,       // nothing of a point
    PointStart,  // "<trkpt"
    PointEnd,    // "</trkpt>"
    EleStart,    // "<ele>"
    EleEnd,      // "</ele>"
    TimeStart,   // "<time>"
    TimeEnd,     // "</time>"
    NamesPoint,  // another tag whose name begins with "ele" or "time": the text mentions a point
};

// The tag at `pos`, a "<" in `text`.
inline Tag tag_at(std::string_view text, size_t pos) {
    if (text.size() - pos < 2)
        return Tag::Other;
    switch (text[pos + 1]) {
        case 't':
            if (has_at(text, pos, kPointStart))
                return Tag::PointStart;
            if (has_at(text, pos, kTimeStart))
                return Tag::TimeStart;
            return has_at(text, pos, "<time") ? Tag::NamesPoint : Tag::Other;
        case 'e':
            if (has_at(text, pos, kEleStart))
                return Tag::EleStart;
            return has_at(text, pos, "<ele") ? Tag::NamesPoint : Tag::Other;
        case '/':
            if (has_at(text, pos, kPointEnd))
                return Tag::PointEnd;
            if (has_at(text, pos, kEleEnd))
                return Tag::EleEnd;
            return has_at(text, pos, kTimeEnd) ? Tag::TimeEnd : Tag::Other;
        default:
            return Tag::Other;
    }
}

}  // namespace lurendo
