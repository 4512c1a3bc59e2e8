// The output on the machine's disk: a temporary beside the target, written, synced and named only when
// whole, then durably put in the target's place; or, for a device or a FIFO, the target itself written in
// place.
#pragma once

#include <memory>
#include <string>
#include <system_error>

#include "repair/files/file_io.h"
#include "repair/files/temporary_names.h"

namespace lurendo {

class DurableOutputs {
  public:
    // FileSystem::create_temporary_beside on the machine's files.
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path, std::string& temp_path,
                                                        std::error_code& error);
    // FileSystem::replace: renames, then syncs the folder.
    std::error_code replace(const std::string& from, const std::string& to);
    // FileSystem::remove: a temporary not yet named is only forgotten.
    void remove(const std::string& path);

  private:
    Temporaries temporaries_;
};

}  // namespace lurendo
