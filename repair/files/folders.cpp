#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "repair/files/file_io.h"
#include "repair/files/last_error.h"
#include "repair/files/paths.h"

namespace lurendo {

namespace {

// Puts the entries of folder `dir` on the disk. File systems with nothing to sync for a folder say EINVAL.
std::error_code sync_folder(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return last_error();
    const std::error_code error = ::fsync(fd) == 0 || errno == EINVAL ? std::error_code() : last_error();
    ::close(fd);
    return error;
}

}  // namespace

std::error_code create_folders(const std::string& path) {
    if (path.empty())
        return std::make_error_code(std::errc::no_such_file_or_directory);
    // Each level is the path up to a slash that ends a name; a run of slashes counts once.
    for (size_t end = 1; end <= path.size(); ++end) {
        if ((end < path.size() && path[end] != '/') || path[end - 1] == '/')
            continue;
        const std::string level = path.substr(0, end);
        struct stat st {};
        if (::stat(level.c_str(), &st) != 0) {
            if (errno != ENOENT)
                return last_error();
            if (::mkdir(level.c_str(), 0777) == 0) {
                // The new folder is only as durable as its entry in the folder above.
                if (const std::error_code error = sync_folder(directory_of(level)))
                    return error;
                continue;
            }
            // Someone else may have made it meanwhile; anything else is the answer.
            if (errno != EEXIST || ::stat(level.c_str(), &st) != 0)
                return last_error();
        }
        if (!S_ISDIR(st.st_mode))
            return std::make_error_code(std::errc::not_a_directory);
    }
    return {};
}

}  // namespace lurendo
