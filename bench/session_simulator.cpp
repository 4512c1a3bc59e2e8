#include "bench/session_simulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "bench/uniform.h"

namespace lurendo::bench {
namespace {

constexpr double kCentreLatitude = 45.62;
constexpr double kCentreLongitude = 10.70;
constexpr double kMetresPerDegree = 111195.0;  // along a meridian, for an Earth radius of 6371 km
// Runs heading outwards end this far across the wind; along the wind the next courses bend back instead.
constexpr double kAcrossLimitM = 1500;
constexpr double kAlongLimitM = 400;
constexpr double kMinSpeed = 5;
constexpr double kMaxSpeed = 40;

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

}  // namespace

SessionSimulator::SessionSimulator(uint64_t seed) : rng_(seed) {
    wind_from_ = uniform(-30, 30);  // a northerly breeze
    side_ = uniform(0, 1) < 0.5 ? 1 : -1;
    east_m_ = uniform(-300, 300);
    north_m_ = uniform(-300, 300);
    offset_ = choose_offset();
    start_slow();  // leaving the shore
    heading_ = course();
}

double SessionSimulator::uniform(double low, double high) {
    return bench::uniform(rng_, low, high);
}

Fix SessionSimulator::next() {
    if (started_)
        advance();
    started_ = true;
    const double metres_per_degree_east = kMetresPerDegree * std::cos(radians(kCentreLatitude));
    return {kCentreLatitude + north_m_ / kMetresPerDegree,
            kCentreLongitude + east_m_ / metres_per_degree_east, elevation_};
}

void SessionSimulator::advance() {
    ++elapsed_;
    --phase_left_;
    steer();

    double target = phase_speed_;
    if (phase_ == Phase::run)
        target += 4 * std::sin(2 * std::numbers::pi * static_cast<double>(elapsed_) / gust_period_);
    // Boards pick up speed slowly and lose it quickly, but by no more than 4 km/h in a second.
    const double response = target > speed_kmh_ ? 0.07 : 0.18;
    speed_kmh_ += std::clamp((target - speed_kmh_) * response, -4.0, 4.0) + uniform(-0.3, 0.3);
    speed_kmh_ = std::clamp(speed_kmh_, kMinSpeed, kMaxSpeed);

    const double metres = speed_kmh_ / 3.6;
    east_m_ += metres * std::sin(radians(heading_));
    north_m_ += metres * std::cos(radians(heading_));
    elevation_ = std::clamp(elevation_ + uniform(-0.1, 0.1) + (65 - elevation_) * 0.02, 63.5, 66.5);

    const bool outwards = side_ * across_wind() > kAcrossLimitM;
    if (phase_left_ <= 0 || (phase_ == Phase::run && outwards))
        end_phase();
}

void SessionSimulator::steer() {
    if (phase_ == Phase::gybe) {
        // The board bears away through downwind onto the other side, evenly over the gybe.
        const double progress = static_cast<double>(phase_length_ - phase_left_) / phase_length_;
        heading_ = downwind() + gybe_from_ + (gybe_to_ - gybe_from_) * progress;
        return;
    }
    // A random walk pulled back to the course: at most 15 degrees off it on a run, 27 when slow.
    const bool slow = phase_ == Phase::slow;
    const double step = slow ? 4.0 : 1.5;
    wander_ = wander_ * (slow ? 0.85 : 0.9) + uniform(-step, step);
    heading_ = course() + wander_;
}

void SessionSimulator::end_phase() {
    switch (phase_) {
        case Phase::run:
            start_gybe();
            break;
        case Phase::gybe:
            // About one gybe in three ends in the water: a slow restart before the next run.
            if (uniform(0, 1) < 0.35)
                start_slow();
            else
                start_run();
            break;
        case Phase::slow:
            start_run();
            break;
    }
}

void SessionSimulator::start_run() {
    phase_ = Phase::run;
    phase_length_ = phase_left_ = static_cast<int>(uniform(40, 200));
    phase_speed_ = uniform(24, 35);
    gust_period_ = uniform(25, 70);
}

void SessionSimulator::start_gybe() {
    phase_ = Phase::gybe;
    phase_length_ = phase_left_ = static_cast<int>(uniform(6, 13));
    phase_speed_ = uniform(11, 17);
    gybe_from_ = std::remainder(heading_ - downwind(), 360.0);
    side_ = -side_;
    offset_ = choose_offset();
    wander_ = 0;
    gybe_to_ = side_ * (90 + offset_);
}

void SessionSimulator::start_slow() {
    phase_ = Phase::slow;
    phase_length_ = phase_left_ = static_cast<int>(uniform(30, 180));
    phase_speed_ = uniform(5, 10);
}

// Too far downwind the next course points higher into the wind, too far upwind it bears away.
double SessionSimulator::choose_offset() {
    const double along = along_wind();
    if (along > kAlongLimitM)
        return uniform(5, 25);
    if (along < -kAlongLimitM)
        return uniform(-25, -5);
    return uniform(-20, 20);
}

double SessionSimulator::course() const {
    return downwind() + side_ * (90 + offset_);
}

double SessionSimulator::along_wind() const {
    return east_m_ * std::sin(radians(downwind())) + north_m_ * std::cos(radians(downwind()));
}

double SessionSimulator::across_wind() const {
    return east_m_ * std::sin(radians(downwind() + 90)) + north_m_ * std::cos(radians(downwind() + 90));
}

}  // namespace lurendo::bench
