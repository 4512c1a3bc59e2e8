// Every way the file layer can fail during a run: the run names the failure, claims no success, leaves the
// old out.gpx byte for byte as it was and leaves no temporary file behind.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <future>
#include <set>
#include <string>
#include <vector>

#include "fault_files.h"
#include "repair/files/file_io.h"
#include "run/report.h"
#include "test_support.h"

namespace lurendo {
namespace {

using test::Faults;
using test::FaultyFiles;
using test::names_in;
using test::read_file;
using test::write_file;
using ::testing::Each;
using ::testing::HasSubstr;
using ::testing::Not;

// `count` points one second and about a metre apart, in the canonical layout.
std::string steady_track(int count) {
    std::string points;
    for (int i = 0; i < count; ++i) {
        char lat[32], lon[32], time[16];
        std::snprintf(lat, sizeof lat, "45.%09d", 500000000 + i * 9000);
        std::snprintf(lon, sizeof lon, "10.%09d", 700000000 + i * 9000);
        std::snprintf(time, sizeof time, "%02d:%02d:%02d", 10 + i / 3600 % 12, i / 60 % 60, i % 60);
        points += test::canonical_point(lat, lon, time);
    }
    return test::canonical_document(points);
}

struct Outcome {
    RisultatoEsecuzione report;
    std::vector<std::string> statuses;
    long bytes_read = 0;
    long bytes_written = 0;
    int64_t n_punti = 0;
};

class IoFaults : public ::testing::Test {
  protected:
    IoFaults() {
        write_file(out, kOld);
        use_input(read_file(test::data_file("worked.gpx")));
    }
    void use_input(const std::string& bytes) {
        write_file(in, bytes);
        input_size = static_cast<long>(bytes.size());
        before = names_in(dir.path());
    }
    Outcome run(const Faults& faults) {
        FaultyFiles files(faults);
        Outcome o;
        test::RunCapture capture = test::run_paths(in, out, files);
        o.report = capture.report;
        o.statuses = capture.statuses;
        o.n_punti = capture.store.n_punti();
        o.bytes_read = files.bytes_read();
        o.bytes_written = files.bytes_written();
        return o;
    }
    // The run failed with `message`, said nothing of success and changed no file.
    void expect_failed_cleanly(const Outcome& o, const std::string& message) const {
        ASSERT_FALSE(o.statuses.empty());
        EXPECT_EQ(o.statuses.back(), message);
        EXPECT_EQ(testo_stato(o.report), message);
        EXPECT_THAT(o.statuses, Each(Not(HasSubstr("Procedura eseguita"))));
        EXPECT_FALSE((o.report.esito == Esito::Eseguito));
        EXPECT_EQ(read_file(out), kOld);
        EXPECT_EQ(names_in(dir.path()), before) << "a temporary file was left behind";
    }

    const std::string kOld = "the out.gpx of an earlier run\r\n";
    test::TempDir dir;
    const std::string in = dir.file("in.gpx");
    const std::string out = dir.file("out.gpx");
    const std::string open_error = "Errore: impossibile aprire il file " + in;
    const std::string read_error = "Errore durante la lettura del file " + in;
    const std::string write_error = "Errore: impossibile scrivere il file " + out;
    long input_size = 0;
    std::set<std::string> before;
};

TEST_F(IoFaults, AnInputThatCannotBeOpenedIsNamedAndNothingIsComputed) {
    const Outcome o = run({.open_fails = true});
    expect_failed_cleanly(o, open_error);
    EXPECT_EQ(o.statuses.size(), 1u);
    EXPECT_FALSE(o.report.cifre.has_value());
}

// Before the first byte, inside the header, in the middle of a point's element, at the last byte, and on
// the read that would have reported the end.
TEST_F(IoFaults, AReadErrorAnywhereIsNamedAndNothingIsComputed) {
    const std::string worked = read_file(test::data_file("worked.gpx"));
    const long in_second_ele = static_cast<long>(worked.find("<ele>", worked.find("<ele>") + 1)) + 3;
    for (const long after : {0L, 40L, in_second_ele, input_size - 1, input_size}) {
        SCOPED_TRACE("read error after " + std::to_string(after) + " bytes");
        const Outcome o = run({.read_error_after = after});
        EXPECT_EQ(o.bytes_read, after);
        expect_failed_cleanly(o, read_error);
        EXPECT_FALSE(o.report.totali.has_value());
        EXPECT_FALSE(o.report.cifre.has_value());
    }
}

// The read error wins over a write error that would only have shown at the end.
TEST_F(IoFaults, AReadErrorIsReportedEvenWhenTheOutputFailedToo) {
    expect_failed_cleanly(run({.read_error_after = 100, .write_error_after = 0}), read_error);
    expect_failed_cleanly(run({.read_error_after = 100, .create_fails = true}), read_error);
}

// The output breaks in every place it can; the input was read, so the figures are still there.
TEST_F(IoFaults, EveryOutputFailureIsNamedAndTheFiguresStillCount) {
    const Outcome clean = run({});
    ASSERT_TRUE((clean.report.esito == Esito::Eseguito));
    const std::string expected = read_file(out);
    const long total = clean.bytes_written;
    ASSERT_EQ(total, static_cast<long>(expected.size()));
    write_file(out, kOld);

    const std::vector<std::pair<std::string, Faults>> cases = {
        {"no temporary file", {.create_fails = true}},
        {"write fails at once", {.write_error_after = 0}},
        {"write fails inside the first line", {.write_error_after = 10}},
        {"write fails inside the header", {.write_error_after = 600}},
        {"write fails at the last byte", {.write_error_after = total - 1}},
        {"close fails", {.close_fails = true}},
        {"rename fails", {.replace_fails = true}},
    };
    for (const auto& [name, faults] : cases) {
        SCOPED_TRACE(name);
        const Outcome o = run(faults);
        expect_failed_cleanly(o, write_error);
        EXPECT_TRUE(o.report.totali.has_value());
        EXPECT_EQ(o.report.righe, 19);
        ASSERT_TRUE(o.report.cifre.has_value());
        EXPECT_EQ(o.report.cifre->dist_tot, clean.report.cifre->dist_tot);
        EXPECT_EQ(o.report.cifre->tempo_parz, clean.report.cifre->tempo_parz);
    }

    // A limit the document never reaches changes nothing.
    const Outcome roomy = run({.write_error_after = total});
    EXPECT_TRUE((roomy.report.esito == Esito::Eseguito));
    EXPECT_EQ(read_file(out), expected);
}

// A document of a few megabytes goes out in several writes; the failure may hit any of them.
TEST_F(IoFaults, AWriteFailureInALaterBlockOfALongDocumentIsNamed) {
    use_input(steady_track(24000));
    const Outcome clean = run({});
    ASSERT_TRUE((clean.report.esito == Esito::Eseguito));
    const long total = clean.bytes_written;
    ASSERT_GT(total, 1L << 20) << "the document must need more than one write";
    write_file(out, kOld);

    for (const long after : {(1L << 20) - 1, (1L << 20) + 1, total / 2 + 3, total - 2}) {
        SCOPED_TRACE("write error after " + std::to_string(after) + " bytes");
        const Outcome o = run({.write_error_after = after});
        EXPECT_EQ(o.bytes_written, after);
        expect_failed_cleanly(o, write_error);
    }
}

// The cause of a failure reaches the status line unchanged from wherever it arose: the opening, a read, the
// making of the temporary, a write done on the run's own thread (a short document) or on the writing thread
// (a long one), the final sync, the rename.
TEST_F(IoFaults, TheCauseOfAFailureReachesTheStatusLineFromEveryOperation) {
    const auto cause = [](std::errc e) { return std::make_error_code(e); };
    struct Case {
        std::string name;
        Faults faults;
        std::string words;
        bool long_document = false;
    };
    const std::vector<Case> cases = {
        {"open", {.open_fails = true, .cause = cause(std::errc::permission_denied)}, "permesso negato"},
        {"read", {.read_error_after = 40, .cause = cause(std::errc::io_error)}, "errore del disco"},
        {"create",
         {.create_fails = true, .cause = cause(std::errc::read_only_file_system)},
         "disco di sola lettura"},
        {"short write",
         {.write_error_after = 600, .cause = cause(std::errc::no_space_on_device)},
         "disco pieno"},
        {"long write",
         {.write_error_after = (1L << 20) + 1, .cause = cause(std::errc::file_too_large)},
         "file troppo grande",
         true},
        {"sync", {.close_fails = true, .cause = cause(std::errc::io_error)}, "errore del disco"},
        {"rename", {.replace_fails = true, .cause = cause(std::errc::permission_denied)}, "permesso negato"},
    };
    const std::string worked = read_file(test::data_file("worked.gpx"));
    const std::string long_track = steady_track(24000);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        use_input(c.long_document ? long_track : worked);
        const bool on_input = c.faults.open_fails || c.faults.read_error_after >= 0;
        const std::string& base = c.faults.open_fails ? open_error : on_input ? read_error : write_error;
        expect_failed_cleanly(run(c.faults), base + " (" + c.words + ")");
    }
}

// A cause the system names in its own numbers gives the same words as the portable one; an input that is
// missing is a missing file, an output's missing path a missing folder; a cause of another kind has none.
TEST(ErrorWords, GoByTheCauseWhateverItsCategory) {
    EXPECT_EQ(motivo_errore(std::error_code(ENOSPC, std::system_category())), "disco pieno");
    EXPECT_EQ(motivo_errore(std::make_error_code(std::errc::no_space_on_device)), "disco pieno");
    EXPECT_EQ(motivo_errore(std::make_error_code(std::errc::no_such_file_or_directory)), "file inesistente");
    EXPECT_EQ(motivo_errore(std::make_error_code(std::errc::no_such_file_or_directory), true),
              "cartella inesistente");
    EXPECT_EQ(motivo_errore(std::make_error_code(std::errc::not_a_directory)), "");
    EXPECT_EQ(motivo_errore(unexplained_failure()), "");
    EXPECT_EQ(motivo_errore(std::error_code()), "");
    // Same number, another category: not the system's disk-full.
    EXPECT_EQ(motivo_errore(std::error_code(ENOSPC, std::future_category())), "");
}

// An input that keeps answering "nothing yet" before each block is waited for, not taken as ended or broken.
TEST_F(IoFaults, ASlowInputGivesTheSameRun) {
    const Outcome o = run({.silent_reads = 3});
    EXPECT_TRUE((o.report.esito == Esito::Eseguito));
    EXPECT_EQ(o.bytes_read, input_size);
    EXPECT_EQ(read_file(out), read_file(test::data_file("worked~out.gpx")));
}

// A failed run leaves nothing in the session that the next run could trip over.
TEST_F(IoFaults, ARunAfterAFailedOneIsAsIfTheFailedOneNeverHappened) {
    const std::string worked = read_file(test::data_file("worked.gpx"));
    const long inside_point = static_cast<long>(worked.find("<trkpt")) + 20;
    for (const Faults& faults : {Faults{.read_error_after = inside_point}, Faults{.write_error_after = 7},
                                 Faults{.replace_fails = true}}) {
        expect_failed_cleanly(run(faults), faults.read_error_after >= 0 ? read_error : write_error);
        const Outcome next = run({});
        EXPECT_TRUE((next.report.esito == Esito::Eseguito));
        EXPECT_EQ(read_file(out), read_file(test::data_file("worked~out.gpx")));
        ASSERT_TRUE(next.report.cifre.has_value());
        EXPECT_EQ(next.report.cifre->tempo_tot, "0:0:8");
        EXPECT_EQ(next.n_punti, 3);
        write_file(out, kOld);
    }
}

// A stop asked for while the finished document goes to the disk still keeps the old output; one that comes
// after the document took its place changes nothing: the run is done.
TEST_F(IoFaults, AStopDuringTheFinalSyncKeepsTheOldOutputAndOneAfterTheRenameIsTooLate) {
    bool stop = false;
    FaultyFiles during(Faults{.during_sync = [&stop] { stop = true; }});
    test::RunCapture r = test::run_paths(in, out, during, [&stop] { return stop; });
    ASSERT_TRUE(stop) << "the sync was never reached";
    EXPECT_TRUE((r.report.esito == Esito::Interrotto));
    EXPECT_EQ(testo_stato(r.report), "Elaborazione interrotta: il file di uscita non è stato modificato.");
    EXPECT_EQ(read_file(out), kOld);
    EXPECT_EQ(names_in(dir.path()), before) << "a temporary file was left behind";

    stop = false;
    FaultyFiles after(Faults{.after_replace = [&stop] { stop = true; }});
    r = test::run_paths(in, out, after, [&stop] { return stop; });
    ASSERT_TRUE(stop);
    EXPECT_TRUE((r.report.esito == Esito::Eseguito));
    EXPECT_EQ(read_file(out), read_file(test::data_file("worked~out.gpx")));
    EXPECT_EQ(names_in(dir.path()), before);
}

}  // namespace
}  // namespace lurendo
