// libFuzzer target: arbitrary bytes go through a whole run (reading, pieces, filter, point store,
// statistics, writing) and everything the run promises is checked; a broken promise aborts, so libFuzzer
// keeps the input that broke it.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "repair/output_document.h"
#include "stats/session.h"

namespace {

[[noreturn]] void violated(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "fuzz_run: invariant broken: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

void check(bool ok, const char* what, std::string_view detail = {}) {
    if (!ok)
        violated(what, detail);
}

// A folder of our own for the run's files, made on the first input and removed when the process exits.
struct WorkDir {
    std::string path;
    std::string input;
    std::string output;

    WorkDir() {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/lurendo-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            violated("cannot create the work folder", pattern);
        path = pattern;
        input = path + "/in.gpx";
        output = path + "/out.gpx";
    }
    ~WorkDir() {
        for (const std::string& name : names())
            ::unlink((path + "/" + name).c_str());
        ::rmdir(path.c_str());
    }
    std::set<std::string> names() const {
        std::set<std::string> found;
        if (DIR* dir = ::opendir(path.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    found.insert(name);
            }
            ::closedir(dir);
        }
        return found;
    }
};

WorkDir& work_dir() {
    static WorkDir dir;
    return dir;
}

void write_whole(const std::string& path, const uint8_t* data, size_t size) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    check(fd >= 0, "cannot create the input file", path);
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        check(n > 0, "cannot write the input file", path);
        data += n;
        size -= static_cast<size_t>(n);
    }
    ::close(fd);
}

std::string read_whole(const std::string& path) {
    std::string bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    check(fd >= 0, "the written output cannot be opened", path);
    char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    return bytes;
}

size_t occurrences(std::string_view text, std::string_view word) {
    size_t count = 0;
    for (size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1))
        ++count;
    return count;
}

// Lines as the run counts them: CR LF, CR and LF each end one; a last line without an end still counts.
int64_t expected_lines(std::string_view text) {
    int64_t lines = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            ++lines;
        else if (text[i] == '\r')
            ++lines;
    }
    if (!text.empty() && text.back() != '\r' && text.back() != '\n')
        ++lines;
    return lines;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the digits at `pos` into `value` (saturating); false when there are none.
bool digits(std::string_view text, size_t& pos, double& value) {
    const size_t start = pos;
    value = 0;
    while (pos < text.size() && is_digit(text[pos]))
        value = value * 10 + (text[pos++] - '0');
    return pos > start;
}

// "N km" or "N,digits km".
bool well_formed_distance(std::string_view text) {
    size_t pos = 0;
    double ignored = 0;
    if (!digits(text, pos, ignored))
        return false;
    if (pos < text.size() && text[pos] == ',') {
        ++pos;
        if (!digits(text, pos, ignored))
            return false;
    }
    return text.substr(pos) == " km";
}

// "h:m:s" or "h:m:s,d", with minutes and seconds below 60.
bool well_formed_time(std::string_view text) {
    size_t pos = 0;
    double hours = 0, minutes = 0, seconds = 0;
    if (!digits(text, pos, hours) || pos >= text.size() || text[pos++] != ':')
        return false;
    if (!digits(text, pos, minutes) || pos >= text.size() || text[pos++] != ':')
        return false;
    if (!digits(text, pos, seconds))
        return false;
    if (pos < text.size()) {
        if (text[pos++] != ',' || pos + 1 != text.size() || !is_digit(text[pos]))
            return false;
    }
    return minutes < 60 && seconds < 60;
}

std::string document_edge(bool header) {
    std::string text;
    if (header) {
        for (const std::string_view line : lurendo::header_lines())
            text.append(line).append("\r\n");
    } else {
        for (const std::string_view line : lurendo::footer_lines())
            text.append(line).append("\r\n");
    }
    return text;
}

void check_document(const std::string& document) {
    static const std::string header = document_edge(true);
    static const std::string footer = document_edge(false);
    check(document.size() >= header.size() + footer.size(), "output shorter than header and footer");
    check(document.compare(0, header.size(), header) == 0, "output does not start with the header");
    check(document.compare(document.size() - footer.size(), footer.size(), footer) == 0,
          "output does not end with the footer");
}

void check_figures(const lurendo::Figure& f) {
    check(well_formed_distance(f.lbl_dist_tot), "total distance text", f.lbl_dist_tot);
    check(well_formed_distance(f.lbl_dist_parz), "planing distance text", f.lbl_dist_parz);
    check(well_formed_time(f.lbl_tempo_tot), "total time text", f.lbl_tempo_tot);
    check(well_formed_time(f.lbl_tempo_parz), "planing time text", f.lbl_tempo_parz);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WorkDir& dir = work_dir();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    write_whole(dir.input, data, size);

    std::vector<std::string> statuses;
    lurendo::RunCallbacks callbacks;
    callbacks.status = [&statuses](const std::string& text) { statuses.push_back(text); };
    lurendo::Sessione sessione;
    const lurendo::RunReport report = lurendo::esegui_run(sessione, dir.input, dir.output, callbacks);

    // A regular file in a folder of our own is always read to its end and always written.
    check(report.run.input_read, "input not read to its end", report.run.status);
    check(report.run.output_written, "output not written", report.run.status);
    check(!statuses.empty() && statuses.back() == report.run.status, "final status not reported last");
    check(report.run.status == std::string(lurendo::kDoneText) + dir.output, "final status",
          report.run.status);
    check(report.run.righe == expected_lines(input), "line count");
    check_document(read_whole(dir.output));

    check(report.figure.has_value(), "figures missing after a complete run");
    check_figures(*report.figure);
    check(sessione.repair.store.n_punti() <= static_cast<int64_t>(occurrences(input, "<trkpt")),
          "more points stored than start tags in the input");

    const std::set<std::string> expected_names{"in.gpx", "out.gpx"};
    check(dir.names() == expected_names, "something besides the input and the output left in the folder");
    ::unlink(dir.output.c_str());
    return 0;
}
