#include "cli/command_line_files.h"

#include <sys/stat.h>
#include <unistd.h>

namespace lurendo::cli {

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

std::unique_ptr<InputFile> CommandLineFiles::open_input(const std::string& path) {
    return system_file_system().open_input(path);
}

std::unique_ptr<OutputFile> CommandLineFiles::create_temporary_beside(const std::string& final_path,
                                                                      std::string& temp_path) {
    if (!is_standard_output(final_path))
        return system_file_system().create_temporary_beside(final_path, temp_path);
    temp_path.clear();
    return standard_output_file();
}

bool CommandLineFiles::replace(const std::string& from, const std::string& to) {
    return system_file_system().replace(from, to);
}

void CommandLineFiles::remove(const std::string& path) {
    system_file_system().remove(path);
}

bool CommandLineFiles::same_file(const std::string& a, const std::string& b) {
    if (is_standard_output(a))
        return !is_standard_output(b) && is_standard_output_file(b);
    if (is_standard_output(b))
        return is_standard_output_file(a);
    return system_file_system().same_file(a, b);
}

bool streamed_output(const std::string& path) {
    struct stat st {};
    return is_standard_output(path) ||
           (::stat(path.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)));
}

}  // namespace lurendo::cli
