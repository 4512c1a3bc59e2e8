// lurendo-cli as a user runs it: what it prints, what it writes and how it exits.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli_runner.h"
#include "run/version.h"
#include "test_support.h"

namespace lurendo {
namespace {

namespace fs = std::filesystem;

using test::CliResult;
using test::kCli;
using test::run_cli;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// True when `parts` occur in `line` in this order.
bool in_order(const std::string& line, const std::vector<std::string>& parts) {
    size_t pos = 0;
    for (const std::string& part : parts) {
        pos = line.find(part, pos);
        if (pos == std::string::npos)
            return false;
        pos += part.size();
    }
    return true;
}

class Cli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(fs::exists(kCli)) << kCli;
        fs::create_directory(work_dir());
        fs::create_directory(capture_dir());
    }
    CliResult run(const std::vector<std::string>& args) { return run_cli(args, work_dir(), capture_dir()); }
    // The folder the tool runs in, kept apart from the captured output.
    fs::path work_dir() const { return dir_.path() / "work"; }
    fs::path capture_dir() const { return dir_.path() / "capture"; }
    std::string work_file(const std::string& name) const { return (work_dir() / name).string(); }

    const std::string worked_ = test::data_file("worked.gpx");
    test::TempDir dir_;
};

TEST_F(Cli, HelpNamesEveryOptionInItalian) {
    const CliResult r = run({"--help"});
    EXPECT_EQ(r.exit_code, 0);
    for (const char* option : {"-o", "--output", "--json", "--csv", "--help", "--version", "TRACCIA.gpx"})
        EXPECT_TRUE(contains(r.out, option)) << option << " missing from:\n" << r.out;
    for (const char* word : {"Uso:", "Opzioni:", "Argomenti:", "cartella"})
        EXPECT_TRUE(contains(r.out, word)) << word << " missing from:\n" << r.out;
    for (const char* english : {"Usage", "Options", "Positionals", "REQUIRED", "Print this help"})
        EXPECT_FALSE(contains(r.out, english)) << english << " in:\n" << r.out;
}

// The version comes from the one place it is written, the build's project().
TEST_F(Cli, VersionIsTheProjectsVersion) {
    const CliResult r = run({"--version"});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.out, std::string("lurendo-cli ") + kVersione + "\n");
    EXPECT_STREQ(kVersione, "1.00");
    EXPECT_EQ(r.err, "");
}

TEST_F(Cli, UsageErrorsExitWithTwoAndTouchNothing) {
    const std::vector<std::vector<std::string>> usages = {
        {},                            // no input
        {worked_, worked_},            // two inputs without a folder
        {"--bogus", worked_},          // unknown option
        {worked_, "-o"},               // option without its value
        {"--json", "--csv", worked_},  // two output forms
    };
    for (const auto& args : usages) {
        SCOPED_TRACE(::testing::PrintToString(args));
        const CliResult r = run(args);
        EXPECT_EQ(r.exit_code, 2);
        EXPECT_TRUE(r.err.starts_with("lurendo-cli: ")) << r.err;
        for (const char* english : {"argument", "expected", "required", "excludes"})
            EXPECT_FALSE(contains(r.err, english)) << r.err;
        EXPECT_FALSE(contains(r.out, "Procedura eseguita"));
    }
    EXPECT_FALSE(fs::exists(work_file("out.gpx")));
}

TEST_F(Cli, MissingInputExitsWithOneAndLeavesTheOldOutput) {
    const std::string out = work_file("out.gpx");
    test::write_file(out, "old document\n");
    const std::string missing = (dir_.path() / "no-such-track.gpx").string();

    const CliResult r = run({"-o", out, missing});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(contains(r.err, "Errore: impossibile aprire il file " + missing)) << r.err;
    EXPECT_FALSE(contains(r.out, "Procedura eseguita"));
    EXPECT_FALSE(contains(r.out, "Totale"));  // no figures without an input
    EXPECT_EQ(test::read_file(out), "old document\n");
}

TEST_F(Cli, RunPrintsTheStatusAndTheFigureTable) {
    const std::string out = work_file("repaired.gpx");
    const CliResult r = run({"-o", out, worked_});
    EXPECT_EQ(r.exit_code, 0);
    EXPECT_EQ(r.err, "");  // no progress line when stderr is not a terminal
    EXPECT_EQ(test::read_file(out), test::read_file(test::data_file("worked~out.gpx")));

    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 16u) << r.out;
    EXPECT_EQ(lines[0], "Procedura eseguita. File: " + out);
    // The speed results follow the grid, in km/h and knots: 8 s of the worked track at 24.5 then 6.1 km/h.
    EXPECT_TRUE(in_order(lines[5], {"Velocità", "km/h", "nodi"})) << lines[5];
    EXPECT_TRUE(in_order(lines[6], {"2 s", "24,5", "13,2"})) << lines[6];
    EXPECT_TRUE(in_order(lines[7], {"10 s", "–", "–"})) << lines[7];
    EXPECT_TRUE(in_order(lines[13], {"Planata %", "50,0"})) << lines[13];
    EXPECT_EQ(lines[14], "Velocità dalle posizioni");
    EXPECT_TRUE(lines[15].starts_with("Punti registrati ogni 4 s")) << lines[15];
    EXPECT_TRUE(in_order(lines[1], {"Tempo", "Distanza"})) << lines[1];
    EXPECT_TRUE(in_order(lines[2], {"Totale", "0:0:8", "0,03 km"})) << lines[2];
    EXPECT_TRUE(in_order(lines[3], {"In Planata", "0:0:4", "0,03 km"})) << lines[3];
}

TEST_F(Cli, JsonHoldsEveryKeyAndTheWorkedFigures) {
    const std::string out = work_file("repaired.gpx");
    const CliResult r = run({"--json", "-o", out, worked_});
    EXPECT_EQ(r.exit_code, 0);
    for (const char* key :
         {"righe", "n_punti", "tempo_tot", "dist_tot", "tempo_parz", "dist_parz", "lbl_dist_tot",
          "lbl_tempo_tot", "lbl_dist_parz", "lbl_tempo_parz", "lbl_risultato", "file_out"})
        EXPECT_TRUE(contains(r.out, std::string(1, '"').append(key).append("\":")))
            << key << " missing from:\n"
            << r.out;
    EXPECT_TRUE(contains(r.out, "\"righe\": 19"));
    EXPECT_TRUE(contains(r.out, "\"n_punti\": 3"));
    EXPECT_TRUE(contains(r.out, "\"tempo_tot\": 8"));
    EXPECT_TRUE(contains(r.out, "\"tempo_parz\": 4"));
    EXPECT_TRUE(contains(r.out, "\"lbl_tempo_tot\": \"0:0:8\""));
    EXPECT_TRUE(contains(r.out, "\"lbl_dist_tot\": \"0,03 km\""));
    EXPECT_TRUE(contains(r.out, "\"lbl_tempo_parz\": \"0:0:4\""));
    EXPECT_TRUE(contains(r.out, "\"lbl_risultato\": \"Procedura eseguita. File: " + out + "\""));
    EXPECT_TRUE(contains(r.out, "\"file_out\": \"" + out + "\""));
    EXPECT_TRUE(contains(r.out, "\"2s\": 24.5")) << r.out;
    const auto parsed = nlohmann::json::parse(r.out);
    EXPECT_EQ(parsed["lbl_velocita"]["2s"], "24,5");  // the texts as the window shows them
    EXPECT_EQ(parsed["lbl_velocita"]["10s"], "–");
    EXPECT_EQ(parsed["fonte_velocita"], "posizioni");
    EXPECT_EQ(parsed["intervallo_mediano_s"], 4);
    EXPECT_EQ(parsed["velocita_posizioni"]["2s"], 24.5);
    EXPECT_TRUE(contains(r.out, "\"10s\": null"));
    EXPECT_TRUE(contains(r.out, "\"planata_percento\": 50"));
    // The run behind the best 2 s, by hand: the first 2 s of the first leg, 15:04:01 = 54241 s, from point 1
    // into the leg that ends at point 2. Eight seconds hold no 10 s run.
    EXPECT_EQ(parsed["migliori"]["2s"],
              nlohmann::json::parse(R"({"inizio": 54241, "fine": 54243, "da_punto": 1, "a_punto": 2})"));
    EXPECT_TRUE(parsed["migliori"]["10s"].is_null());
    EXPECT_TRUE(parsed["migliori"]["5x10s"].is_null());
    // The shape: metres north as Δφ / 57.29577951 × 6378700, east the same times cos φ of the first point,
    // to the decimetre; each vertex with its leg's speed.
    EXPECT_EQ(parsed["percorso"]["nord"], nlohmann::json::parse("[0, 22.3, 27.8]"));
    EXPECT_EQ(parsed["percorso"]["est"], nlohmann::json::parse("[0, 15.6, 19.5]"));
    EXPECT_EQ(parsed["percorso"]["velocita"], nlohmann::json::parse("[0, 24.5, 6.1]"));
    EXPECT_EQ(parsed["percorso"]["punto"], nlohmann::json::parse("[1, 2, 3]"));
    EXPECT_EQ(parsed["percorso"]["inizio_linee"], nlohmann::json::parse("[0]"));
    const size_t open = r.out.find_first_not_of(" \n");
    const size_t close = r.out.find_last_not_of(" \n");
    ASSERT_NE(open, std::string::npos);
    EXPECT_EQ(r.out[open], '{');
    EXPECT_EQ(r.out[close], '}');
}

TEST_F(Cli, WithoutOutputOptionWritesOutGpxInTheCurrentFolder) {
    const CliResult r = run({"--json", worked_});
    EXPECT_EQ(r.exit_code, 0);
    const fs::path expected = fs::canonical(work_dir()) / "out.gpx";
    ASSERT_TRUE(fs::exists(expected));
    EXPECT_EQ(test::read_file(expected.string()), test::read_file(test::data_file("worked~out.gpx")));
    EXPECT_TRUE(contains(r.out, "\"file_out\": \"" + expected.string() + "\"")) << r.out;
}

// -o naming an existing folder with one track writes the track there under its own name, as a batch does;
// the folder itself is never replaced.
TEST_F(Cli, OneTrackIntoAFolderTakesItsOwnName) {
    fs::create_directory(work_dir() / "riparate");
    const CliResult r = run({"--json", "-o", work_file("riparate"), worked_});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const fs::path written = work_dir() / "riparate" / "worked.gpx";
    ASSERT_TRUE(fs::is_regular_file(written));
    EXPECT_EQ(test::read_file(written.string()), test::read_file(test::data_file("worked~out.gpx")));
    EXPECT_TRUE(fs::is_directory(work_dir() / "riparate"));
    // The track's own folder is refused: the output would be the track itself.
    fs::create_directory(work_dir() / "mia");
    const std::string mine = work_file("mia/worked.gpx");
    fs::copy_file(worked_, mine);
    const CliResult same = run({"-o", work_file("mia"), mine});
    EXPECT_EQ(same.exit_code, 2);
    EXPECT_EQ(test::read_file(mine), test::read_file(worked_));
}

TEST_F(Cli, UnwritableOutputExitsWithOneAndStillPrintsTheFigures) {
    const std::string out = work_file("missing-folder/out.gpx");
    const CliResult r = run({"-o", out, worked_});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(contains(r.err, "Errore: impossibile scrivere il file " + out)) << r.err;
    EXPECT_FALSE(contains(r.out, "Procedura eseguita"));
    EXPECT_TRUE(in_order(r.out, {"Totale", "0:0:8", "0,03 km"})) << r.out;
    EXPECT_TRUE(in_order(r.out, {"In Planata", "0:0:4", "0,03 km"})) << r.out;
    EXPECT_FALSE(fs::exists(work_dir() / "missing-folder"));
}

// Several tracks into one folder: each output is what a single run writes, one row per track and a total.
class CliBatch : public Cli {
  protected:
    void SetUp() override {
        Cli::SetUp();
        const std::string worked = test::read_file(worked_);
        test::write_file(a_, worked);
        // The same points half an hour later: the same figures again.
        std::string later = worked;
        for (size_t at = later.find("T15:"); at != std::string::npos; at = later.find("T15:", at + 1))
            later.replace(at, 4, "T16:");
        test::write_file(b_, later);
    }
    const std::string a_ = work_file("a.gpx");
    const std::string b_ = work_file("b.gpx");
    const std::string out_dir_ = (dir_.path() / "riparate").string();
};

TEST_F(CliBatch, EachTrackIsWrittenAsASingleRunWritesIt) {
    const CliResult r = run({"-o", out_dir_, a_, b_});
    ASSERT_EQ(r.exit_code, 0) << r.err;
    for (const std::string& track : {a_, b_}) {
        const std::string single = work_file("single.gpx");
        ASSERT_EQ(run({"-o", single, track}).exit_code, 0);
        EXPECT_EQ(test::read_file(out_dir_ + "/" + fs::path(track).filename().string()),
                  test::read_file(single));
    }
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;
    EXPECT_TRUE(in_order(lines[0], {"Traccia", "Tempo", "Distanza"})) << lines[0];
    EXPECT_TRUE(in_order(lines[1], {"a.gpx", "0:0:8", "0,03 km", "0:0:4", "0,03 km"})) << lines[1];
    EXPECT_TRUE(in_order(lines[2], {"b.gpx", "0:0:8", "0,03 km", "0:0:4", "0,03 km"})) << lines[2];
    EXPECT_TRUE(in_order(lines[3], {"Totale", "0:0:16", "0,07 km", "0:0:8", "0,05 km"})) << lines[3];
}

TEST_F(CliBatch, CsvAndJsonGiveTheSameRows) {
    const CliResult csv = run({"--csv", "-o", out_dir_, a_, b_});
    ASSERT_EQ(csv.exit_code, 0) << csv.err;
    EXPECT_EQ(csv.out,
              "Traccia;Tempo;Distanza (km);Tempo in planata;Distanza in planata (km);2 s (km/h);10 s (km/h);"
              "5×10 s (km/h);500 m (km/h);Alpha 500 (km/h);Miglio (km/h);1 ora (km/h);Planata %;fonte;esito\n"
              "a.gpx;0:0:8;0,03;0:0:4;0,03;24,5;;;;;;;50,0;posizioni;eseguito\n"
              "b.gpx;0:0:8;0,03;0:0:4;0,03;24,5;;;;;;;50,0;posizioni;eseguito\n"
              "Totale;0:0:16;0,07;0:0:8;0,05;;;;;;;;50,0;;\n");
    const CliResult json = run({"--json", "-o", out_dir_, a_, b_});
    ASSERT_EQ(json.exit_code, 0);
    EXPECT_EQ(json.out.find_first_not_of(" \n"), json.out.find('['));
    EXPECT_TRUE(in_order(
        json.out, {"\"file_out\": \"" + out_dir_ + "/a.gpx\"", "\"file_out\": \"" + out_dir_ + "/b.gpx\""}));
}

TEST_F(CliBatch, AFailingTrackIsToldAndTheOthersStillRun) {
    const std::string missing = work_file("missing.gpx");
    const CliResult r = run({"-o", out_dir_, a_, missing, b_});
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_TRUE(contains(r.err, "Errore: impossibile aprire il file " + missing)) << r.err;
    EXPECT_TRUE(fs::exists(out_dir_ + "/a.gpx"));
    EXPECT_TRUE(fs::exists(out_dir_ + "/b.gpx"));
    EXPECT_TRUE(in_order(r.out, {"a.gpx", "b.gpx", "Totale", "0:0:16"})) << r.out;
}

TEST_F(CliBatch, ATargetThatIsAnInputOrTwoTracksOfOneNameAreRefusedBeforeAnythingIsWritten) {
    const std::string original = test::read_file(a_);
    const CliResult self = run({"-o", work_dir().string(), a_, b_});
    EXPECT_EQ(self.exit_code, 2);
    EXPECT_TRUE(contains(self.err, "è una delle tracce")) << self.err;
    EXPECT_EQ(test::read_file(a_), original);

    fs::create_directory(work_dir() / "altra");
    test::write_file(work_file("altra/a.gpx"), original);
    const CliResult twins = run({"-o", out_dir_, a_, work_file("altra/a.gpx")});
    EXPECT_EQ(twins.exit_code, 2);
    EXPECT_FALSE(fs::exists(out_dir_));
}

// A repaired copy never takes the place of the recording it came from, whatever name reaches it.
TEST_F(Cli, AnOutputThatIsTheTrackIsRefusedWithTwoAndTheTrackKept) {
    const std::string original = test::read_file(worked_);
    const std::string track = work_file("corsa.gpx");
    test::write_file(track, original);
    test::write_file(work_file("out.gpx"), original);
    fs::create_symlink(track, work_file("link.gpx"));
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-o", track, track},
                                                 {"out.gpx"},
                                                 {"-o", "link.gpx", "corsa.gpx"},
                                                 {"--json", "-o", "corsa.gpx", "link.gpx"}}) {
        const CliResult r = run(args);
        EXPECT_EQ(r.exit_code, 2) << args.back();
        EXPECT_TRUE(contains(r.err, "è la traccia da riparare")) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(test::read_file(track), original);
    EXPECT_EQ(test::read_file(work_file("out.gpx")), original);
}

// Names are shown, never obeyed: control characters come out escaped, a formula stays text, and JSON
// stays valid whatever bytes a name holds.
TEST_F(Cli, HostileNamesAreEscapedInTextAndCsvAndReplacedInJson) {
    const std::string odd = work_file("=1+2\x1b[31mrosso\xff.gpx");
    fs::copy_file(worked_, odd);
    const std::string other = work_file("altra.gpx");
    fs::copy_file(worked_, other);
    const std::string out_dir = (dir_.path() / "uscita\xfe").string();

    const CliResult text = run({"-o", out_dir, odd, other});
    ASSERT_EQ(text.exit_code, 0) << text.err;
    EXPECT_FALSE(contains(text.out, "\x1b")) << text.out;
    EXPECT_TRUE(contains(text.out, "=1+2\\x1B[31mrosso\xff.gpx")) << text.out;

    const CliResult csv = run({"--csv", "-o", out_dir, odd, other});
    ASSERT_EQ(csv.exit_code, 0) << csv.err;
    EXPECT_TRUE(contains(csv.out, "\n'=1+2\\x1B[31m")) << csv.out;

    const CliResult json = run({"--json", "-o", out_dir, odd, other});
    ASSERT_EQ(json.exit_code, 0) << json.err;
    const auto parsed = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_FALSE(parsed.is_discarded()) << json.out;
    ASSERT_EQ(parsed.size(), 2u);
    const std::string file_in = parsed[0]["file_in"];
    EXPECT_TRUE(file_in.ends_with("=1+2\x1b[31mrosso\xef\xbf\xbd.gpx")) << file_in;
    const std::string file_out = parsed[1]["file_out"];
    EXPECT_TRUE(contains(file_out, "uscita\xef\xbf\xbd/")) << file_out;
}

// A batch with a track that has no points: every track has its row and its outcome, and only the
// completed ones add to the total.
TEST_F(CliBatch, AFailedTrackHasItsRowAndOutcomeAndAddsNothingToTheTotal) {
    const std::string empty = work_file("vuota.gpx");
    test::write_file(empty, "<gpx></gpx>\n");

    const CliResult json = run({"--json", "-o", out_dir_, a_, empty});
    EXPECT_EQ(json.exit_code, 1);
    const auto parsed = nlohmann::json::parse(json.out, nullptr, false);
    ASSERT_TRUE(parsed.is_array()) << json.out;
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[0]["esito"], "eseguito");
    EXPECT_EQ(parsed[0]["file_out"], out_dir_ + "/a.gpx");
    EXPECT_EQ(parsed[1]["esito"], "nessun_punto");
    EXPECT_TRUE(parsed[1]["file_out"].is_null());
    EXPECT_EQ(parsed[1]["file_in"], empty);
    EXPECT_FALSE(fs::exists(out_dir_ + "/vuota.gpx"));

    const CliResult csv = run({"--csv", "-o", out_dir_, a_, empty});
    const std::vector<std::string> rows = lines_of(csv.out);
    ASSERT_EQ(rows.size(), 4u) << csv.out;
    EXPECT_TRUE(rows[0].ends_with(";esito"));
    EXPECT_TRUE(rows[1].starts_with("a.gpx;0:0:8;") && rows[1].ends_with(";eseguito")) << rows[1];
    EXPECT_EQ(rows[2], "vuota.gpx;;;;;;;;;;;;;;nessun_punto");
    EXPECT_TRUE(rows[3].starts_with("Totale;0:0:8;0,03;0:0:4;")) << rows[3];

    const CliResult text = run({"-o", out_dir_, a_, empty});
    const std::vector<std::string> lines = lines_of(text.out);
    ASSERT_EQ(lines.size(), 4u) << text.out;
    EXPECT_TRUE(in_order(lines[1], {"a.gpx", "0:0:8", "eseguito"})) << lines[1];
    EXPECT_TRUE(in_order(lines[2], {"vuota.gpx", "nessun punto di traccia"})) << lines[2];
    EXPECT_TRUE(in_order(lines[3], {"Totale", "0:0:8", "0,03 km"})) << lines[3];
}

// One track's JSON names its outcome and, when nothing was written, no output file.
TEST_F(Cli, OneTracksJsonNamesItsOutcome) {
    const std::string empty = work_file("vuota.gpx");
    test::write_file(empty, "");
    const CliResult r = run({"--json", "-o", work_file("out.gpx"), empty});
    EXPECT_EQ(r.exit_code, 1);
    const auto parsed = nlohmann::json::parse(r.out, nullptr, false);
    ASSERT_TRUE(parsed.is_object()) << r.out;
    EXPECT_EQ(parsed["esito"], "nessun_punto");
    EXPECT_TRUE(parsed["file_out"].is_null());
    EXPECT_EQ(parsed["lbl_risultato"], "Errore: nessun punto di traccia nel file " + empty);
}

}  // namespace
}  // namespace lurendo
