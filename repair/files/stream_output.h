// Output written straight into its target as the document is made: a device, a FIFO, standard output.
// There is nothing to sync (such files have no disk of their own to reach) and nothing to rename.
#pragma once

#include <memory>
#include <string>
#include <system_error>

#include "repair/files/file_io.h"

namespace lurendo {

// Opens the device or FIFO `path` to write into it as it is; nullptr, with the cause in `error`, when it
// cannot be opened. A FIFO waits for its reader; a stop signal ends the wait with EINTR (the CLI's signals
// do not restart calls), and the run then stops.
std::unique_ptr<OutputFile> open_stream(const std::string& path, std::error_code& error);

}  // namespace lurendo
