#include "repair/files/input_file.h"
#include "repair/files/last_error.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lurendo {

namespace {

class PosixInput final : public InputFile {
  public:
    PosixInput(int fd, bool may_block) : fd_(fd), may_block_(may_block) {}
    ~PosixInput() override { ::close(fd_); }
    long read(char* buffer, size_t capacity, std::error_code& error) override {
        if (may_block_) {
            pollfd waiting{fd_, POLLIN, 0};
            const int ready = ::poll(&waiting, 1, 100);
            if (ready == 0 || (ready < 0 && errno == EINTR))
                return kNothingYet;
        }
        for (;;) {
            const ssize_t n = ::read(fd_, buffer, capacity);
            if (n >= 0)
                return static_cast<long>(n);
            if (errno != EINTR) {
                error = last_error();
                return kError;
            }
        }
    }

  private:
    int fd_;
    bool may_block_;  // a pipe, socket or device: a read could wait for ever
};

}  // namespace

std::unique_ptr<InputFile> open_machine_input(const std::string& path, std::error_code& error) {
    // Non-blocking open so a FIFO without a writer cannot hang the open itself.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        error = last_error();
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        error = std::make_error_code(std::errc::is_a_directory);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return std::make_unique<PosixInput>(fd, !S_ISREG(st.st_mode));
}

}  // namespace lurendo
