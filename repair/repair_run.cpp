#include "repair/repair_run.h"

#include <memory>

#include "repair/block_assembler.h"
#include "repair/line_reader.h"
#include "repair/output_document.h"

namespace lurendo {

namespace {

constexpr size_t kReadBlock = 1 << 20;
constexpr size_t kWriteBlock = 1 << 20;

// Collects output in a large buffer; after the first failed write it writes nothing more.
class BufferedOutput final : public EntryWriter {
  public:
    explicit BufferedOutput(std::unique_ptr<OutputFile> file) : file_(std::move(file)) {
        if (file_)
            buffer_.reserve(kWriteBlock + 4096);
    }
    bool usable() const { return file_ && !failed_; }

    void line(std::string_view text) {
        if (!usable())
            return;
        buffer_.append(text);
        buffer_.append("\r\n");
        if (buffer_.size() >= kWriteBlock)
            flush();
    }
    void write_entry(std::string_view text) override { line(text); }

    // Writes what is buffered and closes; true when every byte reached the file.
    bool finish() {
        if (!usable())
            return false;
        flush();
        const bool closed = file_->close();
        return !failed_ && closed;
    }

  private:
    void flush() {
        if (!buffer_.empty() && !file_->write(buffer_.data(), buffer_.size()))
            failed_ = true;
        buffer_.clear();
    }

    std::unique_ptr<OutputFile> file_;
    std::string buffer_;
    bool failed_ = false;
};

void report(const RunCallbacks& callbacks, const std::string& text) {
    if (callbacks.status)
        callbacks.status(text);
}

}  // namespace

RunResult ripara(RepairState& state, const std::string& input_path, const std::string& output_path,
                 const RunCallbacks& callbacks, FileSystem& files) {
    state.reset();
    RunResult result;
    std::unique_ptr<InputFile> input = files.open_input(input_path);
    if (!input) {
        result.status = std::string(kOpenErrorText) + input_path;
        report(callbacks, result.status);
        return result;
    }

    std::string temp_path;
    BufferedOutput output(files.create_temporary_beside(output_path, temp_path));
    const auto discard_temp = [&] {
        if (!temp_path.empty())
            files.remove(temp_path);
    };
    for (const std::string_view header : header_lines())
        output.line(header);

    BlockAssembler assembler(state, output);
    LineReader reader(assembler);
    // Not zero-filled: only what a read returns is ever looked at.
    const std::unique_ptr<char[]> buffer(new char[kReadBlock]);
    int64_t lines_reported = 0;
    for (;;) {
        if (callbacks.cancelled && callbacks.cancelled()) {
            discard_temp();
            result.cancelled = true;
            result.righe = reader.lines();
            result.status = std::string(kCancelledText);
            report(callbacks, result.status);
            return result;
        }
        const long n = input->read(buffer.get(), kReadBlock);
        if (n == InputFile::kNothingYet)
            continue;
        if (n < 0) {
            discard_temp();
            result.righe = reader.lines();
            result.status = std::string(kReadErrorText) + input_path;
            report(callbacks, result.status);
            return result;
        }
        if (n == 0)
            break;
        reader.feed(buffer.get(), static_cast<size_t>(n));
        if (reader.lines() != lines_reported) {
            lines_reported = reader.lines();
            report(callbacks, std::string(kLinesReadText) + std::to_string(lines_reported));
        }
    }
    input.reset();
    reader.finish();
    result.input_read = true;
    result.righe = reader.lines();
    if (result.righe != lines_reported)
        report(callbacks, std::string(kLinesReadText) + std::to_string(result.righe));

    for (const std::string_view footer : footer_lines())
        output.line(footer);
    result.output_written = output.finish() && files.replace(temp_path, output_path);
    if (result.output_written) {
        result.status = std::string(kDoneText) + output_path;
    } else {
        discard_temp();
        result.status = std::string(kWriteErrorText) + output_path;
    }
    report(callbacks, result.status);
    return result;
}

}  // namespace lurendo
