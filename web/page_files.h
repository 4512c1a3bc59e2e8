// The files of a run in the page: the track read block by block from the file the user chose, as the run
// asks for it, and out.gpx kept in memory until the page offers it for download. Nothing touches a disk.
#pragma once

#include <string>

#include "run/run.h"

namespace lurendo::web {

class PageFiles final : public FileSystem {
  public:
    // Reads the track's next bytes into `buffer`: the count, 0 at its end, negative on a read error.
    using TrackReader = long (*)(char* buffer, size_t capacity);

    // `read_track` hands out the track named `track_name` from its start; `size_hint` is its length.
    PageFiles(std::string track_name, TrackReader read_track, size_t size_hint)
        : track_name_(std::move(track_name)), read_track_(read_track), size_hint_(size_hint) {}

    // The repaired document once a run has put it in place (empty before), handed over without a copy.
    std::string take_out_gpx() { return std::move(out_gpx_); }

    std::unique_ptr<InputFile> open_input(const std::string& path) override;
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path,
                                                        std::string& temp_path) override;
    bool replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& path) override;
    // The track and out.gpx never share a file, whatever the track is called.
    bool same_file(const std::string&, const std::string&) override { return false; }

  private:
    class Input;
    std::string track_name_;
    TrackReader read_track_;
    size_t size_hint_;
    std::string temporary_;
    std::string out_gpx_;
};

}  // namespace lurendo::web
