// Every real-world track of the shared corpus, repaired one by one: the run must read the whole file, write
// a document with the fixed header and footer, show well-formed figures, and keep an input that was
// well-formed (or schema-valid) XML well-formed (or valid) in the repaired output.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "repair/write/output_document.h"
#include "run/report.h"
#include "run/run.h"
#include "test_support.h"

namespace lurendo {
namespace {

namespace fs = std::filesystem;

const fs::path kCorpusDir = fs::path(LURENDO_SHARED_DIR) / "gpx-corpus";
const fs::path kGpxSchema = fs::path(LURENDO_SHARED_DIR) / "schemas" / "gpx.xsd";

// The corpus files in name order; a single empty entry when the corpus is absent, so the test can skip.
std::vector<std::string> corpus_files() {
    std::vector<std::string> files;
    std::error_code error;
    if (fs::is_directory(kCorpusDir, error)) {
        for (const auto& entry : fs::directory_iterator(kCorpusDir, error)) {
            if (entry.path().extension() == ".gpx")
                files.push_back(entry.path().filename().string());
        }
    }
    std::sort(files.begin(), files.end());
    if (files.empty())
        files.push_back("");
    return files;
}

// Lines as a reader that accepts CR LF, CR and LF sees them; a last line without a terminator counts too.
int64_t count_lines(const std::string& text) {
    int64_t lines = 0;
    size_t line_start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        ++lines;
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        line_start = i + 1;
    }
    return line_start < text.size() ? lines + 1 : lines;
}

size_t count_of(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + what.size()))
        ++count;
    return count;
}

bool xmllint_available() {
    static const bool available = std::system("command -v xmllint >/dev/null 2>&1") == 0;
    return available;
}

// True when xmllint accepts the file: well-formed XML, and valid against `schema` when one is given.
bool xmllint_accepts(const fs::path& file, const fs::path& schema = {}) {
    std::string command = "xmllint --noout --nonet ";
    if (!schema.empty())
        command.append("--schema '").append(schema.string()).append("' ");
    command.append("'").append(file.string()).append("' >/dev/null 2>&1");
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string header_text() {
    std::string text;
    for (const std::string_view line : header_lines())
        text.append(line).append("\r\n");
    return text;
}

std::string footer_text() {
    std::string text;
    for (const std::string_view line : footer_lines())
        text.append(line).append("\r\n");
    return text;
}

// True when every CR is followed by LF and every LF follows a CR.
bool only_crlf_line_ends(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return true;
}

class CorpusFile : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        if (GetParam().empty())
            GTEST_SKIP() << "no GPX corpus at " << kCorpusDir;
        input_ = kCorpusDir / GetParam();
        output_ = dir_.path() / "out.gpx";
        test::RunCapture capture = test::run_paths(input_.string(), output_.string());
        report_ = capture.report;
        n_punti_ = capture.store.n_punti();
    }

    test::TempDir dir_;
    fs::path input_;
    fs::path output_;
    RisultatoEsecuzione report_;
    int64_t n_punti_ = 0;
};

TEST_P(CorpusFile, RunReadsEverythingAndWritesTheDocument) {
    EXPECT_TRUE(report_.totali.has_value());
    EXPECT_TRUE((report_.esito == Esito::Eseguito));
    EXPECT_FALSE((report_.esito == Esito::Interrotto));
    EXPECT_EQ(testo_stato(report_), std::string(kDoneText) + output_.string());
    EXPECT_EQ(report_.righe, count_lines(test::read_file(input_.string())));

    const std::string out = test::read_file(output_.string());
    const std::string header = header_text();
    const std::string footer = footer_text();
    ASSERT_GE(out.size(), header.size() + footer.size());
    EXPECT_EQ(out.substr(0, header.size()), header);
    EXPECT_EQ(out.substr(out.size() - footer.size()), footer);
    EXPECT_TRUE(only_crlf_line_ends(out));
    // The store and the output document hold the same points: those the filter kept.
    EXPECT_EQ(count_of(out, "<trkpt"), static_cast<size_t>(n_punti_));

    ASSERT_TRUE(report_.cifre.has_value());
    const std::regex distance(R"(\d+(,\d{1,2})? km)");
    const std::regex time(R"(\d+:[0-5]?\d:[0-5]?\d(,\d)?)");
    EXPECT_TRUE(std::regex_match(report_.cifre->dist_tot, distance)) << report_.cifre->dist_tot;
    EXPECT_TRUE(std::regex_match(report_.cifre->dist_parz, distance)) << report_.cifre->dist_parz;
    EXPECT_TRUE(std::regex_match(report_.cifre->tempo_tot, time)) << report_.cifre->tempo_tot;
    EXPECT_TRUE(std::regex_match(report_.cifre->tempo_parz, time)) << report_.cifre->tempo_parz;

    const Totali& t = *report_.totali;
    for (const double total : {t.tempo_tot, t.dist_tot, t.tempo_parz, t.dist_parz}) {
        EXPECT_TRUE(std::isfinite(total));
        EXPECT_GE(total, 0);
    }
    EXPECT_LE(t.tempo_parz, t.tempo_tot);
    EXPECT_LE(t.dist_parz, t.dist_tot);
}

TEST_P(CorpusFile, OutputIsWellFormedAndValidWhenTheInputWas) {
    if (!xmllint_available())
        GTEST_SKIP() << "xmllint not installed";
    ASSERT_TRUE((report_.esito == Esito::Eseguito));

    const bool schema_present = fs::exists(kGpxSchema);
    const bool input_valid = schema_present && xmllint_accepts(input_, kGpxSchema);
    const bool input_well_formed = input_valid || xmllint_accepts(input_);
    if (input_well_formed) {
        EXPECT_TRUE(xmllint_accepts(output_)) << "the input is well-formed XML, the output is not";
    }
    if (input_valid) {
        EXPECT_TRUE(xmllint_accepts(output_, kGpxSchema)) << "the input is valid GPX 1.1, the output is not";
    }
}

std::string test_name(const ::testing::TestParamInfo<std::string>& info) {
    if (info.param.empty())
        return "NoCorpus";
    std::string name = fs::path(info.param).stem().string();
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFile, ::testing::ValuesIn(corpus_files()), test_name);

}  // namespace
}  // namespace lurendo
