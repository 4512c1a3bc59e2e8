#include "repair/read/device_speed.h"

#include <fast_float/fast_float.h>

#include <system_error>

#include "common/simd/kernels.h"
#include "repair/read/gpx_grammar.h"

namespace lurendo {

namespace {

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c) || c == '_' || c == '-' ||
           c == '.';
}

// Where the text of a "speed" start tag without attributes begins, when the "d" at `d` ends the local name
// "speed" of a start tag; npos otherwise. The name may carry one prefix ("gpxtpx:"); blanks may stand
// before the ">". A "/>" gives the position of the "/": an empty element, whose text ends where it starts.
size_t speed_tag_content(std::string_view text, size_t d) {
    constexpr std::string_view kName = "speed";
    if (d + 1 < kName.size() || text.substr(d + 1 - kName.size(), kName.size()) != kName)
        return std::string_view::npos;
    size_t start = d + 1 - kName.size();  // of the local name
    if (start > 0 && text[start - 1] == ':') {
        --start;
        while (start > 0 && is_name_char(text[start - 1]))
            --start;
    }
    if (start == 0 || text[start - 1] != '<' || text[start] == ':')
        return std::string_view::npos;
    size_t pos = d + 1;
    while (pos < text.size() && is_space(text[pos]))
        ++pos;
    if (pos < text.size() && text[pos] == '>')
        return pos + 1;
    if (text.substr(pos, 2) == "/>")
        return pos;
    return std::string_view::npos;
}

// The text as a plain decimal: digits, optionally a point and more digits. fast_float reads them, correctly
// rounded however many there are, and stops at anything else (its fixed format takes no exponent); a text
// that starts and ends with a digit also has no sign and no point without a digit on either side.
std::optional<double> plain_decimal(std::string_view text) {
    if (text.empty() || !is_digit(text.front()) || !is_digit(text.back()))
        return std::nullopt;
    double value = 0;
    const char* const end = text.data() + text.size();
    const auto [stop, error] =
        fast_float::from_chars(text.data(), end, value, fast_float::chars_format::fixed);
    if (error != std::errc() || stop != end)
        return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> read_device_speed(std::string_view text) {
    while (!text.empty() && is_space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_space(text.back()))
        text.remove_suffix(1);
    const std::optional<double> value = plain_decimal(text);
    if (!value || *value > kMaxDeviceSpeed)
        return std::nullopt;
    return value;
}

void DeviceSpeedScanner::scan(std::string_view text) {
    if (state_ == State::InValue) {
        collect(text);
        return;
    }
    // "d" is rare in a point's text (no tag of a plain point has one), so a search for it passes over the
    // usual lines at the speed of a byte search.
    for (size_t d = find_byte(text, 'd'); d != std::string_view::npos; d = find_byte(text, 'd', d + 1)) {
        const size_t content = speed_tag_content(text, d);
        if (content == std::string_view::npos)
            continue;
        state_ = State::InValue;
        value_.clear();
        value_too_long_ = false;
        if (text.substr(content, 2) == "/>") {
            finish();
            return;
        }
        collect(text.substr(content));
        return;
    }
}

void DeviceSpeedScanner::collect(std::string_view text) {
    const size_t end = find_byte(text, '<');
    const std::string_view part = text.substr(0, end);
    if (end != std::string_view::npos && value_.empty() && !value_too_long_) {
        // The usual case: the whole text in this piece, read where it lies.
        state_ = State::Done;
        speed_ = part.size() > kMaxValueText ? std::nullopt : read_device_speed(part);
        return;
    }
    if (value_.size() + part.size() > kMaxValueText)
        value_too_long_ = true;
    else
        value_.append(part);
    if (end != std::string_view::npos)
        finish();
}

void DeviceSpeedScanner::finish() {
    state_ = State::Done;
    speed_ = value_too_long_ ? std::nullopt : read_device_speed(value_);
}

}  // namespace lurendo
