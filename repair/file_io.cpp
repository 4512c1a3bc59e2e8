#include "repair/file_io.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>

namespace lurendo {

namespace {

class PosixInput final : public InputFile {
  public:
    PosixInput(int fd, bool may_block) : fd_(fd), may_block_(may_block) {}
    ~PosixInput() override { ::close(fd_); }
    long read(char* buffer, size_t capacity) override {
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
            if (errno != EINTR)
                return kError;
        }
    }

  private:
    int fd_;
    bool may_block_;  // a pipe, socket or device: a read could wait for ever
};

// Durable writing in steps: each write starts its writeback at once, and a second thread puts what is
// written on the disk every kSyncStep bytes while writing goes on. Putting a whole long file on the disk
// only at the end would make the caller wait for all of it; this way the final sync finds little left.
class PosixOutput final : public OutputFile {
  public:
    explicit PosixOutput(int fd) : fd_(fd) {}
    ~PosixOutput() override {
        stop_syncing();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool write(const char* data, size_t size) override {
        const off_t start = written_;
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            data += n;
            size -= static_cast<size_t>(n);
            written_ += n;
        }
        if (written_ - start >= kEarlyWritebackBytes)
            ::sync_file_range(fd_, start, written_ - start, SYNC_FILE_RANGE_WRITE);
        if (written_ - sync_requested_ >= kSyncStep)
            request_sync();
        return true;
    }
    bool close() override {
        stop_syncing();
        const int fd = fd_;
        fd_ = -1;
        if (fd < 0)
            return false;
        const bool synced = ::fdatasync(fd) == 0;
        const int sync_error = errno;
        const bool closed = ::close(fd) == 0;
        if (!synced)
            errno = sync_error;
        return synced && closed;
    }

  private:
    void request_sync() {
        sync_requested_ = written_;
        if (!syncer_.joinable()) {
            syncer_ = std::thread([this] { sync_loop(); });
            return;
        }
        {
            const std::lock_guard lock(mutex_);
            sync_wanted_ = true;
        }
        changed_.notify_one();
    }
    // Only a head start: a failure here shows again in the final sync, which decides.
    void sync_loop() {
        std::unique_lock lock(mutex_);
        for (;;) {
            lock.unlock();
            ::fdatasync(fd_);
            lock.lock();
            changed_.wait(lock, [this] { return sync_wanted_ || stopping_; });
            if (stopping_)
                return;
            sync_wanted_ = false;
        }
    }
    void stop_syncing() {
        if (!syncer_.joinable())
            return;
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_one();
        syncer_.join();
    }

    static constexpr off_t kSyncStep = 16 << 20;
    std::thread syncer_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool sync_wanted_ = false;
    bool stopping_ = false;
    off_t sync_requested_ = 0;
    static constexpr off_t kEarlyWritebackBytes = 256 << 10;
    int fd_;
    off_t written_ = 0;
};

std::string directory_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

std::string file_name_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A replaced file keeps its permission bits; a new one gets the usual bits the umask leaves.
void keep_mode_of(const std::string& path, int fd) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        ::fchmod(fd, st.st_mode & 07777);
}

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<InputFile> open_input(const std::string& path) override {
        // Non-blocking open so a FIFO without a writer cannot hang the open itself.
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            return nullptr;
        struct stat st {};
        if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
            ::close(fd);
            errno = EISDIR;
            return nullptr;
        }
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0)
            ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        return std::make_unique<PosixInput>(fd, !S_ISREG(st.st_mode));
    }

    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path,
                                                        std::string& temp_path) override {
        // A name of our own per process and attempt: a file left by a killed run never gets in the way.
        static std::atomic<unsigned> counter{0};
        const std::string prefix = directory_of(final_path) + "/." + file_name_of(final_path) + ".";
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[48];
            std::snprintf(suffix, sizeof suffix, "%ld.%u.tmp", static_cast<long>(::getpid()), counter++);
            temp_path = prefix + suffix;
            const int fd = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                keep_mode_of(final_path, fd);
                return std::make_unique<PosixOutput>(fd);
            }
            if (errno != EEXIST)
                break;
        }
        temp_path.clear();
        return nullptr;
    }

    bool replace(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0)
            return false;
        // The new name itself reaches the disk only with its folder. The file is in its place already,
        // so a folder that cannot be synced is no reason to call the run failed.
        const int dir = ::open(directory_of(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }

    void remove(const std::string& path) override { ::unlink(path.c_str()); }
};

}  // namespace

FileSystem& system_file_system() {
    static PosixFileSystem instance;
    return instance;
}

std::string motivo_errore(int error, bool output) {
    switch (error) {
        case EACCES:
        case EPERM:
            return "permesso negato";
        case ENOENT:
            return output ? "cartella inesistente" : "file inesistente";
        case EISDIR:
            return "è una cartella";
        case ENOSPC:
        case EDQUOT:
            return "disco pieno";
        case EROFS:
            return "disco di sola lettura";
        case EIO:
            return "errore del disco";
        default:
            return {};
    }
}

}  // namespace lurendo
