#include "repair/repair_run.h"

#include <memory>
#include <vector>

#include "repair/block_assembler.h"
#include "repair/output_document.h"
#include "repair/pieces.h"
#include "repair/scan.h"

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

// Splits the input into lines at CR LF, CR or LF and passes each line's pieces to the assembler.
class LineReader {
  public:
    explicit LineReader(BlockAssembler& assembler) : assembler_(assembler) {}

    // Feeds one block of input; `data` stays valid only during the call.
    void feed(const char* data, size_t size) {
        size_t pos = 0;
        if (skip_lf_ && size > 0) {
            skip_lf_ = false;
            if (data[0] == '\n')
                pos = 1;
        }
        while (pos < size) {
            const char* start = data + pos;
            const char* end = find_line_end(start, data + size);
            if (end == data + size) {  // the line goes on in the next block
                carry_.append(start, end);
                return;
            }
            if (carry_.empty()) {
                line({start, static_cast<size_t>(end - start)});
            } else {
                carry_.append(start, end);
                line(carry_);
                carry_.clear();
            }
            pos = static_cast<size_t>(end - data) + 1;
            if (*end == '\r') {
                if (pos < size) {
                    if (data[pos] == '\n')
                        ++pos;
                } else {
                    skip_lf_ = true;
                }
            }
        }
    }

    // The input has ended: a last line without a terminator still counts.
    void finish() {
        if (!carry_.empty()) {
            line(carry_);
            carry_.clear();
        }
    }

    int64_t lines() const { return lines_; }

  private:
    void line(std::string_view text) {
        cutter_.cut(text, [this](const Piece& piece) { assembler_.piece(piece); });
        ++lines_;
    }

    BlockAssembler& assembler_;
    PieceCutter cutter_;
    std::string carry_;
    bool skip_lf_ = false;
    int64_t lines_ = 0;
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
    std::vector<char> buffer(kReadBlock);
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
        const long n = input->read(buffer.data(), buffer.size());
        if (n < 0) {
            discard_temp();
            result.righe = reader.lines();
            result.status = std::string(kReadErrorText) + input_path;
            report(callbacks, result.status);
            return result;
        }
        if (n == 0)
            break;
        reader.feed(buffer.data(), static_cast<size_t>(n));
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
