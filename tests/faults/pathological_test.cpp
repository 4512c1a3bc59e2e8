// Inputs and output places no GPS ever made: each run ends, in bounded time, with a clear outcome.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "fault_files.h"
#include "run/report.h"
#include "test_support.h"

namespace lurendo {
namespace {

namespace fs = std::filesystem;
using test::FaultyFiles;
using test::names_in;
using test::read_file;
using test::write_file;
using ::testing::Each;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kPoints = test::canonical_point("45.512345678", "10.712345678", "15:04:01") +
                            test::canonical_point("45.512545678", "10.712545678", "15:04:05");

// Lines as the run counts them: CR LF, CR and LF each end one; a last line without an end still counts.
int64_t count_lines(const std::string& text) {
    int64_t lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')))
            ++lines;
    }
    if (!text.empty() && text.back() != '\r' && text.back() != '\n')
        ++lines;
    return lines;
}

class Pathological : public ::testing::Test {
  protected:
    test::RunCapture run(const std::string& input) { return test::run_bytes(dir, input); }
    // What a run on `input` writes, in a folder of its own.
    static std::string repaired(const std::string& input) {
        test::TempDir elsewhere;
        return test::run_bytes(elsewhere, input).output;
    }
    RisultatoEsecuzione run_file(const std::string& input, FileSystem& files = system_file_system(),
                                 std::function<bool()> cancelled = {}) {
        test::RunCapture capture = test::run_paths(input, out, files, cancelled);
        statuses.insert(statuses.end(), capture.statuses.begin(), capture.statuses.end());
        return capture.report;
    }

    test::TempDir dir;
    const std::string in = dir.file("in.gpx");
    const std::string out = dir.file("out.gpx");
    std::vector<std::string> statuses;
};

// Megabytes of NUL bytes are one line of nothing; the points after it are kept as usual.
TEST_F(Pathological, NulBytesAreOneLineOfNothing) {
    const std::string nuls(test::scaled(16u << 20), '\0');
    const test::RunCapture r = run(nuls);
    EXPECT_EQ(r.report.esito, Esito::NessunPunto);
    EXPECT_EQ(r.output, "") << "nothing to repair writes nothing";
    EXPECT_EQ(r.report.righe, 1);
    EXPECT_FALSE(r.report.cifre.has_value());

    const test::RunCapture then = run(nuls + "\r\n" + kPoints);
    EXPECT_EQ(then.output, repaired(kPoints));
    EXPECT_EQ(then.store.n_punti(), 2);
}

// Random bytes with track fragments strewn in: read to the end, a well-formed document, no invented points.
TEST_F(Pathological, RandomBytesWithTrackFragmentsAreReadToTheEnd) {
    const std::vector<std::string> fragments = {"<trkpt lat=\"45.5\" lon=\"10.5\">",
                                                "</trkpt>",
                                                "<trkpt lat='45.50001' lon='10.50001'/>",
                                                "<time>2009-07-14T15:04:05Z</time>",
                                                "<ele>1</ele>",
                                                "\r\n",
                                                "\r",
                                                "\n",
                                                "<trkpt",
                                                "time",
                                                "ele"};
    std::mt19937 random(20090714);
    std::string bytes;
    size_t start_tags = 0;
    while (bytes.size() < test::scaled(8u << 20)) {
        const unsigned roll = random() % 64;
        if (roll < fragments.size()) {
            bytes += fragments[roll];
            start_tags += fragments[roll].starts_with("<trkpt") ? 1 : 0;
        } else {
            for (unsigned k = roll; k > 0; --k)
                bytes.push_back(static_cast<char>(random()));
        }
    }
    const test::RunCapture r = run(bytes);
    EXPECT_TRUE((r.report.esito == Esito::Eseguito));
    EXPECT_EQ(r.report.righe, count_lines(bytes));
    const std::string empty = test::repaired_document("");
    const size_t header = empty.find("   </trkseg>");
    EXPECT_EQ(r.output.substr(0, header), empty.substr(0, header));
    EXPECT_TRUE(r.output.ends_with(empty.substr(header)));
    EXPECT_GT(r.store.n_punti(), 0);
    EXPECT_LE(r.store.n_punti(), static_cast<int64_t>(start_tags));
    ASSERT_TRUE(r.report.cifre.has_value());
}

// Every "<trkpt" of an endless line opens a point that never ends; none is written, and the line does not
// disturb the points after it.
TEST_F(Pathological, ALineOfMegabytesOfStartTagsHoldsNoPoint) {
    std::string tags;
    tags.reserve(test::scaled(8u << 20));
    while (tags.size() < test::scaled(8u << 20))
        tags += "<trkpt";
    const test::RunCapture r = run(tags);
    EXPECT_EQ(r.report.esito, Esito::NessunPunto);
    EXPECT_EQ(r.report.righe, 1);
    EXPECT_EQ(r.store.n_punti(), 0);

    const test::RunCapture then = run(tags + "\r\n" + kPoints);
    EXPECT_EQ(then.output, repaired(kPoints));
}

// Runs `child` in a child process, and `meanwhile` here, and returns the child's exit code; a child that
// has not ended within 10 s is killed and counts as hanging (-1).
template <typename Child>
int exit_code_within_10s(Child&& child, const std::function<void()>& meanwhile = {}) {
    const pid_t pid = ::fork();
    if (pid < 0)
        return -2;
    if (pid == 0)
        ::_exit(child());
    if (meanwhile)
        meanwhile();
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

// A FIFO nobody writes to yet may still get a writer: the run waits for one, and can be stopped meanwhile.
TEST_F(Pathological, ARunWaitingOnASilentFifoCanBeStopped) {
    const std::string fifo = dir.file("fifo.gpx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    write_file(out, "old");
    const int code = exit_code_within_10s([&] {
        const auto stop_at = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
        const RisultatoEsecuzione report =
            run_file(fifo, system_file_system(), [&] { return std::chrono::steady_clock::now() > stop_at; });
        if (!(report.esito == Esito::Interrotto))
            return 1;
        const bool untouched =
            read_file(out) == "old" && names_in(dir.path()) == std::set<std::string>{"fifo.gpx", "out.gpx"};
        return untouched ? 0 : 2;
    });
    EXPECT_EQ(code, 0) << "-1: hangs, 1: not stopped, 2: files changed";
}

TEST_F(Pathological, AFifoGivesTheRunWhatItsWriterWrites) {
    const std::string fifo = dir.file("fifo.gpx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string input = test::canonical_document(kPoints);
    const auto write_once_the_run_reads = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        // Without a reader, opening for writing fails at once: try until the run has opened the FIFO.
        for (int attempt = 0; attempt < 500; ++attempt) {
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::fcntl(fd, F_SETFL, 0);
                const bool written =
                    ::write(fd, input.data(), input.size()) == static_cast<ssize_t>(input.size());
                ::close(fd);
                EXPECT_TRUE(written);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ADD_FAILURE() << "the run never opened the FIFO";
    };
    const int code = exit_code_within_10s(
        [&] {
            const RisultatoEsecuzione report = run_file(fifo);
            return (report.esito == Esito::Eseguito) && read_file(out) == repaired(input) ? 0 : 1;
        },
        write_once_the_run_reads);
    EXPECT_EQ(code, 0) << "-1: hangs, 1: wrong document";
}

// The input is cut short while the run reads it, for real and through the file layer: the run reads
// what is there and gives exactly what the shorter file gives.
TEST_F(Pathological, AnInputCutShortDuringTheRunGivesTheRunOfWhatIsLeft) {
    std::string points;
    for (int i = 0; i < 12000; ++i)
        points += kPoints;
    const std::string input = test::canonical_document(points);
    ASSERT_GT(input.size(), 2u << 20);

    for (const bool truncate_for_real : {true, false}) {
        SCOPED_TRACE(truncate_for_real ? "file truncated" : "reads end early");
        write_file(in, input);
        FaultyFiles files;
        long cut_at = -1;
        const auto cut_after_first_read = [&] {
            if (cut_at < 0 && files.bytes_read() > 0) {
                cut_at = files.bytes_read() + 5000;  // somewhere inside a point
                if (truncate_for_real)
                    fs::resize_file(in, static_cast<uintmax_t>(cut_at));
                else
                    files.faults.input_ends_after = cut_at;
            }
            return false;
        };
        const RisultatoEsecuzione report = run_file(in, files, cut_after_first_read);
        ASSERT_GT(cut_at, 0);
        ASSERT_LT(cut_at, static_cast<long>(input.size()));
        EXPECT_TRUE((report.esito == Esito::Eseguito));
        EXPECT_EQ(files.bytes_read(), cut_at);
        const std::string shorter = input.substr(0, static_cast<size_t>(cut_at));
        EXPECT_EQ(report.righe, count_lines(shorter));
        EXPECT_EQ(read_file(out), repaired(shorter));
    }
}

// Removing the input once it is open takes nothing away from the run.
TEST_F(Pathological, AnInputRemovedDuringTheRunIsReadWhole) {
    const std::string input = test::canonical_document(kPoints);
    write_file(in, input);
    const RisultatoEsecuzione report = run_file(in, system_file_system(), [&] {
        fs::remove(in);
        return false;
    });
    EXPECT_FALSE(fs::exists(in));
    EXPECT_TRUE((report.esito == Esito::Eseguito));
    EXPECT_EQ(read_file(out), repaired(input));
}

// /dev/zero never ends; stopping the run after many megabytes leaves nothing behind.
TEST_F(Pathological, AnEndlessInputCanBeStopped) {
    write_file(out, "old");
    FaultyFiles files;
    const long stop_after = static_cast<long>(test::scaled(64u << 20));
    const RisultatoEsecuzione report =
        run_file("/dev/zero", files, [&files, stop_after] { return files.bytes_read() >= stop_after; });
    EXPECT_TRUE((report.esito == Esito::Interrotto));
    EXPECT_GE(files.bytes_read(), stop_after);
    EXPECT_EQ(testo_stato(report), "Elaborazione interrotta: il file di uscita non è stato modificato.");
    EXPECT_THAT(statuses, Each(Not(HasSubstr("Procedura eseguita"))));
    EXPECT_EQ(read_file(out), "old");
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"out.gpx"}));
}

TEST_F(Pathological, AFolderNamedLikeTheOutputIsLeftAsItIs) {
    write_file(in, test::canonical_document(kPoints));
    fs::create_directory(out);
    write_file(out + "/inside.txt", "kept");
    const RisultatoEsecuzione report = run_file(in);
    EXPECT_FALSE((report.esito == Esito::Eseguito));
    EXPECT_EQ(testo_stato(report), "Errore: impossibile scrivere il file " + out + " (è una cartella)");
    EXPECT_THAT(statuses, Each(Not(HasSubstr("Procedura eseguita"))));
    EXPECT_TRUE(fs::is_directory(out));
    EXPECT_EQ(names_in(out), (std::set<std::string>{"inside.txt"}));
    EXPECT_EQ(read_file(out + "/inside.txt"), "kept");
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"in.gpx", "out.gpx"}));
}

// A link given as the output stays a link; the file it leads to is replaced, through a chain of links and a
// relative one, and made where the link leads when it does not exist yet.
TEST_F(Pathological, AnOutputThatIsALinkStaysALinkAndTheFileItLeadsToIsReplaced) {
    const std::string input = test::canonical_document(kPoints);
    write_file(in, input);
    fs::create_directory(dir.path() / "tracce");
    const std::string target = dir.file("tracce/target.gpx");
    write_file(target, "the link's target");
    fs::create_symlink("middle.gpx", out);  // out.gpx -> middle.gpx -> tracce/target.gpx
    fs::create_symlink(target, dir.file("middle.gpx"));
    const RisultatoEsecuzione report = run_file(in);
    ASSERT_TRUE((report.esito == Esito::Eseguito)) << report.motivo;
    EXPECT_TRUE(fs::is_symlink(out));
    EXPECT_EQ(fs::read_symlink(out), "middle.gpx");
    EXPECT_TRUE(fs::is_symlink(dir.file("middle.gpx")));
    EXPECT_EQ(read_file(target), repaired(input));
    EXPECT_EQ(names_in(dir.path() / "tracce"), (std::set<std::string>{"target.gpx"}));

    fs::remove(target);  // the links now lead nowhere
    EXPECT_TRUE((run_file(in).esito == Esito::Eseguito));
    EXPECT_TRUE(fs::is_symlink(out));
    EXPECT_EQ(read_file(target), repaired(input));
}

// Coordinates with hundreds of digits: leading zeros and extra decimals are harmless, hundreds of integer
// digits make the point unreadable, and no length crashes the run or shifts the scale.
TEST_F(Pathological, CoordinatesOfHundredsOfDigitsKeepTheScaleOrAreUnreadable) {
    const std::string many(400, '7');
    const std::string unreadable(400, '3');
    const std::string zeros(400, '0');
    const std::string points = test::canonical_point(zeros + "45.5", "10.5", "15:04:01") +
                               test::canonical_point("45.50" + many, "10.50" + many, "15:04:05") +
                               test::canonical_point(unreadable, "10.5", "15:04:09") +
                               test::canonical_point("45.5", "-" + unreadable + ".5", "15:04:13") +
                               test::canonical_point("45.5" + zeros + "1", "10.5", "15:04:17");
    const test::RunCapture r = run(test::canonical_document(points));
    EXPECT_TRUE((r.report.esito == Esito::Eseguito));
    const PointStore& store = r.store;
    ASSERT_EQ(store.n_punti(), 3);
    EXPECT_EQ(store.lat_punto(1), 45500000000.0);
    EXPECT_EQ(store.lat_punto(2), 45507777777.0);
    EXPECT_EQ(store.lon_punto(2), 10507777777.0);
    EXPECT_EQ(store.lat_punto(3), 45500000000.0);
    EXPECT_EQ(r.output.find(unreadable), std::string::npos) << "an unreadable point reached the output";
}

}  // namespace
}  // namespace lurendo
