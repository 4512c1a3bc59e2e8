#include "repair/write/block_writer.h"

#include <optional>
#include <string_view>
#include <utility>

namespace lurendo {

namespace {

// Room for a full block and the entry that fills it, so that a buffer in use seldom grows.
constexpr size_t kBlockRoom = (1 << 20) + (64 << 10);

}  // namespace

void BlockWriter::send(PageBuffer& buffer, bool last) {
    if (failed()) {
        buffer.clear();
        return;
    }
    if (!kHelperThreads || (last && !thread_.joinable())) {
        // No thread to write beside the run, or a short output: written here, in one go.
        write(buffer);
        buffer.clear();
        return;
    }
    if (!thread_.joinable())
        start();
    std::optional<PageBuffer> next = emptied_.pop();
    if (!next) {
        buffer.clear();  // abandoned: nothing more is written
        return;
    }
    next->reserve(kBlockRoom);
    const size_t whole = last ? buffer.size() : buffer.size() / PageBuffer::kPage * PageBuffer::kPage;
    next->append(std::string_view(buffer.data() + whole, buffer.size() - whole));
    buffer.truncate(whole);
    full_.push(std::exchange(buffer, std::move(*next)));
}

void BlockWriter::start() {
    // The run holds one buffer; the others wait empty until it needs them.
    for (size_t i = 1; i < kBuffers; ++i)
        emptied_.push(PageBuffer());
    thread_ = HelperThread([this](StopToken stop) { write_loop(stop); });
}

bool BlockWriter::finish() {
    if (thread_.joinable()) {
        full_.close();
        thread_.join();
    }
    return !failed();
}

void BlockWriter::abandon() {
    if (!thread_.joinable())
        return;
    thread_.request_stop();
    thread_.join();
    emptied_.close();  // on the thread's behalf: a later send finds no buffer and drops its block
}

void BlockWriter::write_loop(StopToken stop) {
    while (std::optional<PageBuffer> block = full_.pop(stop)) {
        // After a failure nothing more is written; the run learns of it when it next sends.
        if (!failed())
            write(*block);
        block->clear();
        emptied_.push(std::move(*block));  // a place is always free: this neither waits nor allocates
    }
}

void BlockWriter::write(const PageBuffer& block) {
    if (const std::error_code error = file_->write(block.data(), block.size())) {
        error_ = error;
        failed_.store(true, std::memory_order_release);
    }
}

}  // namespace lurendo
