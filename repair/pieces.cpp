#include "repair/pieces.h"

#include <algorithm>

namespace lurendo {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

void PieceCutter::find_cuts(std::string_view line) {
    cuts_.clear();
    candidates_.clear();
    size_t pos = 0;
    bool sorted = true;
    while ((pos = line.find('<', pos)) != std::string_view::npos) {
        const std::string_view rest = line.substr(pos);
        if (rest.starts_with("<trkpt")) {
            candidates_.push_back(pos);
            const size_t close = line.find('>', pos + 6);
            if (close != std::string_view::npos) {
                candidates_.push_back(close + 1);
                // A stray "<" inside the start tag would put later candidates before this one.
                if (line.find('<', pos + 1) < close)
                    sorted = false;
            }
        } else if (rest.starts_with("</trkpt>")) {
            candidates_.push_back(pos);
            candidates_.push_back(pos + 8);
        } else if (rest.starts_with("</ele>")) {
            candidates_.push_back(pos + 6);
        } else if (rest.starts_with("</time>")) {
            candidates_.push_back(pos + 7);
        }
        ++pos;
    }
    if (candidates_.empty())
        return;
    if (!sorted)
        std::sort(candidates_.begin(), candidates_.end());

    size_t end = line.size();  // the rest of the line from a candidate on is blank when it starts at `end`
    while (end > 0 && is_blank(line[end - 1]))
        --end;
    size_t previous = 0;
    for (const size_t candidate : candidates_) {
        if (candidate <= previous || candidate >= end)
            continue;
        size_t i = previous;
        while (i < candidate && is_blank(line[i]))
            ++i;
        if (i == candidate)
            continue;  // only blanks since the previous cut
        cuts_.push_back(candidate);
        previous = candidate;
    }
}

}  // namespace lurendo
