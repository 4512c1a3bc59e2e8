#include "repair/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

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

// The names promised to unnamed temporaries that have not been linked in yet. Until a file takes its name,
// whatever stands under that name is not ours, so `remove` and `replace` must leave it alone.
class PendingNames {
  public:
    void add(const std::string& path) {
        const std::lock_guard lock(mutex_);
        names_.insert(path);
    }
    // True when `path` was still waiting for its file; it no longer is.
    bool take(const std::string& path) {
        const std::lock_guard lock(mutex_);
        return names_.erase(path) > 0;
    }
    bool contains(const std::string& path) {
        const std::lock_guard lock(mutex_);
        return names_.contains(path);
    }

  private:
    std::mutex mutex_;
    std::set<std::string> names_;
};

#ifdef O_TMPFILE
// Gives the unnamed file `fd` the name `path`. Through /proc any user may do it; the direct way needs
// CAP_DAC_READ_SEARCH, so it is only tried where /proc is not there.
bool link_in(int fd, const std::string& path) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    const int proc_error = errno;
    if (proc_error == EEXIST)
        return false;
    if (::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    if (proc_error != ENOENT)
        errno = proc_error;
    return false;
}
#endif

// Durable writing in steps. A large write whose memory, length and offset are whole pages goes straight to
// the disk, around the page cache (O_DIRECT): the output is synced at the end anyway, and this spares
// copying every byte into the cache and writing it back from there. Any other large write starts its
// writeback at once, so the disk works while the run goes on and the final sync finds little left to do. A
// file system that takes no direct writes gets the cached kind. (A thread that also synced every 16 MB on
// the way gained nothing measurable and cost CPU time.)
class PosixOutput final : public OutputFile {
  public:
    // `name`: the name an unnamed file takes once its bytes are on the disk; empty for a named file.
    PosixOutput(int fd, PendingNames& pending, std::string name)
        : pending_(pending), name_(std::move(name)), fd_(fd) {}
    ~PosixOutput() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool write(const char* data, size_t size) override {
        const off_t start = written_;
        if (!choose_direct(data, size))
            return false;
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                // Direct writes refused after all, or a short one left the rest unaligned: cached ones.
                if (errno == EINVAL && direct_ == Direct::On) {
                    direct_ = Direct::Unavailable;
                    if (!set_direct(false))
                        return false;
                    continue;
                }
                return false;
            }
            data += n;
            size -= static_cast<size_t>(n);
            written_ += n;
        }
        if (direct_ != Direct::On && written_ - start >= kEarlyWritebackBytes)
            ::sync_file_range(fd_, start, written_ - start, SYNC_FILE_RANGE_WRITE);
        return true;
    }
    bool close() override {
        const int fd = std::exchange(fd_, -1);
        if (fd < 0)
            return false;
        // Named only once whole: a file that shows up under its name has all its bytes.
        int error = ::fdatasync(fd) == 0 ? 0 : errno;
        if (error == 0 && !name_.empty())
            error = give_name(fd);
        if (::close(fd) != 0 && error == 0)
            error = errno;
        errno = error;
        return error == 0;
    }

  private:
    int give_name(int fd) {
#ifdef O_TMPFILE
        if (link_in(fd, name_)) {
            pending_.take(name_);
            return 0;
        }
        return errno;
#else
        (void)fd;
        return EINVAL;  // unnamed files are only made where O_TMPFILE exists
#endif
    }
    // Turns direct writing on for a large write of whole pages, and off for any other; false when it
    // cannot be turned off.
    bool choose_direct(const char* data, size_t size) {
        if (direct_ == Direct::Unavailable)
            return true;
        const bool whole_pages = size >= kEarlyWritebackBytes && size % kPage == 0 && written_ % kPage == 0 &&
                                 reinterpret_cast<uintptr_t>(data) % kPage == 0;
        if (whole_pages == (direct_ == Direct::On))
            return true;
        if (set_direct(whole_pages))
            return true;
        if (!whole_pages)
            return false;
        direct_ = Direct::Unavailable;
        return true;
    }
    bool set_direct(bool on) {
#ifdef O_DIRECT
        const int flags = ::fcntl(fd_, F_GETFL);
        if (flags < 0 || ::fcntl(fd_, F_SETFL, on ? flags | O_DIRECT : flags & ~O_DIRECT) != 0)
            return false;
        if (direct_ != Direct::Unavailable)
            direct_ = on ? Direct::On : Direct::Off;
        return true;
#else
        return !on;
#endif
    }

    static constexpr off_t kEarlyWritebackBytes = 256 << 10;
    // The alignment direct writes want on the usual disks; a file system that wants more refuses the
    // write, and the cached kind takes over.
    static constexpr size_t kPage = 4096;
    enum class Direct { Off, On, Unavailable };
    Direct direct_ = Direct::Off;
    PendingNames& pending_;
    const std::string name_;
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

// A replaced file keeps its owner, group and permission bits; a new one gets the usual ones. The owner goes
// first since changing it can clear the set-id bits. Only root may give a file away, and others only to a
// group of theirs: a refusal leaves the run's own, as any new file gets.
void keep_owner_and_mode_of(const std::string& path, int fd) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return;
    const bool given =
        ::fchown(fd, st.st_uid, st.st_gid) == 0 || ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0;
    (void)given;
    ::fchmod(fd, st.st_mode & 07777);
}

// A run's temporary is named ".<target>.<pid>.<n>.tmp". The target part is cut so that the whole name fits
// in NAME_MAX even with the longest pid and counter: a target with a valid name never fails for its
// temporary. The cut is the same for every run, so leftovers of earlier runs are found by the same stem.
constexpr size_t kNameMax = 255;
constexpr size_t kNumberRoom = 2 + 10 + 1 + 10 + 4;  // two dots, pid, dot, counter, ".tmp"

std::string temporary_stem(const std::string& target_name) {
    size_t cut = std::min(target_name.size(), kNameMax - kNumberRoom);
    // Not inside a UTF-8 character: some file systems refuse names that are not valid UTF-8.
    while (cut > 0 && cut < target_name.size() &&
           (static_cast<unsigned char>(target_name[cut]) & 0xC0) == 0x80)
        --cut;
    std::string stem(1, '.');
    stem.append(target_name, 0, cut).push_back('.');
    return stem;
}

// The pid in `name` when it is a temporary made with `stem`; 0 when it is anything else.
pid_t temporary_owner(std::string_view name, std::string_view stem) {
    if (!name.starts_with(stem) || !name.ends_with(".tmp"))
        return 0;
    name = name.substr(stem.size(), name.size() - stem.size() - 4);
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return 0;
    const auto all_digits = [](std::string_view text) {
        return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::string_view pid = name.substr(0, dot);
    if (!all_digits(pid) || !all_digits(name.substr(dot + 1)) || pid.size() > 10)
        return 0;
    const long long value = std::stoll(std::string(pid));
    return value > 0 && value <= INT_MAX ? static_cast<pid_t>(value) : 0;
}

// Removes the temporaries a killed run left for the same target. One whose process still runs is never
// touched: it may be a run going on right now, or this very process's own.
void remove_stale_temporaries(const std::string& dir, const std::string& stem) {
    DIR* folder = ::opendir(dir.c_str());
    if (folder == nullptr)
        return;
    while (const dirent* entry = ::readdir(folder)) {
        const pid_t owner = temporary_owner(entry->d_name, stem);
        if (owner > 0 && ::kill(owner, 0) == -1 && errno == ESRCH)
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::closedir(folder);
}

// The next name of this process's own: the pid sets it apart from every running process, the counter from
// every other temporary of this process.
std::string next_name(const std::string& prefix) {
    static std::atomic<unsigned> counter{0};
    char numbers[48];
    std::snprintf(numbers, sizeof numbers, "%ld.%u.tmp", static_cast<long>(::getpid()), counter++);
    return prefix + numbers;
}

#ifdef O_TMPFILE
// Kernels or file systems without unnamed files say so in one of these ways.
bool unnamed_unsupported(int error) {
    return error == EOPNOTSUPP || error == ENOTSUP || error == EISDIR || error == EINVAL;
}
#endif

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
        const std::string dir = directory_of(final_path);
        const std::string stem = temporary_stem(file_name_of(final_path));
        remove_stale_temporaries(dir, stem);
        const std::string prefix = (dir == "/" ? dir : dir + "/") + stem;
#ifdef O_TMPFILE
        // The file has no name until its bytes are on the disk, so a run killed at any moment before
        // leaves nothing. Its name is chosen now, and reserved by how it is made: no running process but
        // this one uses its pid, the counter never repeats within it, and whatever a dead process with the
        // same pid left under such a name is there already, so a name free now stays free. Should a
        // stranger take it all the same, linking fails with EEXIST and the run fails rather than touch
        // that file: until the link, `remove` and `replace` leave the name alone.
        const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (linkable(fd) && pick_free_name(prefix, temp_path)) {
                pending_.add(temp_path);
                keep_owner_and_mode_of(final_path, fd);
                return std::make_unique<PosixOutput>(fd, pending_, temp_path);
            }
            ::close(fd);
        } else if (!unnamed_unsupported(errno)) {
            temp_path.clear();
            return nullptr;
        }
#endif
        // A named temporary. A file left by a killed run never gets in the way: the name is taken with
        // O_EXCL, and the next one tried when it is there.
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp_path = next_name(prefix);
            const int named = ::open(temp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (named >= 0) {
                keep_owner_and_mode_of(final_path, named);
                return std::make_unique<PosixOutput>(named, pending_, std::string());
            }
            if (errno != EEXIST)
                break;
        }
        temp_path.clear();
        return nullptr;
    }

    bool replace(const std::string& from, const std::string& to) override {
        if (pending_.contains(from)) {
            errno = ENOENT;  // never closed: the name is not ours yet
            return false;
        }
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

    void remove(const std::string& path) override {
        if (!pending_.take(path))
            ::unlink(path.c_str());
    }

    bool same_file(const std::string& a, const std::string& b) override {
        struct stat first {};
        struct stat second {};
        return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
               first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }

  private:
#ifdef O_TMPFILE
    // Without /proc an unnamed file could get its name only with a privilege most users lack: better a
    // named temporary than a run that fails at its very end.
    static bool linkable(int fd) {
        struct stat st {};
        return ::stat(("/proc/self/fd/" + std::to_string(fd)).c_str(), &st) == 0;
    }
    static bool pick_free_name(const std::string& prefix, std::string& temp_path) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp_path = next_name(prefix);
            struct stat st {};
            if (::lstat(temp_path.c_str(), &st) != 0 && errno == ENOENT)
                return true;
        }
        return false;
    }
#endif

    PendingNames pending_;
};

// Puts the entries of folder `dir` on the disk. File systems with nothing to sync for a folder say EINVAL.
bool sync_folder(const std::string& dir, int& error) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
    error = synced ? 0 : errno;
    ::close(fd);
    return synced;
}

}  // namespace

FileSystem& system_file_system() {
    static PosixFileSystem instance;
    return instance;
}

bool create_folders(const std::string& path, int& error) {
    error = 0;
    if (path.empty()) {
        error = ENOENT;
        return false;
    }
    // Each level is the path up to a slash that ends a name; a run of slashes counts once.
    for (size_t end = 1; end <= path.size(); ++end) {
        if ((end < path.size() && path[end] != '/') || path[end - 1] == '/')
            continue;
        const std::string level = path.substr(0, end);
        struct stat st {};
        if (::stat(level.c_str(), &st) != 0) {
            if (errno != ENOENT) {
                error = errno;
                return false;
            }
            if (::mkdir(level.c_str(), 0777) == 0) {
                // The new folder is only as durable as its entry in the folder above.
                if (!sync_folder(directory_of(level), error))
                    return false;
                continue;
            }
            // Someone else may have made it meanwhile; anything else is the answer.
            if (errno != EEXIST || ::stat(level.c_str(), &st) != 0) {
                error = errno;
                return false;
            }
        }
        if (!S_ISDIR(st.st_mode)) {
            error = ENOTDIR;
            return false;
        }
    }
    return true;
}

}  // namespace lurendo
