#include "fault_files.h"

#include <algorithm>

namespace lurendo::test {

class FaultyFiles::Input final : public InputFile {
  public:
    Input(std::unique_ptr<InputFile> real, FaultyFiles& owner) : real_(std::move(real)), owner_(owner) {}

    long read(char* buffer, size_t capacity, std::error_code& error) override {
        const Faults& f = owner_.faults;
        if (silences_ < f.silent_reads) {
            ++silences_;
            return kNothingYet;
        }
        silences_ = 0;
        const long delivered = owner_.bytes_read_;
        // The nearer of the two limits strikes first, at exactly its byte.
        long stop = -1;
        for (const long at : {f.read_error_after, f.input_ends_after}) {
            if (at >= 0)
                stop = stop < 0 ? at : std::min(stop, at);
        }
        if (stop >= 0) {
            if (delivered >= stop && stop == f.read_error_after) {
                error = owner_.injected();
                return kError;
            }
            if (delivered >= stop)
                return 0;
            capacity = std::min(capacity, static_cast<size_t>(stop - delivered));
        }
        const long n = real_->read(buffer, capacity, error);
        if (n > 0)
            owner_.bytes_read_ += n;
        return n;
    }

  private:
    std::unique_ptr<InputFile> real_;
    FaultyFiles& owner_;
    int silences_ = 0;
};

class FaultyFiles::Output final : public OutputFile {
  public:
    Output(std::unique_ptr<OutputFile> real, FaultyFiles& owner) : real_(std::move(real)), owner_(owner) {}

    std::error_code write(const char* data, size_t size) override {
        const long limit = owner_.faults.write_error_after;
        const long room = limit < 0 ? static_cast<long>(size) : std::max(0L, limit - owner_.bytes_written_);
        const size_t stored = std::min(size, static_cast<size_t>(room));
        if (stored > 0) {
            if (const std::error_code error = real_->write(data, stored))
                return error;
        }
        owner_.bytes_written_ += static_cast<long>(stored);
        return stored == size ? std::error_code() : owner_.injected();
    }
    std::error_code close() override {
        if (owner_.faults.during_sync)
            owner_.faults.during_sync();
        const std::error_code error = real_->close();
        return error || !owner_.faults.close_fails ? error : owner_.injected();
    }

  private:
    std::unique_ptr<OutputFile> real_;
    FaultyFiles& owner_;
};

std::unique_ptr<InputFile> FaultyFiles::open_input(const std::string& path, std::error_code& error) {
    if (faults.open_fails) {
        error = injected();
        return nullptr;
    }
    std::unique_ptr<InputFile> real = system_file_system().open_input(path, error);
    if (!real)
        return nullptr;
    return std::make_unique<Input>(std::move(real), *this);
}

std::unique_ptr<OutputFile> FaultyFiles::create_temporary_beside(const std::string& final_path,
                                                                 std::string& temp_path,
                                                                 std::error_code& error) {
    if (faults.create_fails) {
        temp_path.clear();
        error = injected();
        return nullptr;
    }
    std::unique_ptr<OutputFile> real =
        system_file_system().create_temporary_beside(final_path, temp_path, error);
    temporaries_.push_back(temp_path);
    if (!real)
        return nullptr;
    return std::make_unique<Output>(std::move(real), *this);
}

std::error_code FaultyFiles::replace(const std::string& from, const std::string& to) {
    if (faults.replace_fails)
        return injected();
    const std::error_code error = system_file_system().replace(from, to);
    if (!error && faults.after_replace)
        faults.after_replace();
    return error;
}

void FaultyFiles::remove(const std::string& path) {
    system_file_system().remove(path);
}

}  // namespace lurendo::test
