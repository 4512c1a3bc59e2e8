#include "cli_runner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_support.h"

namespace lurendo::test {

const std::string kCli = std::string(LURENDO_BIN_DIR) + "/lurendo-cli";

pid_t start_cli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                const std::filesystem::path& capture_dir, const std::function<void()>& set_up) {
    const std::string out_path = (capture_dir / "stdout.txt").string();
    const std::string err_path = (capture_dir / "stderr.txt").string();
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(kCli.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        const int out_fd = ::open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err_fd = ::open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null_fd = ::open("/dev/null", O_RDONLY);
        if (out_fd < 0 || err_fd < 0 || null_fd < 0 || ::chdir(cwd.c_str()) != 0)
            ::_exit(127);
        ::dup2(null_fd, STDIN_FILENO);
        ::dup2(out_fd, STDOUT_FILENO);
        ::dup2(err_fd, STDERR_FILENO);
        // Nothing of the test runner's comes along: the tool starts with the three standard streams only.
        ::close_range(3, ~0U, 0);
        if (set_up)
            set_up();
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

CliResult finish_cli(pid_t pid, const std::filesystem::path& capture_dir) {
    CliResult result;
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid)
        return result;
    if (WIFEXITED(status))
        result.exit_code = WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    result.out = read_file((capture_dir / "stdout.txt").string());
    result.err = read_file((capture_dir / "stderr.txt").string());
    return result;
}

CliResult run_cli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                  const std::filesystem::path& capture_dir, const std::function<void()>& set_up) {
    return finish_cli(start_cli(args, cwd, capture_dir, set_up), capture_dir);
}

}  // namespace lurendo::test
