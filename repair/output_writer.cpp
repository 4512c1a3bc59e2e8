#include "repair/output_writer.h"

#include <cerrno>

namespace lurendo {

namespace {

constexpr size_t kWriteBlock = 1 << 20;
constexpr std::string_view kCrLf = "\r\n";

}  // namespace

OutputWriter::OutputWriter(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {
    if (file_)
        buffer_.reserve(kWriteBlock + (64 << 10));
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

bool OutputWriter::finish() {
    if (!usable())
        return false;
    flush();
    errno = 0;
    if (!failed_ && !file_->close())
        fail();
    return !failed_;
}

void OutputWriter::flush_if_full() {
    if (buffer_.size() >= kWriteBlock)
        flush();
}

void OutputWriter::flush() {
    errno = 0;
    if (!buffer_.empty() && !file_->write(buffer_.data(), buffer_.size()))
        fail();
    buffer_.clear();
}

void OutputWriter::fail() {
    failed_ = true;
    error_ = errno;
}

}  // namespace lurendo
