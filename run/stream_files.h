// The machine's files as a run names them: "-" as an output is standard output.
#pragma once

#include <memory>
#include <string>

#include "repair/files/file_io.h"

namespace lurendo {

class StreamAwareFiles final : public FileSystem {
  public:
    std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) override;
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path, std::string& temp_path,
                                                        std::error_code& error) override;
    std::error_code replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& path) override;
    // Standard output is the same file as an input when it was opened on that input (`>> traccia.gpx`).
    bool same_file(const std::string& a, const std::string& b) override;
};

}  // namespace lurendo
