// A windsurf session on a lake, one fix per second: planing runs across the wind, gybes, slow phases.
#pragma once

#include <cstdint>
#include <random>

namespace lurendo::bench {

struct Fix {
    double latitude;   // degrees
    double longitude;  // degrees
    double elevation;  // metres
};

// The sailor stays within a few kilometres of a fixed spot however long the session runs, so the
// coordinates keep two integer digits even for millions of fixes. The same seed gives the same session.
class SessionSimulator {
  public:
    explicit SessionSimulator(uint64_t seed);

    // The current fix; the first call gives the start, every further call the position one second later.
    Fix next();
    // The speed over the second that ended at the last fix.
    double speed_kmh() const { return speed_kmh_; }

  private:
    enum class Phase { run, gybe, slow };

    double uniform(double low, double high);
    void advance();
    void steer();
    void end_phase();
    void start_run();
    void start_gybe();
    void start_slow();
    double choose_offset();
    double downwind() const { return wind_from_ + 180; }
    double course() const;
    double along_wind() const;
    double across_wind() const;

    std::mt19937_64 rng_;
    bool started_ = false;
    double wind_from_;   // compass degrees
    double east_m_ = 0;  // position relative to the centre of the sailing area
    double north_m_ = 0;
    double elevation_ = 65;
    double speed_kmh_ = 5;
    double heading_ = 0;  // compass degrees
    double wander_ = 0;   // the sailor's drift around the chosen course, degrees
    int side_ = 1;        // +1 or -1: which beam the wind comes over
    double offset_ = 0;   // degrees closer to the wind than a beam reach (negative: further off it)
    Phase phase_ = Phase::slow;
    int phase_length_ = 1;  // seconds
    int phase_left_ = 1;
    double phase_speed_ = 0;   // what the phase aims at before gusts, km/h
    double gust_period_ = 40;  // seconds
    double gybe_from_ = 0;     // headings relative to downwind at the start and end of a gybe
    double gybe_to_ = 0;
    long elapsed_ = 0;  // seconds since the start
};

}  // namespace lurendo::bench
