#include "repair/files/durable_output.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

#include "repair/files/last_error.h"
#include "repair/files/paths.h"
#include "repair/files/stream_output.h"

namespace lurendo {

namespace {

#ifdef O_TMPFILE
// Gives the unnamed file `fd` the name `path`. Through /proc any user may do it; the direct way needs
// CAP_DAC_READ_SEARCH, so it is only tried where /proc is not there.
std::error_code link_in(int fd, const std::string& path) {
    const std::string proc = "/proc/self/fd/" + std::to_string(fd);
    if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, path.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return {};
    const int proc_error = errno;
    if (proc_error == EEXIST)
        return last_error();
    if (::linkat(fd, "", AT_FDCWD, path.c_str(), AT_EMPTY_PATH) == 0)
        return {};
    return {proc_error != ENOENT ? proc_error : errno, std::system_category()};
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
    // `name`: the file's name, or the name an unnamed file takes once its bytes are on the disk.
    PosixOutput(int fd, Temporaries& temporaries, std::string name, bool unnamed)
        : temporaries_(temporaries), name_(std::move(name)), unnamed_(unnamed), fd_(fd) {}
    ~PosixOutput() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    std::error_code write(const char* data, size_t size) override {
        const off_t start = written_;
        if (!choose_direct(data, size))
            return last_error();
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                // Direct writes refused after all, or a short one left the rest unaligned: cached ones.
                if (errno == EINVAL && direct_ == Direct::On) {
                    direct_ = Direct::Unavailable;
                    if (!set_direct(false))
                        return last_error();
                    continue;
                }
                return last_error();
            }
            data += n;
            size -= static_cast<size_t>(n);
            written_ += n;
        }
        if (direct_ != Direct::On && written_ - start >= kEarlyWritebackBytes)
            ::sync_file_range(fd_, start, written_ - start, SYNC_FILE_RANGE_WRITE);
        return {};
    }
    std::error_code close() override {
        const int fd = std::exchange(fd_, -1);
        if (fd < 0)
            return unexplained_failure();
        // Named only once whole: a file that shows up under its name has all its bytes. Once named it stays
        // open, locked, until it has taken its target's place or been removed.
        std::error_code error = ::fdatasync(fd) == 0 ? std::error_code() : last_error();
        if (!error && unnamed_)
            error = give_name(fd);
        if (unnamed_ && error)
            ::close(fd);
        else
            temporaries_.hold(name_, fd);
        return error;
    }

  private:
    std::error_code give_name(int fd) {
#ifdef O_TMPFILE
        return link_in(fd, name_);
#else
        (void)fd;
        return std::make_error_code(std::errc::invalid_argument);  // unnamed files need O_TMPFILE
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
    Temporaries& temporaries_;
    const std::string name_;
    const bool unnamed_;
    int fd_;
    off_t written_ = 0;
};

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

#ifdef O_TMPFILE
// Kernels or file systems without unnamed files say so in one of these ways.
bool unnamed_unsupported(int error) {
    return error == EOPNOTSUPP || error == ENOTSUP || error == EISDIR || error == EINVAL;
}

// Without /proc an unnamed file could get its name only with a privilege most users lack: better a named
// temporary than a run that fails at its very end.
bool linkable(int fd) {
    struct stat st {};
    return ::stat(("/proc/self/fd/" + std::to_string(fd)).c_str(), &st) == 0;
}

bool pick_free_name(const std::string& prefix, std::string& temp_path) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_path = next_name(prefix);
        struct stat st {};
        if (::lstat(temp_path.c_str(), &st) != 0 && errno == ENOENT)
            return true;
    }
    return false;
}
#endif

}  // namespace

std::unique_ptr<OutputFile> DurableOutputs::create_temporary_beside(const std::string& final_path,
                                                                    std::string& temp_path,
                                                                    std::error_code& error) {
    temp_path.clear();
    const std::string target = final_target(final_path);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))
            return open_stream(target, error);
        // A disk or a socket is neither a file to replace nor a stream to write into.
        if (S_ISBLK(st.st_mode) || S_ISSOCK(st.st_mode)) {
            error = std::make_error_code(std::errc::not_supported);
            return nullptr;
        }
    }
    const std::string dir = directory_of(target);
    const std::string stem = temporary_stem(file_name_of(target));
    remove_stray_temporaries(dir, stem);
    const std::string prefix = (dir == "/" ? dir : dir + "/") + stem;
#ifdef O_TMPFILE
    // The file has no name until its bytes are on the disk, so a run killed at any moment before leaves
    // nothing; it is locked from the start, so once named no sweep takes it. Its name is chosen now and
    // taken at the end; should another run or a stranger have taken it meanwhile, linking fails with EEXIST
    // and the run fails rather than touch that file: until the link, `remove` and `replace` leave the name
    // alone.
    const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
        if (linkable(fd) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && pick_free_name(prefix, temp_path)) {
            temporaries_.promise(temp_path);
            keep_owner_and_mode_of(target, fd);
            return std::make_unique<PosixOutput>(fd, temporaries_, temp_path, true);
        }
        ::close(fd);
    } else if (!unnamed_unsupported(errno)) {
        error = last_error();
        temp_path.clear();
        return nullptr;
    }
#endif
    // A named temporary. A file left by a killed run never gets in the way: the name is taken with O_EXCL,
    // and the next one tried when it is there or when a sweep got its lock first.
    const int folder = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) {
        error = last_error();
        temp_path.clear();
        return nullptr;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp_path = next_name(prefix);
        const std::string name = file_name_of(temp_path);
        const int named =
            ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (named < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
        if (lock_as_named(named, folder, name.c_str())) {
            ::close(folder);
            keep_owner_and_mode_of(target, named);
            return std::make_unique<PosixOutput>(named, temporaries_, temp_path, false);
        }
        ::close(named);
    }
    error = last_error();
    ::close(folder);
    temp_path.clear();
    return nullptr;
}

std::error_code DurableOutputs::replace(const std::string& from, const std::string& to) {
    if (temporaries_.pending(from))
        return std::make_error_code(std::errc::no_such_file_or_directory);  // never closed: not ours yet
    // A link given as the output stays: the file it leads to is replaced.
    const std::string target = final_target(to);
    if (::rename(from.c_str(), target.c_str()) != 0)
        return last_error();  // still held: `remove` takes the name away before the lock goes
    temporaries_.release(from, [](bool) {});
    // The new name itself reaches the disk only with its folder. The file is in its place already, so a
    // folder that cannot be synced is no reason to call the run failed.
    const int dir = ::open(directory_of(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return {};
}

void DurableOutputs::remove(const std::string& path) {
    // Unlinked while still locked: no sweep can meet it unlocked.
    temporaries_.release(path, [&path](bool pending) {
        if (!pending)
            ::unlink(path.c_str());
    });
}

}  // namespace lurendo
