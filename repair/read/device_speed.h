// The speed the receiver measured itself (Doppler), as many loggers record it in each track point.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lurendo {

// The highest device speed taken as real; a larger value is a fault of the recording.
inline constexpr double kMaxDeviceSpeed = 150;  // m/s

// Reads a device speed: the text, white space (blanks, line ends) around it aside, must be a plain decimal
// (digits, optionally a point and more digits; no sign, no exponent) from 0 to kMaxDeviceSpeed m/s.
std::optional<double> read_device_speed(std::string_view text);

// Finds the device speed of one track point in its text, fed piece by piece in input order, every line of
// the point included: the text of the first element without attributes whose local name is "speed",
// whatever its prefix (<speed>, <gpxtpx:speed>, <ns3:speed>; never <verticalSpeed>). Once that element
// has been read the point's answer is settled, readable or not.
class DeviceSpeedScanner {
  public:
    void reset() {
        state_ = State::Looking;
        value_.clear();
        speed_.reset();
    }
    void feed(std::string_view text) {
        if (state_ != State::Done)
            scan(text);
    }
    std::optional<double> speed() const { return state_ == State::Done ? speed_ : std::nullopt; }

  private:
    enum class State { Looking, InValue, Done };
    void scan(std::string_view text);
    void collect(std::string_view text);  // the element's text, up to its next "<"
    void finish();

    // An element's text longer than this is no number worth reading.
    static constexpr size_t kMaxValueText = 64;

    State state_ = State::Looking;
    std::string value_;
    bool value_too_long_ = false;
    std::optional<double> speed_;
};

}  // namespace lurendo
