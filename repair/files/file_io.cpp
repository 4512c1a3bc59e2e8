#include "repair/files/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "repair/files/file_io_entries.h"

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

// The run's temporaries by name. A name promised to an unnamed temporary is pending until the file takes it:
// whatever stands under it before is not ours, so `remove` and `replace` must leave it alone. A named
// temporary stays open, holding its lock, until it has taken the place of its target or been removed: a
// run's temporary is never without its lock while it has a name, so no other run's sweep can take it.
class Temporaries {
  public:
    void promise(const std::string& path) {
        const std::lock_guard lock(mutex_);
        pending_.insert(path);
    }
    bool pending(const std::string& path) {
        const std::lock_guard lock(mutex_);
        return pending_.contains(path);
    }
    // The file `fd` has the name `path` now; it stays open until `release`.
    void hold(const std::string& path, int fd) {
        const std::lock_guard lock(mutex_);
        pending_.erase(path);
        const auto [at, added] = held_.emplace(path, fd);
        if (!added)
            ::close(std::exchange(at->second, fd));
    }
    // Forgets `path`: true when it was still waiting for its file. `then` runs before the lock goes.
    template <typename Then>
    bool release(const std::string& path, Then then) {
        int fd = -1;
        bool was_pending = false;
        {
            const std::lock_guard lock(mutex_);
            was_pending = pending_.erase(path) > 0;
            if (const auto at = held_.find(path); at != held_.end()) {
                fd = at->second;
                held_.erase(at);
            }
        }
        then(was_pending);
        if (fd >= 0)
            ::close(fd);
        return was_pending;
    }

  private:
    std::mutex mutex_;
    std::set<std::string> pending_;
    std::map<std::string, int> held_;
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
    // `name`: the file's name, or the name an unnamed file takes once its bytes are on the disk.
    PosixOutput(int fd, Temporaries& temporaries, std::string name, bool unnamed)
        : temporaries_(temporaries), name_(std::move(name)), unnamed_(unnamed), fd_(fd) {}
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
        // Named only once whole: a file that shows up under its name has all its bytes. Once named it stays
        // open, locked, until it has taken its target's place or been removed.
        int error = ::fdatasync(fd) == 0 ? 0 : errno;
        if (error == 0 && unnamed_)
            error = give_name(fd);
        if (unnamed_ && error != 0)
            ::close(fd);
        else
            temporaries_.hold(name_, fd);
        errno = error;
        return error == 0;
    }

  private:
    int give_name(int fd) {
#ifdef O_TMPFILE
        return link_in(fd, name_) ? 0 : errno;
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
    Temporaries& temporaries_;
    const std::string name_;
    const bool unnamed_;
    int fd_;
    off_t written_ = 0;
};

// A device or a FIFO, or standard output: the document goes straight in, as it is made. There is nothing
// to sync (such files have no disk of their own to reach) and nothing to rename.
class StreamOutput final : public OutputFile {
  public:
    explicit StreamOutput(int fd) : fd_(fd) {}
    ~StreamOutput() override {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool write(const char* data, size_t size) override {
        while (size > 0) {
            const ssize_t n = ::write(fd_, data, size);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                return false;
            }
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }
    bool close() override {
        const int fd = std::exchange(fd_, -1);
        return fd >= 0 && (::close(fd) == 0 || errno == EINTR);
    }
    bool in_place() const override { return true; }

  private:
    int fd_;
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

// The file a path ends in, its symbolic links followed one by one, even to a file that does not exist yet:
// an output given as a link is written where the link points, and the link stays.
std::string final_target(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return path;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<size_t>(n) >= target.size())
            return path;
        target.resize(static_cast<size_t>(n));
        path = target.front() == '/' ? target : directory_of(path) + "/" + target;
    }
    return path;
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
// The pid is there for a person reading the folder; what a run may remove is decided by the lock alone.
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

// True when `name` is exactly a temporary made with `stem`: the stem, digits, a dot, digits, ".tmp".
bool is_temporary_name(std::string_view name, std::string_view stem) {
    if (!name.starts_with(stem) || !name.ends_with(".tmp"))
        return false;
    name = name.substr(stem.size(), name.size() - stem.size() - 4);
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size())
        return false;
    const auto all_digits = [](std::string_view text) {
        return text.size() <= 10 &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return all_digits(name.substr(0, dot)) && all_digits(name.substr(dot + 1));
}

bool same_inode(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Takes the exclusive lock of temporary `fd` without waiting, and makes sure that `name` in `folder` still
// is that file: a sweep may have taken the lock first and removed the name meanwhile.
bool lock_as_named(int fd, int folder, const char* name) {
    struct stat opened {};
    struct stat named {};
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
           ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && same_inode(opened, named);
}

// Removes the temporaries that no run holds any more for the same target: regular files of the exact
// name, the user's own, whose lock can be taken. A run going on holds its lock, in whatever process
// namespace it runs; a killed run's lock went with it. Nothing else is opened, let alone removed.
void remove_stray_temporaries(const std::string& dir, const std::string& stem) {
    DIR* listing = ::opendir(dir.c_str());
    if (listing == nullptr)
        return;
    const int folder = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        if (!is_temporary_name(entry->d_name, stem))
            continue;
        struct stat st {};
        if (::fstatat(folder, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        const int flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;
        int fd = ::openat(folder, entry->d_name, O_RDONLY | flags);
        if (fd < 0)
            fd = ::openat(folder, entry->d_name, O_WRONLY | flags);
        if (fd < 0)
            continue;
        if (lock_as_named(fd, folder, entry->d_name))
            ::unlinkat(folder, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(listing);
}

// The next name of this process's own. The counter starts at a random place, so that processes with one
// pid in different namespaces seldom meet; where they do, the name is taken by whoever comes first.
std::string next_name(const std::string& prefix) {
    static std::atomic<uint32_t> counter{[] {
        try {
            return static_cast<uint32_t>(std::random_device()());
        } catch (...) {
            return static_cast<uint32_t>(::getpid()) * 2654435761u;
        }
    }()};
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

// Opens a device or a FIFO named as the output, to write into it as it is. A FIFO waits for its reader; a
// stop signal ends the wait with EINTR (the CLI's signals do not restart calls), and the run then stops.
std::unique_ptr<OutputFile> open_stream(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    return fd >= 0 ? std::make_unique<StreamOutput>(fd) : nullptr;
}

// Answers what deciding on one entry asks, from the machine's files.
class PosixLookup final : public EntryLookup {
  public:
    std::optional<EntryFacts> facts(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return std::nullopt;
        return EntryFacts{static_cast<uint64_t>(st.st_dev),
                          static_cast<uint64_t>(st.st_ino),
                          static_cast<uint32_t>(st.st_mode),
                          static_cast<uint64_t>(st.st_nlink),
                          static_cast<uint32_t>(st.st_uid),
                          static_cast<uint32_t>(st.st_gid),
                          static_cast<int64_t>(st.st_size),
                          nanoseconds(st.st_mtim),
                          nanoseconds(st.st_ctim)};
    }
    std::optional<std::vector<std::string>> names_in(const std::string& folder) override {
        DIR* listing = ::opendir(folder.c_str());
        if (listing == nullptr)
            return std::nullopt;
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        ::closedir(listing);
        return names;
    }

  private:
    static int64_t nanoseconds(const timespec& t) {
        return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
};

// The absolute path of an existing file, links, "." and ".." resolved; empty when there is none.
std::string resolved(const std::string& path) {
    char* full = ::realpath(path.c_str(), nullptr);
    if (full == nullptr)
        return {};
    std::string result = full;
    std::free(full);
    return result;
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
        temp_path.clear();
        const std::string target = final_target(final_path);
        struct stat st {};
        if (::stat(target.c_str(), &st) == 0) {
            if (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode))
                return open_stream(target);
            // A disk or a socket is neither a file to replace nor a stream to write into.
            if (S_ISBLK(st.st_mode) || S_ISSOCK(st.st_mode)) {
                errno = ENOTSUP;
                return nullptr;
            }
        }
        const std::string dir = directory_of(target);
        const std::string stem = temporary_stem(file_name_of(target));
        remove_stray_temporaries(dir, stem);
        const std::string prefix = (dir == "/" ? dir : dir + "/") + stem;
#ifdef O_TMPFILE
        // The file has no name until its bytes are on the disk, so a run killed at any moment before
        // leaves nothing; it is locked from the start, so once named no sweep takes it. Its name is
        // chosen now and taken at the end; should another run or a stranger have taken it meanwhile,
        // linking fails with EEXIST and the run fails rather than touch that file: until the link,
        // `remove` and `replace` leave the name alone.
        const int fd = ::open(dir.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd >= 0) {
            if (linkable(fd) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && pick_free_name(prefix, temp_path)) {
                temporaries_.promise(temp_path);
                keep_owner_and_mode_of(target, fd);
                return std::make_unique<PosixOutput>(fd, temporaries_, temp_path, true);
            }
            ::close(fd);
        } else if (!unnamed_unsupported(errno)) {
            temp_path.clear();
            return nullptr;
        }
#endif
        // A named temporary. A file left by a killed run never gets in the way: the name is taken with
        // O_EXCL, and the next one tried when it is there or when a sweep got its lock first.
        const int folder = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) {
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
        const int error = errno;
        ::close(folder);
        temp_path.clear();
        errno = error;
        return nullptr;
    }

    bool replace(const std::string& from, const std::string& to) override {
        if (temporaries_.pending(from)) {
            errno = ENOENT;  // never closed: the name is not ours yet
            return false;
        }
        // A link given as the output stays: the file it leads to is replaced.
        const std::string target = final_target(to);
        if (::rename(from.c_str(), target.c_str()) != 0)
            return false;  // still held: `remove` takes the name away before the lock goes
        temporaries_.release(from, [](bool) {});
        // The new name itself reaches the disk only with its folder. The file is in its place already,
        // so a folder that cannot be synced is no reason to call the run failed.
        const int dir = ::open(directory_of(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }

    void remove(const std::string& path) override {
        // Unlinked while still locked: no sweep can meet it unlocked.
        temporaries_.release(path, [&path](bool pending) {
            if (!pending)
                ::unlink(path.c_str());
        });
    }

    bool same_file(const std::string& a, const std::string& b) override {
        struct stat first {};
        struct stat second {};
        if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
            return false;
        if (same_inode(first, second))
            return true;
        // Another spelling of the same entry, on a folder that ignores case or normalises names.
        const std::string full_a = resolved(a);
        const std::string full_b = resolved(b);
        PosixLookup lookup;
        return !full_a.empty() && !full_b.empty() && same_entry(full_a, full_b, lookup);
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

    Temporaries temporaries_;
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

std::unique_ptr<OutputFile> standard_output_file() {
    const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    return fd >= 0 ? std::make_unique<StreamOutput>(fd) : nullptr;
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
