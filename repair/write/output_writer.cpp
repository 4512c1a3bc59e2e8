#include "repair/write/output_writer.h"

#include <cstring>
#include <new>
#include <utility>

#include "common/threads.h"

namespace lurendo {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr size_t kFirstReserve = 16 << 10;  // enough for a short track; longer ones grow
// Room for a full block and the entry that fills it, so that a buffer in use seldom grows.
constexpr size_t kBlockRoom = (1 << 20) + (64 << 10);

}  // namespace

OutputWriter::OutputWriter(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {
    if (file_)
        buffer_.reserve(kFirstReserve);
}

OutputWriter::~OutputWriter() {
    abandon();
}

void OutputWriter::riga(std::string_view text) {
    if (!usable())
        return;
    buffer_.append(text);
    buffer_.append(kCrLf);
    flush_if_full();
}

void OutputWriter::voce(const PuntoLetto& punto) {
    if (!usable())
        return;
    scrivi_voce(punto, buffer_.extend(lunghezza_voce(punto)));
    flush_if_full();
}

void OutputWriter::hand_over(bool last) {
    if (!kHelperThreads) {
        // No thread to write beside the run: each full block is written here.
        if (const std::error_code error = file_->write(buffer_.data(), buffer_.size())) {
            failed_ = true;
            error_ = error;
        }
        buffer_.clear();
        return;
    }
    if (!writer_.joinable())
        writer_ = HelperThread([this](StopToken stop) { write_loop(stop); });
    if (write_failed_) {
        take_write_failure();
        buffer_.clear();
        return;
    }
    PageBuffer next = emptied_.try_pop().value_or(PageBuffer());
    next.reserve(kBlockRoom);
    const size_t whole = last ? buffer_.size() : buffer_.size() / PageBuffer::kPage * PageBuffer::kPage;
    next.append(std::string_view(buffer_.data() + whole, buffer_.size() - whole));
    buffer_.truncate(whole);
    full_.push(std::exchange(buffer_, std::move(next)));
}

void OutputWriter::take_write_failure() {
    failed_ = true;
    error_ = write_error_;
}

bool OutputWriter::finish() {
    if (!usable())
        return false;
    if (!writer_.joinable()) {
        // A short output: written here, in one go.
        if (!buffer_.empty()) {
            if (const std::error_code error = file_->write(buffer_.data(), buffer_.size())) {
                failed_ = true;
                error_ = error;
                return false;
            }
        }
        buffer_.clear();
    } else {
        if (!buffer_.empty())
            hand_over(true);
        full_.close();
        writer_.join();
        if (write_failed_) {
            take_write_failure();
            return false;
        }
    }
    if (const std::error_code error = file_->close()) {
        failed_ = true;
        error_ = error;
    }
    return !failed_;
}

void OutputWriter::abandon() {
    if (!writer_.joinable())
        return;
    writer_.request_stop();
    writer_.join();
}

void OutputWriter::write_loop(StopToken stop) {
    while (std::optional<PageBuffer> block = full_.pop(stop)) {
        // After a failure nothing more is written; the run learns of it at its next hand-over.
        if (!write_failed_) {
            if (const std::error_code error = file_->write(block->data(), block->size())) {
                write_error_ = error;
                write_failed_ = true;
            }
        }
        block->clear();
        try {
            emptied_.push(std::move(*block));
        } catch (const std::bad_alloc&) {
            // The queue could not grow: the buffer is let go, and the run makes a new one when it needs one.
        }
    }
}

}  // namespace lurendo
