#include "repair/output_writer.h"

#include <cerrno>
#include <new>
#include <utility>

#include "common/threads.h"

namespace lurendo {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr size_t kFirstReserve = 16 << 10;  // enough for a short track; longer ones grow

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

void OutputWriter::punto(const PuntoLetto& punto) {
    if (!usable())
        return;
    scrivi_disposto(punto, buffer_);
    buffer_.append(kCrLf);
    flush_if_full();
}

void OutputWriter::hand_over() {
    if (!kHelperThreads) {
        // No thread to write beside the run: each full block is written here.
        errno = 0;
        if (!file_->write(buffer_.data(), buffer_.size())) {
            failed_ = true;
            error_ = errno;
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
    std::string next = emptied_.try_pop().value_or(std::string());
    next.reserve(buffer_.capacity());
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
        errno = 0;
        if (!buffer_.empty() && !file_->write(buffer_.data(), buffer_.size())) {
            failed_ = true;
            error_ = errno;
            return false;
        }
        buffer_.clear();
    } else {
        if (!buffer_.empty())
            hand_over();
        full_.close();
        writer_.join();
        if (write_failed_) {
            take_write_failure();
            return false;
        }
    }
    errno = 0;
    if (!file_->close()) {
        failed_ = true;
        error_ = errno;
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
    while (std::optional<std::string> block = full_.pop(stop)) {
        // After a failure nothing more is written; the run learns of it at its next hand-over.
        if (!write_failed_) {
            errno = 0;
            if (!file_->write(block->data(), block->size())) {
                write_error_ = errno;
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
