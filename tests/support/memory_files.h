// A file layer held in memory: files are byte strings keyed by path. Runs through it create no files, so the
// fuzz target and the tests can run thousands of them quickly, and its inputs can be made to hand out the
// bytes in blocks of any size.
#pragma once

#include <cstddef>
#include <limits>
#include <map>
#include <memory>
#include <string>

#include "repair/files/file_io.h"

namespace lurendo::test {

class MemoryFiles final : public FileSystem {
  public:
    // Every file there is, by path; temporaries appear here from their creation until replaced or removed.
    std::map<std::string, std::string> files;
    // The most bytes one read of an input returns.
    size_t read_block = std::numeric_limits<size_t>::max();

    // An input reads the bytes the file held when it was opened; a missing path fails with ENOENT.
    std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) override;
    // Named "<final_path>.<n>.tmp"; its bytes land in `files` as they are written.
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path, std::string& temp_path,
                                                        std::error_code& error) override;
    std::error_code replace(const std::string& from, const std::string& to) override;
    void remove(const std::string& path) override { files.erase(path); }

  private:
    class Input;
    class Output;
    unsigned temporaries_made_ = 0;
};

}  // namespace lurendo::test
