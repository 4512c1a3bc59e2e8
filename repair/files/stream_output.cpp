#include "repair/files/stream_output.h"
#include "repair/files/last_error.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace lurendo {

namespace {

class StreamOutput final : public OutputFile {
  public:
    explicit StreamOutput(int fd) : fd_(fd) {}
    ~StreamOutput() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    std::error_code write(const char* data, size_t size) override {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return last_error();
            }
            data += n;
            size -= static_cast<size_t>(n);
        }
        return {};
    }
    std::error_code close() override {
        const int fd = std::exchange(fd_, -1);
        if (fd < 0)
            return unexplained_failure();
        return ::close(fd) == 0 || errno == EINTR ? std::error_code() : last_error();
    }
    bool in_place() const override { return true; }

  private:
    int fd_;
};

}  // namespace

std::unique_ptr<OutputFile> open_stream(const std::string& path, std::error_code& error) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = last_error();
        return nullptr;
    }
    return std::make_unique<StreamOutput>(fd);
}

std::unique_ptr<OutputFile> standard_output_file(std::error_code& error) {
    const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        error = last_error();
        return nullptr;
    }
    return std::make_unique<StreamOutput>(fd);
}

}  // namespace lurendo
