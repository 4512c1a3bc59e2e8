// What a run does with its files: out.gpx is replaced whole or not at all, and the status says which.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "run/report.h"
#include "test_support.h"

namespace lurendo {
namespace {

using test::data_file;
using test::names_in;
using test::read_file;
using test::write_file;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// The machine's files, except that reads come in small chunks or break off, or closing the output fails.
class FlakyFiles final : public test::SystemFiles {
  public:
    size_t chunk = std::numeric_limits<size_t>::max();
    long fail_read_after = -1;  // bytes delivered before a read error; -1 for none
    bool fail_close = false;
    std::vector<std::string> temporaries;

    std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) override {
        std::unique_ptr<InputFile> real = system_file_system().open_input(path, error);
        if (!real)
            return nullptr;
        return std::make_unique<Input>(std::move(real), *this);
    }
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path, std::string& temp_path,
                                                        std::error_code& error) override {
        std::unique_ptr<OutputFile> real =
            system_file_system().create_temporary_beside(final_path, temp_path, error);
        temporaries.push_back(temp_path);
        if (!real)
            return nullptr;
        return std::make_unique<Output>(std::move(real), fail_close);
    }

  private:
    class Input final : public InputFile {
      public:
        Input(std::unique_ptr<InputFile> real, const FlakyFiles& how) : real_(std::move(real)), how_(how) {}
        long read(char* buffer, size_t capacity, std::error_code& error) override {
            if (how_.fail_read_after >= 0 && delivered_ >= how_.fail_read_after) {
                error = unexplained_failure();
                return kError;
            }
            size_t wanted = std::min(capacity, how_.chunk);
            if (how_.fail_read_after >= 0)
                wanted = std::min(wanted, static_cast<size_t>(how_.fail_read_after - delivered_));
            const long n = real_->read(buffer, wanted, error);
            if (n > 0)
                delivered_ += n;
            return n;
        }

      private:
        std::unique_ptr<InputFile> real_;
        const FlakyFiles& how_;
        long delivered_ = 0;
    };
    class Output final : public OutputFile {
      public:
        Output(std::unique_ptr<OutputFile> real, bool fail_close)
            : real_(std::move(real)), fail_close_(fail_close) {}
        std::error_code write(const char* data, size_t size) override { return real_->write(data, size); }
        std::error_code close() override {
            const std::error_code error = real_->close();
            return error || !fail_close_ ? error : unexplained_failure();
        }

      private:
        std::unique_ptr<OutputFile> real_;
        bool fail_close_;
    };
};

class RunFiles : public ::testing::Test {
  protected:
    RunFiles() {
        write_file(in, read_file(data_file("worked.gpx")));
        write_file(out, kOld);
    }
    RisultatoEsecuzione run(const std::string& input, const std::string& output,
                            FileSystem& files = system_file_system(),
                            const std::function<bool()>& cancelled = {}) {
        test::RunCapture capture = test::run_paths(input, output, files, cancelled);
        statuses = capture.statuses;
        n_punti = capture.store.n_punti();
        return capture.report;
    }
    void expect_old_output_untouched() const {
        EXPECT_EQ(read_file(out), kOld);
        EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"in.gpx", "out.gpx"})) << "no temporary left";
    }
    void expect_worked_figures(const RisultatoEsecuzione& report) const {
        ASSERT_TRUE(report.cifre.has_value());
        EXPECT_EQ(report.cifre->dist_tot, "0,03 km");
        EXPECT_EQ(report.cifre->tempo_tot, "0:0:8");
        EXPECT_EQ(report.cifre->dist_parz, "0,03 km");
        EXPECT_EQ(report.cifre->tempo_parz, "0:0:4");
    }

    const std::string kOld = "an earlier out.gpx\r\nwith two lines\r\n";
    test::TempDir dir;
    const std::string in = dir.file("in.gpx");
    const std::string out = dir.file("out.gpx");
    std::vector<std::string> statuses;
    int64_t n_punti = 0;
};

TEST_F(RunFiles, ASuccessfulRunReplacesTheWholeOldOutputAndLeavesNothingElse) {
    const RisultatoEsecuzione report = run(in, out);
    EXPECT_TRUE((report.esito == Esito::Eseguito));
    EXPECT_EQ(read_file(out), read_file(data_file("worked~out.gpx")));
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"in.gpx", "out.gpx"}));
    EXPECT_EQ(statuses.back(), "Procedura eseguita. File: " + out);
}

TEST_F(RunFiles, AMissingInputSaysSoAndTouchesNothing) {
    const std::string missing = dir.file("missing.gpx");
    const RisultatoEsecuzione report = run(missing, out);
    EXPECT_THAT(statuses,
                ElementsAre("Errore: impossibile aprire il file " + missing + " (file inesistente)"));
    EXPECT_EQ(testo_stato(report), statuses.back());
    EXPECT_FALSE(report.cifre.has_value());
    EXPECT_FALSE(report.totali.has_value());
    EXPECT_FALSE((report.esito == Esito::Eseguito));
    expect_old_output_untouched();
}

TEST_F(RunFiles, AFolderAsInputCannotBeOpened) {
    const RisultatoEsecuzione report = run(dir.path().string(), out);
    EXPECT_THAT(statuses, ElementsAre("Errore: impossibile aprire il file " + dir.path().string() +
                                      " (è una cartella)"));
    EXPECT_FALSE(report.cifre.has_value());
    expect_old_output_untouched();
}

TEST_F(RunFiles, AReadErrorBeforeTheEndSaysSoAndTouchesNothing) {
    FlakyFiles files;
    files.fail_read_after = 300;
    files.chunk = 100;
    const RisultatoEsecuzione report = run(in, out, files);
    EXPECT_EQ(statuses.back(), "Errore durante la lettura del file " + in);
    EXPECT_THAT(statuses, Not(Contains(HasSubstr("Procedura eseguita"))));
    EXPECT_FALSE(report.cifre.has_value());
    EXPECT_FALSE(report.totali.has_value());
    expect_old_output_untouched();
}

TEST_F(RunFiles, AnOutputFolderThatDoesNotExistSaysSoButTheFiguresAreComputed) {
    const std::string nowhere = dir.file("missing/out.gpx");
    const RisultatoEsecuzione report = run(in, nowhere);
    EXPECT_EQ(statuses.back(), "Errore: impossibile scrivere il file " + nowhere + " (cartella inesistente)");
    EXPECT_THAT(statuses, Not(Contains(HasSubstr("Procedura eseguita"))));
    EXPECT_TRUE(report.totali.has_value());
    EXPECT_FALSE((report.esito == Esito::Eseguito));
    EXPECT_EQ(report.righe, 19);
    expect_worked_figures(report);
    expect_old_output_untouched();
}

TEST_F(RunFiles, AFailedCloseRemovesTheTemporaryAndKeepsTheOldOutput) {
    FlakyFiles files;
    files.fail_close = true;
    const RisultatoEsecuzione report = run(in, out, files);
    EXPECT_EQ(statuses.back(), "Errore: impossibile scrivere il file " + out);
    EXPECT_FALSE((report.esito == Esito::Eseguito));
    expect_worked_figures(report);
    ASSERT_EQ(files.temporaries.size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(files.temporaries[0]));
    expect_old_output_untouched();
}

// Nothing to repair is no success: an empty file or random bytes leave a good out.gpx as it was.
TEST_F(RunFiles, AnInputWithoutAnyTrackPointIsAnErrorAndKeepsTheOldOutput) {
    std::string noise;
    for (int i = 0; i < 5000; ++i)
        noise.push_back(static_cast<char>((i * 7919 + 13) % 251));
    for (const std::string& content : {std::string(), noise, std::string("<gpx><trk><trkpt lat=\"1\"")}) {
        write_file(in, content);
        const RisultatoEsecuzione report = run(in, out);
        EXPECT_EQ(report.esito, Esito::NessunPunto);
        EXPECT_EQ(statuses.back(), "Errore: nessun punto di traccia nel file " + in);
        EXPECT_TRUE(fallito(report));
        EXPECT_FALSE(report.cifre.has_value());
        expect_old_output_untouched();
    }
}

// A replaced out.gpx keeps the permission bits it had; a new one gets the usual ones.
TEST_F(RunFiles, AReplacedOutputKeepsItsPermissionBits) {
    namespace fs = std::filesystem;
    fs::permissions(out, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(run(in, out).esito, Esito::Eseguito);
    EXPECT_EQ(fs::status(out).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(read_file(out), read_file(data_file("worked~out.gpx")));

    const std::string fresh = dir.file("fresh.gpx");
    ASSERT_EQ(run(in, fresh).esito, Esito::Eseguito);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(static_cast<mode_t>(fs::status(fresh).permissions()), 0666 & ~mask);
}

// Given away by root, with set-id bits that a change of owner would clear: all of it comes back.
TEST_F(RunFiles, AReplacedOutputKeepsItsOwnerAndSetIdBits) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can give a file away";
    ASSERT_EQ(::chown(out.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(out.c_str(), 06750), 0);
    ASSERT_EQ(run(in, out).esito, Esito::Eseguito);
    struct stat st {};
    ASSERT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
    EXPECT_EQ(st.st_mode & 07777, 06750u);
    EXPECT_EQ(read_file(out), read_file(data_file("worked~out.gpx")));
}

TEST_F(RunFiles, AStoppedRunKeepsTheOldOutput) {
    const RisultatoEsecuzione report = run(in, out, system_file_system(), [] { return true; });
    EXPECT_TRUE((report.esito == Esito::Interrotto));
    EXPECT_FALSE(report.cifre.has_value());
    EXPECT_THAT(statuses, Not(Contains(HasSubstr("Procedura eseguita"))));
    expect_old_output_untouched();
}

// The rider's recording is never replaced by its repaired copy, whichever name reaches it.
TEST_F(RunFiles, AnOutputThatIsTheInputIsRefusedBeforeAnythingIsWritten) {
    const std::string original = read_file(data_file("worked.gpx"));
    write_file(out, original);
    const std::string link = (std::filesystem::path(out).parent_path() / "link.gpx").string();
    const std::string hard = (std::filesystem::path(out).parent_path() / "hard.gpx").string();
    std::filesystem::create_symlink(out, link);
    std::filesystem::create_hard_link(out, hard);
    const std::set<std::string> before = names_in(std::filesystem::path(out).parent_path());
    for (const std::string& input : {out, link, hard}) {
        const RisultatoEsecuzione report = run(input, out);
        EXPECT_TRUE((report.esito == Esito::UscitaUgualeIngresso)) << input;
        EXPECT_FALSE(report.totali.has_value());
        EXPECT_EQ(trova_voce(report.voci, "lbl_risultato")->testo,
                  "Errore: il file di uscita coincide con il file da riparare " + input);
        EXPECT_EQ(read_file(out), original);
    }
    EXPECT_EQ(names_in(std::filesystem::path(out).parent_path()), before) << "nothing else written";
}

// Lines and line ends split across reads at every possible place give the same run as one whole read.
TEST_F(RunFiles, ReadsInSmallChunksGiveTheSameRun) {
    std::string input = read_file(data_file("worked.gpx"));
    for (const std::string end : {"\r", "\n", "\n\r"}) {
        const size_t crlf = input.find("\r\n");
        input = input.substr(0, crlf) + end + input.substr(crlf + 2);
    }
    input += "<trkpt lat=\"45.5126\" lon=\"10.7126\"><time>2009-07-14T15:04:13Z</time></trkpt>";
    write_file(in, input);
    const RisultatoEsecuzione whole = run(in, out);
    const std::string expected = read_file(out);
    ASSERT_TRUE((whole.esito == Esito::Eseguito));
    ASSERT_EQ(n_punti, 4);
    for (const size_t chunk : {1, 2, 3, 5, 64}) {
        FlakyFiles files;
        files.chunk = chunk;
        const RisultatoEsecuzione report = run(in, out, files);
        EXPECT_EQ(read_file(out), expected) << "chunk " << chunk;
        EXPECT_EQ(report.righe, whole.righe) << "chunk " << chunk;
        EXPECT_EQ(n_punti, 4) << "chunk " << chunk;
        ASSERT_TRUE(report.cifre.has_value());
        EXPECT_EQ(report.cifre->tempo_tot, whole.cifre->tempo_tot);
        EXPECT_EQ(report.cifre->dist_tot, whole.cifre->dist_tot);
    }
}

// The machine's file layer on its own.
TEST(SystemFiles, ATemporaryIsNamedOnlyWhenWholeAndNeverTakesAStrangersFile) {
    test::TempDir dir;
    const std::string out = dir.file("out.gpx");
    FileSystem& files = system_file_system();
    std::string temp;
    std::error_code error;
    std::unique_ptr<OutputFile> file = files.create_temporary_beside(out, temp, error);
    ASSERT_NE(file, nullptr) << error.message();
    EXPECT_EQ(std::filesystem::path(temp).parent_path(), dir.path());
    ASSERT_EQ(file->write("new", 3), std::error_code());
    EXPECT_TRUE(names_in(dir.path()).empty()) << "named before it was whole";
    ASSERT_EQ(file->close(), std::error_code());
    EXPECT_EQ(read_file(temp), "new");
    ASSERT_EQ(files.replace(temp, out), std::error_code());
    EXPECT_EQ(names_in(dir.path()), (std::set<std::string>{"out.gpx"}));
    EXPECT_EQ(read_file(out), "new");

    // Someone puts a file under the promised name meanwhile: the new file fails, the stranger's stays.
    file = files.create_temporary_beside(out, temp, error);
    ASSERT_NE(file, nullptr) << error.message();
    write_file(temp, "a stranger's");
    ASSERT_EQ(file->write("newer", 5), std::error_code());
    EXPECT_EQ(file->close(), std::errc::file_exists);
    EXPECT_EQ(files.replace(temp, out), std::errc::no_such_file_or_directory) << "not the run's name";
    files.remove(temp);
    EXPECT_EQ(read_file(temp), "a stranger's");
    EXPECT_EQ(read_file(out), "new");
}

TEST(SystemFiles, SameFileGoesByTheFileNotByItsName) {
    test::TempDir dir;
    const std::string a = dir.file("a.gpx");
    const std::string twin = dir.file("twin.gpx");  // another file with the same bytes
    write_file(a, "x");
    write_file(twin, "x");
    std::filesystem::create_symlink(a, dir.file("link.gpx"));
    std::filesystem::create_hard_link(a, dir.file("hard.gpx"));
    FileSystem& files = system_file_system();
    EXPECT_TRUE(files.same_file(a, a));
    EXPECT_TRUE(files.same_file(dir.file("link.gpx"), a));
    EXPECT_TRUE(files.same_file(a, dir.file("hard.gpx")));
    EXPECT_FALSE(files.same_file(a, twin));
    EXPECT_FALSE(files.same_file(a, dir.file("missing.gpx")));
    EXPECT_FALSE(files.same_file(dir.file("missing.gpx"), dir.file("missing.gpx")));
}

TEST(SystemFiles, CreateFoldersMakesEveryMissingLevelAndStopsAtAFile) {
    test::TempDir dir;
    EXPECT_EQ(create_folders(dir.file("a/b/c")), std::error_code());
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("a/b/c")));
    EXPECT_EQ(create_folders(dir.file("a//b/c/")), std::error_code()) << "already there";

    write_file(dir.file("a/f"), "x");
    for (const std::string& blocked : {dir.file("a/f"), dir.file("a/f/g/h")}) {
        EXPECT_EQ(create_folders(blocked), std::errc::not_a_directory) << blocked;
    }
    EXPECT_EQ(read_file(dir.file("a/f")), "x");
    EXPECT_EQ(names_in(dir.file("a")), (std::set<std::string>{"b", "f"}));
}

}  // namespace
}  // namespace lurendo
