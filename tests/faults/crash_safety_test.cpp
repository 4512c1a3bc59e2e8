// A run killed outright never damages the out.gpx of an earlier run, and what it leaves behind does not
// confuse the runs that follow.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "fault_files.h"
#include "run/report.h"
#include "test_support.h"

namespace lurendo {
namespace {

namespace fs = std::filesystem;
using test::names_in;
using test::read_file;
using test::write_file;

const std::string kCli = std::string(LURENDO_BIN_DIR) + "/lurendo-cli";

// Writes a canonical track of at least `bytes` bytes, one point a second, in large blocks.
void write_large_track(const std::string& path, size_t bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::string block = test::canonical_document("");
    block.resize(block.find("    </trkseg>"));  // header only; the footer follows the points
    size_t written = 0;
    char point[256];
    for (long i = 0; written + block.size() < bytes; ++i) {
        const int n =
            std::snprintf(point, sizeof point,
                          "      <trkpt lat=\"45.%09ld\" lon=\"10.%09ld\">\r\n"
                          "        <ele>65.000000</ele>\r\n"
                          "        <time>2009-07-14T%02ld:%02ld:%02ldZ</time>\r\n      </trkpt>\r\n",
                          i % 1000000 * 900, i % 1000000 * 900, i / 3600 % 24, i / 60 % 60, i % 60);
        block.append(point, static_cast<size_t>(n));
        if (block.size() >= (1 << 22)) {
            written += std::fwrite(block.data(), 1, block.size(), f);
            block.clear();
        }
    }
    block += "    </trkseg>\r\n  </trk>\r\n</gpx>\r\n";
    std::fwrite(block.data(), 1, block.size(), f);
    ASSERT_EQ(std::fclose(f), 0);
}

// Starts lurendo-cli with `args`; its standard output and error go to the files named, or are thrown away.
pid_t start_cli_with(const std::vector<std::string>& args, const std::string& out_file = "/dev/null",
                     const std::string& err_file = "/dev/null") {
    std::vector<char*> argv{const_cast<char*>(kCli.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int null_fd = ::open("/dev/null", O_RDONLY);
        const int out_fd = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err_fd = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (null_fd < 0 || out_fd < 0 || err_fd < 0)
            ::_exit(127);
        ::dup2(null_fd, STDIN_FILENO);
        ::dup2(out_fd, STDOUT_FILENO);
        ::dup2(err_fd, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

pid_t start_cli(const std::string& input, const std::string& output) {
    return start_cli_with({input, "-o", output});
}

// The bytes process `pid` has handed to write() so far, its own output streams (sent to /dev/null) among
// them; -1 when it cannot be read. The document's temporary has no name to look at while it is written.
long long bytes_written_by(pid_t pid) {
    std::ifstream io("/proc/" + std::to_string(pid) + "/io");
    std::string key;
    long long value = 0;
    while (io >> key >> value) {
        if (key == "wchar:")
            return value;
    }
    return -1;
}

// Waits until process `pid` has written `bytes` bytes; false when it ended before (it is then reaped
// and its status stored in `status`).
bool wait_for_written(pid_t pid, long long bytes, int& status) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
        if (::waitpid(pid, &status, WNOHANG) == pid)
            return false;
        if (bytes_written_by(pid) >= bytes)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// A pid no process has any more: a child that has ended and been reaped.
pid_t dead_pid() {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

class CrashSafety : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kCli)) << kCli;
        fs::create_directory(work);
        write_file(out, kOld);
    }

    const std::string kOld = "the out.gpx of an earlier run\r\n";
    test::TempDir dir;
    const fs::path work = dir.path() / "work";
    const std::string out = (work / "out.gpx").string();
};

TEST_F(CrashSafety, RunsKilledAtAnyPointLeaveOnlyTheOldOutputAndTheNextRunWorks) {
    const std::string big = (work / "big.gpx").string();
    const size_t size = test::scaled(160u << 20);
    write_large_track(big, size);

    // As the document starts, halfway, and with most of it written; the document is about as long as
    // the track.
    for (const size_t kill_at : {size_t{1} << 20, size / 2, size / 4 * 3}) {
        const pid_t pid = start_cli(big, out);
        ASSERT_GT(pid, 0);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        int status = 0;
        bool ended_early = false;
        while (std::chrono::steady_clock::now() < deadline) {
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                ended_early = true;
                break;
            }
            if (bytes_written_by(pid) >= static_cast<long long>(kill_at))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!ended_early) {
            ::kill(pid, SIGKILL);
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        }
        ASSERT_FALSE(ended_early) << "the run ended before it could be killed; make the track larger";
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);

        EXPECT_EQ(names_in(work), (std::set<std::string>{"big.gpx", "out.gpx"})) << "killed at " << kill_at;
        EXPECT_EQ(read_file(out), kOld) << "killed at " << kill_at;
    }

    const pid_t next = start_cli(test::data_file("worked.gpx"), out);
    ASSERT_GT(next, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(next, &status, 0), next);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read_file(out), read_file(test::data_file("worked~out.gpx")));
    EXPECT_EQ(names_in(work), (std::set<std::string>{"big.gpx", "out.gpx"}));
}

// Another run's temporary, as a sweep meets it: the run holds its lock for as long as it lives. The file
// stays open, and so locked, until the holder goes.
class HeldTemporary {
  public:
    explicit HeldTemporary(const std::string& path) : fd_(::open(path.c_str(), O_WRONLY | O_CREAT, 0644)) {
        held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    }
    ~HeldTemporary() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    HeldTemporary(const HeldTemporary&) = delete;
    HeldTemporary& operator=(const HeldTemporary&) = delete;
    bool held() const { return held_; }

  private:
    int fd_;
    bool held_ = false;
};

// What the sweep at the start of a run removes: regular files of the exact name for the same output, the
// user's own, that no run holds, whatever pid their names carry. A live run elsewhere (in another pid
// namespace, where its pid means nothing here) holds its lock, and anything else is left as it is.
TEST_F(CrashSafety, OnlyTemporariesThatNoRunHoldsAreRemoved) {
    write_file(dir.file("in.gpx"), read_file(test::data_file("worked.gpx")));
    const std::string dead = std::to_string(dead_pid());
    const std::string alive = std::to_string(::getpid());
    for (const std::string& name : {".out.gpx." + dead + ".0.tmp", ".out.gpx." + alive + ".7.tmp"})
        write_file((work / name).string(), "left by a killed run");
    const std::string held_name = ".out.gpx." + dead + ".1.tmp";
    HeldTemporary held((work / held_name).string());
    ASSERT_TRUE(held.held());
    // Another output's, names of another shape, and what is not a regular file.
    std::set<std::string> kept = {held_name, ".other.gpx." + dead + ".0.tmp", ".out.gpx." + dead + ".tmp",
                                  ".out.gpx.x" + dead + ".0.tmp"};
    for (const std::string& name : kept)
        write_file((work / name).string(), "not stray");
    const std::string fifo = ".out.gpx." + dead + ".2.tmp";
    const std::string folder = ".out.gpx." + dead + ".3.tmp";
    const std::string link = ".out.gpx." + dead + ".4.tmp";
    ASSERT_EQ(::mkfifo((work / fifo).c_str(), 0600), 0);
    fs::create_directory(work / folder);
    fs::create_symlink(dir.file("in.gpx"), work / link);
    kept.insert({fifo, folder, link});
    // Someone else's, where the test may give a file away.
    const std::string strangers = ".out.gpx." + dead + ".5.tmp";
    write_file((work / strangers).string(), "not stray");
    if (::chown((work / strangers).c_str(), 65534, 65534) == 0)
        kept.insert(strangers);
    else
        fs::remove(work / strangers);

    ASSERT_EQ(esegui(dir.file("in.gpx"), out).esito, Esito::Eseguito);
    std::set<std::string> expected = kept;
    expected.insert("out.gpx");
    EXPECT_EQ(names_in(work), expected);
    for (const std::string& name : kept) {
        if (fs::is_regular_file(fs::symlink_status(work / name))) {
            EXPECT_EQ(read_file((work / name).string()), "not stray") << name;
        }
    }
    EXPECT_TRUE(fs::is_fifo(work / fifo));
    EXPECT_TRUE(fs::is_symlink(work / link));
    EXPECT_EQ(read_file(dir.file("in.gpx")), read_file(test::data_file("worked.gpx")));
}

// A finished temporary keeps its lock from the moment it has a name until it has taken the output's place:
// a run for the same output starting in between leaves it alone, and it still gets its place.
TEST_F(CrashSafety, AFinishedTemporaryIsHeldUntilItTakesItsPlace) {
    write_file(dir.file("in.gpx"), read_file(test::data_file("worked.gpx")));
    FileSystem& files = system_file_system();
    std::string temp;
    std::error_code error;
    std::unique_ptr<OutputFile> first = files.create_temporary_beside(out, temp, error);
    ASSERT_NE(first, nullptr) << error.message();
    ASSERT_EQ(first->write("the first run's document", 24), std::error_code());
    ASSERT_EQ(first->close(), std::error_code());
    ASSERT_TRUE(fs::exists(temp));

    ASSERT_EQ(esegui(dir.file("in.gpx"), out).esito, Esito::Eseguito);
    EXPECT_TRUE(fs::exists(temp)) << "a run swept a temporary its owner still holds";
    ASSERT_EQ(files.replace(temp, out), std::error_code());
    EXPECT_EQ(read_file(out), "the first run's document");
    EXPECT_EQ(names_in(work), (std::set<std::string>{"out.gpx"}));
}

// A run killed once its temporary has its name but before the rename leaves that temporary behind; its
// lock died with it, so the next run for the same output removes it.
TEST_F(CrashSafety, ATemporaryNamedByARunKilledBeforeItsRenameGoesWithTheNextRun) {
    write_file(dir.file("in.gpx"), read_file(test::data_file("worked.gpx")));
    const pid_t pid = ::fork();
    if (pid == 0) {
        std::string temp;
        std::error_code error;
        std::unique_ptr<OutputFile> file = system_file_system().create_temporary_beside(out, temp, error);
        if (file && !file->write("unfinished", 10) && !file->close())
            ::raise(SIGKILL);
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ASSERT_EQ(names_in(work).size(), 2u) << "the killed run's named temporary and out.gpx";

    ASSERT_EQ(esegui(dir.file("in.gpx"), out).esito, Esito::Eseguito);
    EXPECT_EQ(names_in(work), (std::set<std::string>{"out.gpx"}));
    EXPECT_EQ(read_file(out), read_file(test::data_file("worked~out.gpx")));
}

// An output whose own name is as long as a name can be still gets its temporary: that name is cut, never
// inside a character, and stale ones are found by the same cut. The cut must not change between versions.
TEST_F(CrashSafety, AnOutputWithTheLongestNameIsWrittenAndItsStaleTemporariesGo) {
    write_file(dir.file("in.gpx"), read_file(test::data_file("worked.gpx")));
    std::string name = std::string(227, 'a') + "\xC3\xA8";  // a two-byte character across byte 228
    name += std::string(255 - name.size(), 'b');
    const std::string target = (work / name).string();
    write_file(target, kOld);
    const std::string stale = "." + std::string(227, 'a') + "." + std::to_string(dead_pid()) + ".0.tmp";
    write_file((work / stale).string(), "left by a killed run");

    const RisultatoEsecuzione report = esegui(dir.file("in.gpx"), target);
    ASSERT_EQ(report.esito, Esito::Eseguito) << report.motivo;
    EXPECT_EQ(read_file(target), read_file(test::data_file("worked~out.gpx")));
    EXPECT_EQ(names_in(work), (std::set<std::string>{"out.gpx", name}));
}

// Runs in other pid namespaces may carry this process's pid, and so hold the very names it would choose:
// the names a run tries next are all held, and it still finishes under another, leaving theirs alone.
TEST_F(CrashSafety, TemporariesHeldUnderTheNamesARunWouldPickAreLeftAlone) {
    write_file(dir.file("in.gpx"), read_file(test::data_file("worked.gpx")));
    test::FaultyFiles probe;
    ASSERT_EQ(esegui(dir.file("in.gpx"), out, {}, probe).esito, Esito::Eseguito);
    ASSERT_EQ(probe.temporaries().size(), 1u);

    // ".out.gpx.<pid>.<n>.tmp": hold the next names this process would try.
    const std::string used = fs::path(probe.temporaries()[0]).filename().string();
    const size_t n_end = used.rfind(".tmp");
    const size_t n_start = used.rfind('.', n_end - 1) + 1;
    const std::string stem = used.substr(0, n_start);
    const unsigned n = static_cast<unsigned>(std::stoul(used.substr(n_start, n_end - n_start)));
    std::vector<std::string> decoys;
    std::vector<std::unique_ptr<HeldTemporary>> holders;
    for (unsigned k = n + 1; k <= n + 10; ++k) {
        decoys.push_back((work / (stem + std::to_string(k) + ".tmp")).string());
        holders.push_back(std::make_unique<HeldTemporary>(decoys.back()));
        ASSERT_TRUE(holders.back()->held());
        write_file(decoys.back(), "another run's");
    }
    write_file(out, kOld);

    const RisultatoEsecuzione report = esegui(dir.file("in.gpx"), out);
    EXPECT_TRUE((report.esito == Esito::Eseguito));
    EXPECT_EQ(read_file(out), read_file(test::data_file("worked~out.gpx")));
    for (const std::string& decoy : decoys)
        EXPECT_EQ(read_file(decoy), "another run's") << decoy;
    EXPECT_EQ(names_in(work).size(), decoys.size() + 1) << "only the decoys and out.gpx";
}

// The signals a user or the system sends to end a program politely stop the run at its next block: the
// unfinished document goes, the old output stays, and the exit code tells which signal it was.
TEST_F(CrashSafety, InterruptTerminateAndHangUpStopTheRunCleanlyWithTheirExitCodes) {
    const std::string big = (work / "big.gpx").string();
    write_large_track(big, test::scaled(64u << 20));
    for (const int signal_number : {SIGTERM, SIGINT, SIGHUP}) {
        const pid_t pid = start_cli(big, out);
        ASSERT_GT(pid, 0);
        int status = 0;
        ASSERT_TRUE(wait_for_written(pid, 2 << 20, status))
            << "ended before the signal; make the track larger";
        ::kill(pid, signal_number);
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status)) << "killed by the signal instead of stopping";
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal_number);
        EXPECT_EQ(names_in(work), (std::set<std::string>{"big.gpx", "out.gpx"})) << signal_number;
        EXPECT_EQ(read_file(out), kOld);
    }
}

// A batch stopped during its second track prints the rows of the first, names the track it stopped in,
// and says that the earlier output was written.
TEST_F(CrashSafety, AStoppedBatchReportsTheTracksFinishedSoFar) {
    const std::string small = (work / "piccola.gpx").string();
    write_file(small, read_file(test::data_file("worked.gpx")));
    const std::string big = (work / "grande.gpx").string();
    write_large_track(big, test::scaled(64u << 20));
    const std::string folder = (dir.path() / "riparate").string();
    const std::string out_text = dir.file("stdout.txt");
    const std::string err_text = dir.file("stderr.txt");

    const pid_t pid = start_cli_with({"--csv", "-o", folder, small, big}, out_text, err_text);
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_TRUE(wait_for_written(pid, 2 << 20, status));
    ::kill(pid, SIGINT);
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);

    const std::string rows = read_file(out_text);
    EXPECT_NE(rows.find("\npiccola.gpx;0:0:8;0,03;"), std::string::npos) << rows;
    EXPECT_EQ(rows.find("grande.gpx"), std::string::npos) << rows;
    EXPECT_NE(rows.find("\nTotale;0:0:8;"), std::string::npos) << rows;
    const std::string message = read_file(err_text);
    EXPECT_NE(message.find("interrotta durante la traccia " + big), std::string::npos) << message;
    EXPECT_NE(message.find("tracce precedenti completate sono stati scritti"), std::string::npos) << message;
    EXPECT_EQ(names_in(folder), (std::set<std::string>{"piccola.gpx"}));
}

// However long the track, a run holds only the points its statistics still need: a track of two million
// points through a pipe (its store alone would take 80 MB) stays under 64 MB.
TEST_F(CrashSafety, ALongTrackThroughAPipeIsRepairedInBoundedMemory) {
    if (test::kSanitized)
        GTEST_SKIP() << "the sanitizers' own memory is not the program's";
    const std::string big = (work / "big.gpx").string();
    write_large_track(big, 2'000'000 * 140);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int in = ::open(big.c_str(), O_RDONLY);
        int ends[2];
        if (in < 0 || ::pipe(ends) != 0)
            ::_exit(126);
        if (::fork() == 0) {  // the writer: the track into the pipe, as a program hands it on
            ::close(ends[0]);
            char block[1 << 16];
            for (ssize_t n; (n = ::read(in, block, sizeof block)) > 0;) {
                if (::write(ends[1], block, static_cast<size_t>(n)) != n)
                    ::_exit(1);
            }
            ::_exit(0);
        }
        ::close(ends[1]);
        ::dup2(ends[0], STDIN_FILENO);
        const int null_fd = ::open("/dev/null", O_WRONLY);
        ::dup2(null_fd, STDOUT_FILENO);
        ::execl(kCli.c_str(), kCli.c_str(), "/dev/stdin", "-o", out.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ASSERT_EQ(::wait4(pid, &status, 0, &usage), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_LT(usage.ru_maxrss, 64 * 1024) << "peak resident memory in KB";
    EXPECT_GT(std::filesystem::file_size(out), 2'000'000u * 100);
}

// With too little memory for its point store the run says so in Italian and leaves nothing behind.
TEST_F(CrashSafety, ARunOutOfAddressSpaceSaysSoAndLeavesNoTemporary) {
    if (test::kSanitized)
        GTEST_SKIP() << "the sanitizers reserve more address space than any limit worth testing";
    const std::string big = (work / "big.gpx").string();
    write_large_track(big, 64u << 20);
    const std::string err_text = dir.file("stderr.txt");
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Enough to start and read, not for the points of 64 MB of track.
        const rlimit limit{32u << 20, 32u << 20};
        ::setrlimit(RLIMIT_AS, &limit);
        const int err_fd = ::open(err_text.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null_fd = ::open("/dev/null", O_RDWR);
        ::dup2(null_fd, STDOUT_FILENO);
        ::dup2(err_fd, STDERR_FILENO);
        ::execl(kCli.c_str(), kCli.c_str(), big.c_str(), "-o", out.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(read_file(err_text), "Errore: memoria insufficiente per il file " + big + "\n");
    EXPECT_EQ(names_in(work), (std::set<std::string>{"big.gpx", "out.gpx"}));
    EXPECT_EQ(read_file(out), kOld);
}

}  // namespace
}  // namespace lurendo
