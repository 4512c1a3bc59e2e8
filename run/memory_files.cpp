#include "run/memory_files.h"

namespace lurendo {

class MemoryFiles::Input final : public InputFile {
  public:
    explicit Input(const TrackReader& read_track) : read_track_(read_track) {}
    long read(char* buffer, size_t capacity, std::error_code& error) override {
        const long n = read_track_(buffer, capacity);
        if (n >= 0)
            return n;
        error = std::make_error_code(std::errc::io_error);
        return kError;
    }

  private:
    const TrackReader& read_track_;
};

std::unique_ptr<InputFile> MemoryFiles::open_input(const std::string& path, std::error_code& error) {
    if (path != track_name_) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
        return nullptr;
    }
    return std::make_unique<Input>(read_track_);
}

std::unique_ptr<OutputFile> MemoryFiles::create_temporary_beside(const std::string& final_path,
                                                                 std::string& temp_path, std::error_code&) {
    temp_path = final_path + ".tmp";
    temporary_.clear();
    // The repaired document is about as long as the track: no copying as it grows.
    temporary_.reserve(size_hint_ + (64 << 10));
    return std::make_unique<StringOutput>(temporary_);
}

std::error_code MemoryFiles::replace(const std::string&, const std::string&) {
    out_gpx_ = std::move(temporary_);
    temporary_.clear();
    return {};
}

void MemoryFiles::remove(const std::string&) {
    temporary_.clear();
    temporary_.shrink_to_fit();
}

}  // namespace lurendo
