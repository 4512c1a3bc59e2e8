// Number reading, number-to-text and decimal rounding shared by the repair and statistics code.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lurendo {

// Reads a decimal number: blanks around it and a leading sign are accepted; `decimal_sep` separates the
// fraction, `group_sep` (0 for none) may stand between the integer digits and is skipped. Anything else
// (an empty text, exponents, letters, a second decimal separator) is not a number. By default the tool's
// ordinary reading: "," before the decimals, "." as a digit-group separator.
std::optional<double> read_number(std::string_view text, char decimal_sep = ',', char group_sep = '.');

// Plain decimal text of x with at most 15 significant digits, "," before the decimals, no trailing zeros.
std::string numero_testo(double x);

// x rounded to `decimals` decimals, an exact half going to the even neighbour (on the double product).
double arrotonda(double x, int decimals);

}  // namespace lurendo
