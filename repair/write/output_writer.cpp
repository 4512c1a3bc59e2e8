#include "repair/write/output_writer.h"

#include <utility>

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

void OutputWriter::voce(const PuntoLetto& punto) {
    if (!usable())
        return;
    scrivi_voce(punto, buffer_.extend(lunghezza_voce(punto)));
    flush_if_full();
}

void OutputWriter::hand_over(bool last) {
    blocks_.send(buffer_, last);
    if (blocks_.failed()) {
        take_write_failure();
        buffer_.clear();
    }
}

void OutputWriter::take_write_failure() {
    failed_ = true;
    error_ = blocks_.error();
}

bool OutputWriter::finish() {
    if (!usable())
        return false;
    if (!buffer_.empty())
        hand_over(true);
    if (!blocks_.finish()) {
        take_write_failure();
        return false;
    }
    if (const std::error_code error = file_->close()) {
        failed_ = true;
        error_ = error;
    }
    return !failed_;
}

}  // namespace lurendo
