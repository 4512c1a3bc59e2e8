#include "run/files.h"

#include <sys/stat.h>

#include "run/stream_files.h"

namespace lurendo {

bool is_same_file(const std::string& a, const std::string& b) {
    return StreamAwareFiles().same_file(a, b);
}

bool streamed_output(const std::string& path) {
    struct stat st {};
    return path == kStandardOutput ||
           (::stat(path.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)));
}

bool make_output_folders(const std::string& path) {
    return !create_folders(path);
}

}  // namespace lurendo
