// Sine, cosine and arcsine computed by the project itself, with the same operations in every build, so
// that the desktop, the command line and the WebAssembly page give the same leg speeds to the last bit.
// Platform math libraries differ in their last bit, and a leg's speed is rounded to 0.1 km/h: one bit
// can move a leg across that rounding. Accurate to about one unit in the last place for |x| < 1e6.
#pragma once

namespace lurendo {

double portable_sin(double x);
double portable_cos(double x);
// For |x| <= 1; NaN outside.
double portable_asin(double x);

}  // namespace lurendo
