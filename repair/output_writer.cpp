#include "repair/output_writer.h"

#include <cerrno>

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
        writer_ = std::thread([this] { write_loop(); });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !has_pending_; });
    if (write_failed_) {
        failed_ = true;
        error_ = write_error_;
        buffer_.clear();
        return;
    }
    buffer_.swap(pending_);
    has_pending_ = true;
    buffer_.clear();
    changed_.notify_all();
}

bool OutputWriter::wait_until_written() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !has_pending_; });
    if (write_failed_) {
        failed_ = true;
        error_ = write_error_;
    }
    return !failed_;
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
        if (!wait_until_written())
            return false;
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
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    writer_.join();
}

void OutputWriter::write_loop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return has_pending_ || stopping_; });
        if (!has_pending_)
            return;
        // The run fills the other buffer meanwhile; only the hand-over takes the lock.
        lock.unlock();
        bool ok = true;
        int error = 0;
        if (!write_failed_) {
            errno = 0;
            ok = file_->write(pending_.data(), pending_.size());
            error = errno;
        }
        lock.lock();
        if (!ok) {
            write_failed_ = true;
            write_error_ = error;
        }
        has_pending_ = false;
        changed_.notify_all();
    }
}

}  // namespace lurendo
