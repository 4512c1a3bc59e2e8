#include "repair/device_speed.h"

#include "common/numbers.h"
#include "repair/scan.h"

namespace lurendo {

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool is_name_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c) || c == '_' || c == '-' ||
           c == '.';
}

// Where the text of a "speed" start tag without attributes begins, when the tag opens at `lt`; npos
// otherwise. The name is a local name with at most one prefix; blanks may stand before the ">".
size_t speed_tag_content(std::string_view text, size_t lt) {
    size_t pos = lt + 1;
    size_t local = pos;
    while (pos < text.size() && (is_name_char(text[pos]) || text[pos] == ':')) {
        if (text[pos] == ':')
            local = pos + 1;
        ++pos;
    }
    if (text.substr(local, pos - local) != "speed")
        return std::string_view::npos;
    while (pos < text.size() && is_blank(text[pos]))
        ++pos;
    if (pos < text.size() && text[pos] == '>')
        return pos + 1;
    if (text.substr(pos, 2) == "/>")
        return pos;  // an empty element: its text ends where it starts
    return std::string_view::npos;
}

}  // namespace

std::optional<double> read_device_speed(std::string_view text) {
    while (!text.empty() && is_blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && is_blank(text.back()))
        text.remove_suffix(1);
    size_t pos = 0;
    while (pos < text.size() && is_digit(text[pos]))
        ++pos;
    if (pos == 0)
        return std::nullopt;
    if (pos < text.size()) {
        if (text[pos] != '.' || pos + 1 == text.size())
            return std::nullopt;
        for (++pos; pos < text.size(); ++pos) {
            if (!is_digit(text[pos]))
                return std::nullopt;
        }
    }
    const std::optional<double> value = read_number(text, '.', 0);
    if (!value || *value > kMaxDeviceSpeed)
        return std::nullopt;
    return value;
}

void DeviceSpeedScanner::scan(std::string_view text) {
    if (state_ == State::InValue) {
        collect(text);
        return;
    }
    for (size_t lt = find_byte(text, '<'); lt != std::string_view::npos; lt = find_byte(text, '<', lt + 1)) {
        const size_t content = speed_tag_content(text, lt);
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
