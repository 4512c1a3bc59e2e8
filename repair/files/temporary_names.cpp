#include "repair/files/temporary_names.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string_view>

namespace lurendo {

namespace {

// A run's temporary is named ".<target>.<pid>.<n>.tmp". The target part is cut so that the whole name fits
// in NAME_MAX even with the longest pid and counter: a target with a valid name never fails for its
// temporary. The cut is the same for every run, so leftovers of earlier runs are found by the same stem.
// The pid is there for a person reading the folder; what a run may remove is decided by the lock alone.
constexpr size_t kNameMax = 255;
constexpr size_t kNumberRoom = 2 + 10 + 1 + 10 + 4;  // two dots, pid, dot, counter, ".tmp"

}  // namespace

void Temporaries::hold(const std::string& path, int fd) {
    const std::lock_guard lock(mutex_);
    pending_.erase(path);
    const auto [at, added] = held_.emplace(path, fd);
    if (!added)
        ::close(std::exchange(at->second, fd));
}

void Temporaries::close_held(int fd) {
    if (fd >= 0)
        ::close(fd);
}

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

// The counter starts at a random place, so that processes with one pid in different namespaces seldom
// meet; where they do, the name is taken by whoever comes first.
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

bool lock_as_named(int fd, int folder, const char* name) {
    struct stat opened {};
    struct stat named {};
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
           ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Only regular files of the exact name, the user's own, whose lock can be taken, go: a run going on holds
// its lock, in whatever process namespace it runs; a killed run's lock went with it. Nothing else is
// opened, let alone removed.
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

}  // namespace lurendo
