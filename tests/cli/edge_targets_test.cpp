// Outputs that are not plain files, and results that cannot be printed: a FIFO, a device, standard output,
// a symbolic link, a standard output that fails, too few file descriptors.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_runner.h"
#include "test_support.h"

namespace lurendo {
namespace {

namespace fs = std::filesystem;
using test::CliResult;
using test::read_file;
using test::run_cli;
using test::write_file;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Points the child's standard output at `path`, opened with `flags`.
std::function<void()> stdout_to(const std::string& path, int flags = O_WRONLY) {
    return [path, flags] {
        const int fd = ::open(path.c_str(), flags);
        if (fd < 0 || ::dup2(fd, STDOUT_FILENO) < 0)
            ::_exit(126);
        ::close(fd);
    };
}

class EdgeTargets : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(test::kCli)) << test::kCli;
        fs::create_directory(work_dir());
        fs::create_directory(capture_dir());
        write_file(track_, read_file(test::data_file("worked.gpx")));
    }
    CliResult run(const std::vector<std::string>& args, const std::function<void()>& set_up = {}) {
        return run_cli(args, work_dir(), capture_dir(), set_up);
    }
    fs::path work_dir() const { return dir_.path() / "work"; }
    fs::path capture_dir() const { return dir_.path() / "capture"; }
    std::string work_file(const std::string& name) const { return (work_dir() / name).string(); }
    // A device node of the kernel's own (1,3 is the null device, 1,7 the full one), made here so that a
    // wrong run replaces no device the machine needs; false where this user may not make one.
    bool make_device(const std::string& path, unsigned minor) const {
        return ::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, minor)) == 0;
    }

    const std::string expected_ = read_file(test::data_file("worked~out.gpx"));
    test::TempDir dir_;
    const std::string track_ = (dir_.path() / "work-track.gpx").string();
};

// The document flows into a FIFO to its reader; the FIFO stays a FIFO. The reader is there before the run
// and takes the document from the FIFO's buffer afterwards (it is smaller), so no run can keep it waiting.
TEST_F(EdgeTargets, AFifoIsWrittenIntoAndStaysAFifo) {
    const std::string fifo = work_file("flusso.gpx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const CliResult r = run({"-o", fifo, track_});
    std::string received(1 << 16, '\0');
    const ssize_t n = ::read(reader, received.data(), received.size());
    ::close(reader);
    received.resize(n > 0 ? static_cast<size_t>(n) : 0);
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(received, expected_);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(contains(r.out, "Procedura eseguita. File: " + fifo)) << r.out;
    EXPECT_EQ(test::names_in(work_dir()), (std::set<std::string>{"flusso.gpx"})) << "no temporary";
}

// A FIFO nobody reads keeps the run waiting; a stop signal ends the wait like any other part of the run.
TEST_F(EdgeTargets, AStopSignalEndsTheWaitForAFifosReader) {
    const std::string fifo = work_file("flusso.gpx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const pid_t pid = test::start_cli({"-o", fifo, track_}, work_dir(), capture_dir());
    ASSERT_GT(pid, 0);
    // The kernel names the wait of an open FIFO end for its partner; where it names nothing, no test.
    const std::string wchan = "/proc/" + std::to_string(pid) + "/wchan";
    bool waiting = false;
    for (int look = 0; look < 1000 && !waiting; ++look) {
        waiting = read_file(wchan) == "wait_for_partner";
        if (!waiting)
            ::usleep(10'000);
    }
    if (!waiting) {
        const int release = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        test::finish_cli(pid, capture_dir());
        ::close(release);
        GTEST_SKIP() << "this kernel does not tell the FIFO wait";
    }
    ::kill(pid, SIGINT);
    int status = 0;
    pid_t ended = 0;
    for (int look = 0; look < 1000 && ended == 0; ++look) {
        ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == 0)
            ::usleep(10'000);
    }
    if (ended == 0) {
        // Still waiting after ten seconds: let it go before failing.
        const int release = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
        ::waitpid(pid, &status, 0);
        ::close(release);
    }
    ASSERT_EQ(ended, pid) << "the signal did not end the wait";
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// A character device is written into, never replaced; one that fails its writes is a write error.
TEST_F(EdgeTargets, ACharacterDeviceIsWrittenIntoAndStaysADevice) {
    const std::string null_device = work_file("nulla");
    const std::string full_device = work_file("pieno");
    if (!make_device(null_device, 3) || !make_device(full_device, 7))
        GTEST_SKIP() << "this user may not make device nodes";
    const CliResult r = run({"-o", null_device, track_});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(fs::is_character_file(null_device));

    const CliResult full = run({"-o", full_device, track_});
    EXPECT_EQ(full.exit_code, 1);
    EXPECT_TRUE(contains(full.err, "Errore: impossibile scrivere il file " + full_device + " (disco pieno)"))
        << full.err;
    EXPECT_TRUE(fs::is_character_file(full_device));
    EXPECT_EQ(test::names_in(work_dir()), (std::set<std::string>{"nulla", "pieno"}));
}

// A disk or a socket named as the output is neither replaced by a file nor written into.
TEST_F(EdgeTargets, ASocketOrADiskGivenAsTheOutputIsRefusedAndLeftAsItIs) {
    std::vector<std::string> refused;
    const std::string socket_path = work_file("presa");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    socket_path.copy(address.sun_path, socket_path.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    refused.push_back(socket_path);
    const std::string disk = work_file("disco");
    if (::mknod(disk.c_str(), S_IFBLK | 0600, ::makedev(7, 0)) == 0)
        refused.push_back(disk);
    for (const std::string& target : refused) {
        const CliResult r = run({"-o", target, track_});
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_TRUE(contains(
            r.err, "Errore: impossibile scrivere il file " + target + " (tipo di file non supportato)"))
            << r.err;
    }
    ::close(listener);
    EXPECT_TRUE(fs::is_socket(socket_path));
    if (refused.size() > 1) {
        EXPECT_TRUE(fs::is_block_file(disk));
    }
}

// "-o -": the document is standard output, byte for byte; the figures go to standard error, or nowhere.
TEST_F(EdgeTargets, DashWritesTheDocumentToStandardOutputAndTheFiguresToStandardError) {
    const CliResult r = run({"-o", "-", track_});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, expected_);
    EXPECT_TRUE(contains(r.err, "Procedura eseguita. File: -")) << r.err;
    EXPECT_TRUE(contains(r.err, "Totale      0:0:8")) << r.err;
    EXPECT_EQ(test::names_in(work_dir()), std::set<std::string>{}) << "no file named -";

    const CliResult quiet = run({"--quiet", "-o", "-", track_});
    EXPECT_EQ(quiet.exit_code, 0);
    EXPECT_EQ(quiet.out, expected_);
    EXPECT_EQ(quiet.err, "");

    const CliResult batch = run({"-o", "-", track_, test::data_file("worked.gpx")});
    EXPECT_EQ(batch.exit_code, 2);
    EXPECT_TRUE(contains(batch.err, "non lo standard output")) << batch.err;
}

// Standard output appended to the track itself would grow the input while it is read.
TEST_F(EdgeTargets, DashOntoTheTrackItselfIsRefused) {
    const std::string original = read_file(track_);
    const CliResult r = run({"-o", "-", track_}, stdout_to(track_, O_WRONLY | O_APPEND));
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_TRUE(contains(r.err, "è la traccia da riparare")) << r.err;
    EXPECT_EQ(read_file(track_), original);
}

// A link given as the output stays a link; the never-over-an-input check applies to the file it leads to.
TEST_F(EdgeTargets, ALinkStaysALinkAndALinkToTheTrackIsRefused) {
    fs::create_directory(work_dir() / "archivio");
    fs::create_symlink("archivio/riparata.gpx", work_file("ultima.gpx"));
    const CliResult r = run({"-o", "ultima.gpx", track_});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_TRUE(fs::is_symlink(work_file("ultima.gpx")));
    EXPECT_EQ(read_file(work_file("archivio/riparata.gpx")), expected_);

    const std::string original = read_file(track_);
    fs::create_symlink(track_, work_file("alla-traccia.gpx"));
    const CliResult self = run({"-o", "alla-traccia.gpx", track_});
    EXPECT_EQ(self.exit_code, 2);
    EXPECT_EQ(read_file(track_), original);
    EXPECT_TRUE(fs::is_symlink(work_file("alla-traccia.gpx")));
}

// Results that cannot be printed are an error in every form, and the repaired file is still written.
TEST_F(EdgeTargets, AStandardOutputThatFailsIsAnError) {
    if (!fs::is_character_file("/dev/full"))
        GTEST_SKIP() << "no /dev/full";
    const std::vector<std::vector<std::string>> forms = {{}, {"--json"}, {"--csv"}};
    for (std::vector<std::string> args : forms) {
        SCOPED_TRACE(args.empty() ? "text" : args.front());
        args.insert(args.end(), {"-o", work_file("riparata.gpx"), track_});
        const CliResult r = run(args, stdout_to("/dev/full"));
        EXPECT_EQ(r.exit_code, 1);
        EXPECT_TRUE(
            contains(r.err, "Errore: impossibile scrivere i risultati sullo standard output (disco pieno)"))
            << r.err;
        EXPECT_EQ(read_file(work_file("riparata.gpx")), expected_);
    }
    // A batch's rows, and a pipe whose reader has gone.
    const CliResult rows =
        run({"-o", work_file("cartella"), track_, test::data_file("worked.gpx")}, stdout_to("/dev/full"));
    EXPECT_EQ(rows.exit_code, 1);
    const CliResult gone = run({"-o", work_file("riparata.gpx"), track_}, [] {
        int ends[2];
        if (::pipe(ends) != 0 || ::dup2(ends[1], STDOUT_FILENO) < 0)
            ::_exit(126);
        ::close(ends[0]);  // the reader goes before a byte is written
        ::close(ends[1]);
    });
    EXPECT_EQ(gone.signal, 0) << "killed by a signal";
    EXPECT_EQ(gone.exit_code, 1);
    EXPECT_TRUE(contains(gone.err, "sullo standard output (pipe chiusa)")) << gone.err;
}

// Without file descriptors to spare every track fails, and each says why.
TEST_F(EdgeTargets, RunningOutOfFileDescriptorsIsNamed) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' own runtime needs file descriptors of its own";
#endif
    const CliResult r = run({"-o", work_file("cartella"), track_, test::data_file("worked.gpx")}, [] {
        const rlimit four{4, 4};  // standard input, output and error, and one more: the input
        ::setrlimit(RLIMIT_NOFILE, &four);
    });
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(contains(r.err, "worked.gpx (troppi file aperti)\n")) << r.err;
    EXPECT_TRUE(contains(r.err, "work-track.gpx (troppi file aperti)\n")) << r.err;
}

}  // namespace
}  // namespace lurendo
