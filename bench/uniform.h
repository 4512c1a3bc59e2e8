// Uniform draws built from the raw 64-bit output of the engine, which the standard fixes exactly: unlike
// std::uniform_real_distribution, every standard library then gives the same track for the same seed.
#pragma once

#include <random>

namespace lurendo::bench {

inline double uniform(std::mt19937_64& engine, double low, double high) {
    return low + (high - low) * static_cast<double>(engine() >> 11) * 0x1.0p-53;
}

}  // namespace lurendo::bench
