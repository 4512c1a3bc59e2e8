// A file layer over the machine's files that fails exactly where a test tells it to, and the helpers the
// fault tests share.
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "repair/files/file_io.h"

namespace lurendo::test {

// Where the file layer breaks. Byte counts are totals over the whole run; -1 means never.
struct Faults {
    bool open_fails = false;      // the input cannot be opened
    long read_error_after = -1;   // bytes delivered before every further read reports an error
    long input_ends_after = -1;   // bytes delivered before the input seems to end (a file cut short)
    int silent_reads = 0;         // "nothing yet" answers before each read that delivers (a slow pipe)
    bool create_fails = false;    // no temporary output can be made
    long write_error_after = -1;  // bytes stored before writing fails (the write that crosses it stores
                                  // its first part, as on a full disk)
    bool close_fails = false;
    bool replace_fails = false;  // the finished temporary cannot take the place of the output
    // What every failure above gives as its cause; none: a failure whose cause is not known.
    std::error_code cause = {};
    // Called while the output is put on the disk, and once the temporary has taken the output's place.
    std::function<void()> during_sync = nullptr;
    std::function<void()> after_replace = nullptr;
};

class FaultyFiles final : public FileSystem {
  public:
    explicit FaultyFiles(Faults faults = {}) : faults(faults) {}

    // May be changed while a run is going on.
    Faults faults;

    long bytes_read() const { return bytes_read_; }
    long bytes_written() const { return bytes_written_; }
    // Every temporary path the run was given, in order.
    const std::vector<std::string>& temporaries() const { return temporaries_; }

    std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) override;
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path, std::string& temp_path,
                                                        std::error_code& error) override;
    std::error_code replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& path) override;

  private:
    class Input;
    class Output;
    std::error_code injected() const { return faults.cause ? faults.cause : unexplained_failure(); }
    long bytes_read_ = 0;
    long bytes_written_ = 0;
    std::vector<std::string> temporaries_;
};

// Test sizes are cut down when the sanitizers slow everything.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
inline constexpr size_t scaled(size_t size) {
    return kSanitized ? size / 4 : size;
}

}  // namespace lurendo::test
