#include "run/stream_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include "run/files.h"

namespace lurendo {

namespace {

bool is_standard_output(const std::string& path) {
    return path == kStandardOutput;
}

// Whether `path` is the file standard output writes into.
bool is_standard_output_file(const std::string& path) {
    struct stat out {};
    struct stat other {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && ::stat(path.c_str(), &other) == 0 &&
           out.st_dev == other.st_dev && out.st_ino == other.st_ino;
}

}  // namespace

std::unique_ptr<InputFile> StreamAwareFiles::open_input(const std::string& path, std::error_code& error) {
    return system_file_system().open_input(path, error);
}

std::unique_ptr<OutputFile> StreamAwareFiles::create_temporary_beside(const std::string& final_path,
                                                                      std::string& temp_path,
                                                                      std::error_code& error) {
    if (!is_standard_output(final_path))
        return system_file_system().create_temporary_beside(final_path, temp_path, error);
    temp_path.clear();
    return standard_output_file(error);
}

std::error_code StreamAwareFiles::replace(const std::string& from, const std::string& to) {
    return system_file_system().replace(from, to);
}

void StreamAwareFiles::remove(const std::string& path) {
    system_file_system().remove(path);
}

bool StreamAwareFiles::same_file(const std::string& a, const std::string& b) {
    if (is_standard_output(a))
        return !is_standard_output(b) && is_standard_output_file(b);
    if (is_standard_output(b))
        return is_standard_output_file(a);
    return system_file_system().same_file(a, b);
}

}  // namespace lurendo
