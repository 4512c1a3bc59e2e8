// The fixed lines around the points of the repaired track document.
#pragma once

#include <array>
#include <string_view>

namespace lurendo {

// Lines 1 to 14 of every repaired document, without their CR LF.
const std::array<std::string_view, 14>& header_lines();
// The last three lines, without their CR LF.
const std::array<std::string_view, 3>& footer_lines();

}  // namespace lurendo
