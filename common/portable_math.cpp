#include "common/portable_math.h"

#include <cmath>
#include <limits>

namespace lurendo {

namespace {

// Taylor coefficients, each the double nearest to the exact fraction. On the reduced ranges below the
// first neglected term lies under 1e-18 of the result.
constexpr double kSin[] = {-1.0 / 6,
                           1.0 / 120,
                           -1.0 / 5040,
                           1.0 / 362880,
                           -2.505210838544172e-08,
                           1.6059043836821613e-10,
                           -7.647163731819816e-13,
                           2.8114572543455206e-15};
constexpr double kCos[] = {-0.5,
                           1.0 / 24,
                           -1.0 / 720,
                           1.0 / 40320,
                           -2.755731922398589e-07,
                           2.08767569878681e-09,
                           -1.1470745597729725e-11,
                           4.779477332387385e-14,
                           -1.5619206968586225e-16};
// (2n)! / (4^n (n!)^2 (2n + 1)), n = 1, 2, …: asin x = x + x^3 (c1 + c2 x^2 + …).
constexpr double kAsin[] = {0.16666666666666666,   0.075,
                            0.044642857142857144,  0.030381944444444444,
                            0.022372159090909092,  0.017352764423076924,
                            0.01396484375,         0.011551800896139705,
                            0.009761609529194078,  0.008390335809616815,
                            0.0073125258735988454, 0.006447210311889649,
                            0.005740037670841924,  0.005153309682319905,
                            0.004660143486915096,  0.004240907093679363,
                            0.003880964558837669,  0.0035692053938259347,
                            0.003297059503473485,  0.0030578216492580306,
                            0.002846178401108942,  0.00265787063820729,
                            0.0024894486782468836, 0.002338091892111975,
                            0.0022014739737101384, 0.0020776610325181676};

// pi/2 in three parts: the first two have 33 significant bits, so that n times each is exact for the
// quadrant counts that occur (Cody and Waite's reduction).
constexpr double kHalfPi1 = 0x1.921fb544p+0;
constexpr double kHalfPi2 = 0x1.0b4611a6p-34;
constexpr double kHalfPi3 = 0x1.3198a2e037073p-69;
// pi/2 as the nearest double and what it leaves out.
constexpr double kHalfPiHigh = 0x1.921fb54442d18p+0;
constexpr double kHalfPiLow = 6.123233995736766e-17;
constexpr double kTwoOverPi = 0.6366197723675814;
constexpr double kQuarterPi = 0.7853981633974483;
constexpr double kSmall = 0x1p-7;  // below this a few terms of each series suffice

// c[0] + c[1] z + … + c[n - 1] z^(n - 1), by Horner's rule.
template <int N>
double polynomial(const double (&c)[N], double z, int n = N) {
    double sum = c[n - 1];
    for (int k = n - 2; k >= 0; --k)
        sum = c[k] + z * sum;
    return sum;
}

// For |r| <= pi/4.
double sin_reduced(double r) {
    const double z = r * r;
    return r + r * z * polynomial(kSin, z, std::fabs(r) < kSmall ? 3 : 8);
}

double cos_reduced(double r) {
    const double z = r * r;
    return 1 + z * polynomial(kCos, z, std::fabs(r) < kSmall ? 4 : 9);
}

struct Reduced {
    double r;      // in [-pi/4, pi/4]
    int quadrant;  // 0 to 3
};

Reduced reduce(double x) {
    if (std::fabs(x) <= kQuarterPi)
        return {x, 0};
    const double n = std::floor(x * kTwoOverPi + 0.5);
    const double r = ((x - n * kHalfPi1) - n * kHalfPi2) - n * kHalfPi3;
    const double quadrant = n - 4 * std::floor(n / 4);
    return {r, static_cast<int>(quadrant)};
}

// For 0 <= x <= 1/2.
double asin_half(double x) {
    const double z = x * x;
    return x + x * z * polynomial(kAsin, z, x < kSmall ? 5 : 26);
}

}  // namespace

double portable_sin(double x) {
    if (!std::isfinite(x))
        return std::numeric_limits<double>::quiet_NaN();
    const Reduced a = reduce(x);
    switch (a.quadrant) {
        case 0:
            return sin_reduced(a.r);
        case 1:
            return cos_reduced(a.r);
        case 2:
            return -sin_reduced(a.r);
        default:
            return -cos_reduced(a.r);
    }
}

double portable_cos(double x) {
    if (!std::isfinite(x))
        return std::numeric_limits<double>::quiet_NaN();
    const Reduced a = reduce(x);
    switch (a.quadrant) {
        case 0:
            return cos_reduced(a.r);
        case 1:
            return -sin_reduced(a.r);
        case 2:
            return -cos_reduced(a.r);
        default:
            return sin_reduced(a.r);
    }
}

double portable_asin(double x) {
    const double a = std::fabs(x);
    if (!(a <= 1))
        return std::numeric_limits<double>::quiet_NaN();
    double result;
    if (a <= 0.5) {
        result = asin_half(a);
    } else {
        // asin a = pi/2 - 2 asin(sqrt((1 - a) / 2)); 1 - a is exact for a >= 1/2.
        const double s = std::sqrt((1 - a) / 2);
        result = kHalfPiHigh - (2 * asin_half(s) - kHalfPiLow);
    }
    return x < 0 ? -result : result;
}

}  // namespace lurendo
