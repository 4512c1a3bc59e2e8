// lurendo-cli as a user runs it: a child process with its own working folder, its standard output and error
// captured in files and its exit status checked.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace lurendo::test {

extern const std::string kCli;

struct CliResult {
    int exit_code = -1;  // -1 when the tool did not exit normally
    int signal = 0;      // the signal that ended it, if one did
    std::string out;
    std::string err;
};

// Runs lurendo-cli with `args` in the folder `cwd`; stdout and stderr go to files in `capture_dir`.
// `set_up`, when given, runs in the child just before the tool starts: to send its standard output
// elsewhere or to limit it.
CliResult run_cli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                  const std::filesystem::path& capture_dir, const std::function<void()>& set_up = {});

// The same in two steps, for a test that acts on the running tool: its pid, then what it came to.
pid_t start_cli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                const std::filesystem::path& capture_dir, const std::function<void()>& set_up = {});
CliResult finish_cli(pid_t pid, const std::filesystem::path& capture_dir);

}  // namespace lurendo::test
