// The files of a run held in memory: the track read block by block from the caller as the run asks for it,
// and the repaired document kept in a string until the caller takes it. Nothing touches a disk.
#pragma once

#include <string>

#include "repair/files/file_io.h"
#include "run/run.h"

namespace lurendo {

class MemoryFiles final : public FileSystem {
  public:
    // `read_track` hands out the track named `track_name` from its start; `size_hint` is its length.
    MemoryFiles(std::string track_name, TrackReader read_track, size_t size_hint)
        : track_name_(std::move(track_name)), read_track_(std::move(read_track)), size_hint_(size_hint) {}

    // The repaired document once a run has put it in place (empty before), handed over without a copy.
    std::string take_out_gpx() { return std::move(out_gpx_); }

    std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) override;
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path, std::string& temp_path,
                                                        std::error_code& error) override;
    std::error_code replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& path) override;
    // The track and the document never share a file, whatever the track is called.
    bool same_file(const std::string&, const std::string&) override { return false; }

  private:
    class Input;
    std::string track_name_;
    TrackReader read_track_;
    size_t size_hint_;
    std::string temporary_;
    std::string out_gpx_;
};

}  // namespace lurendo
