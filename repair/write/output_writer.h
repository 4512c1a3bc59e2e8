// The repaired document on its way to the file: lines and point entries go straight into a large buffer;
// full buffers go to the block writer, which puts them into the file while the run goes on. Every block but
// the last is a whole number of pages in page-aligned memory, so the file may write it past its cache.
#pragma once

#include <memory>
#include <string_view>
#include <system_error>

#include "repair/files/file_io.h"
#include "repair/read/track_point.h"
#include "repair/write/block_writer.h"
#include "repair/write/page_buffer.h"

namespace lurendo {

class OutputWriter {
  public:
    explicit OutputWriter(std::unique_ptr<OutputFile> file);
    ~OutputWriter();  // abandons what is not written yet
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // One line of the fixed header or footer, followed by CR LF.
    void riga(std::string_view text);
    // The entry of a kept point (PuntoLetto::voce).
    void voce(const PuntoLetto& punto);
    // The entry of a dropped point: an empty line.
    void punto_scartato() { riga({}); }

    // Writes what is buffered and closes durably; true when every byte reached the disk. After the first
    // failed write nothing more is written; `error()` then holds its cause (none when unknown).
    bool finish();
    // Stops writing and waits for the writing thread; the file is left as it is.
    void abandon() { blocks_.abandon(); }
    std::error_code error() const { return error_; }

  private:
    bool usable() const { return file_ && !failed_; }
    void flush_if_full() {
        if (buffer_.size() >= kWriteBlock)
            hand_over(false);
    }
    // `last`: the whole buffer goes; otherwise its whole pages, and the rest starts the next buffer.
    void hand_over(bool last);
    void take_write_failure();

    static constexpr size_t kWriteBlock = 1 << 20;

    std::unique_ptr<OutputFile> file_;
    PageBuffer buffer_;  // filled by the run
    bool failed_ = false;
    std::error_code error_;

    BlockWriter blocks_{file_.get()};  // last: it stops before the file goes
};

}  // namespace lurendo
