// The repaired document on its way to the file: lines and point entries go straight into one large buffer
// that is written in big blocks.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "repair/file_io.h"
#include "repair/track_point.h"

namespace lurendo {

class OutputWriter {
  public:
    explicit OutputWriter(std::unique_ptr<OutputFile> file);

    // One line of the fixed header or footer, followed by CR LF.
    void riga(std::string_view text);
    // The entry of a kept point: its laid-out text, followed by CR LF.
    void punto(const PuntoLetto& punto);
    // The entry of a dropped point: an empty line.
    void punto_scartato() { riga({}); }

    // Writes what is buffered and closes durably; true when every byte reached the disk. After the first
    // failed write nothing more is written; `error()` then holds its errno (0 when unknown).
    bool finish();
    int error() const { return error_; }

  private:
    bool usable() const { return file_ && !failed_; }
    void flush_if_full();
    void flush();
    void fail();

    std::unique_ptr<OutputFile> file_;
    std::string buffer_;
    bool failed_ = false;
    int error_ = 0;
};

}  // namespace lurendo
