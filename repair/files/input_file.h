// Inputs from the machine's files: a regular file, or a pipe, socket or device read without waiting for
// ever.
#pragma once

#include <memory>
#include <string>
#include <system_error>

#include "repair/files/file_io.h"

namespace lurendo {

// nullptr, with the cause in `error`, when `path` cannot be opened for reading or is a folder.
std::unique_ptr<InputFile> open_machine_input(const std::string& path, std::error_code& error);

}  // namespace lurendo
