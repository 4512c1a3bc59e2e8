// Puts the output's full blocks into the file on a thread of its own, started with the first of them, while
// the run fills the next. A fixed set of buffers circulates between the two threads: one the run fills, one
// waiting, one being written. The run waits when it has filled its buffer and the other two are still on
// their way, which holds it to the pace of the disk in bounded memory; and since no more buffers exist
// than the queues have places, giving one back never allocates. Without helper threads, and for an output
// that ends before its first full block, a block is written at once on the run's thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <system_error>

#include "common/threads/hand_off.h"
#include "common/threads/threads.h"
#include "repair/files/file_io.h"
#include "repair/write/page_buffer.h"

namespace lurendo {

class BlockWriter {
  public:
    explicit BlockWriter(OutputFile* file) : file_(file) {}  // the file outlives the writer
    ~BlockWriter() { abandon(); }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    // Sends the whole pages of `buffer` to the file, or all of it when `last`; `buffer` is then the next
    // buffer to fill and starts with the bytes left over. After a failure nothing more is sent.
    void send(PageBuffer& buffer, bool last);
    // Waits until every block sent is written; true when every write succeeded.
    bool finish();
    // Stops writing and waits for the thread; blocks not yet written are dropped.
    void abandon();

    // A write failed; nothing is written after it.
    bool failed() const { return failed_.load(std::memory_order_acquire); }
    // The cause of the failed write; none when unknown or when none failed.
    std::error_code error() const { return failed() ? error_ : std::error_code(); }

  private:
    void start();
    void write_loop(StopToken stop);
    void write(const PageBuffer& block);

    static constexpr size_t kBuffers = 3;

    OutputFile* const file_;
    HandOff<PageBuffer> full_{kBuffers};
    HandOff<PageBuffer> emptied_{kBuffers};
    // The first failure, recorded by whichever thread writes: error_ is set once, before failed_.
    std::error_code error_;
    std::atomic<bool> failed_ = false;
    HelperThread thread_;  // last: it stops before anything it uses goes
};

}  // namespace lurendo
