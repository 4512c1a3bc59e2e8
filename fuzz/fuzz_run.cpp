// libFuzzer target: arbitrary bytes go through a whole run (reading, pieces, filter, point store,
// statistics, writing) over files held in memory, and everything the run promises is checked; a broken
// promise aborts, so libFuzzer keeps the input that broke it. Each input is run twice: read whole, and
// read in small blocks whose size comes from the input, so that every cut between two reads is tried
// somewhere; both must give the same output and figures.
#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "repair/write/output_document.h"
#include "run/report.h"
#include "run/run.h"
#include "run/run_with_files.h"
#include "tests/support/memory_files.h"

namespace {

using lurendo::Esito;
using lurendo::RisultatoEsecuzione;

const std::string kInput = "in.gpx";
const std::string kOutput = "out.gpx";
const std::string kOldOutput = "the out.gpx of an earlier run\r\n";

[[noreturn]] void violated(const char* what, std::string_view detail = {}) {
    std::fprintf(stderr, "fuzz_run: invariant broken: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

void check(bool ok, const char* what, std::string_view detail = {}) {
    if (!ok)
        violated(what, detail);
}

// The harness's own scans go through the C library, which is not instrumented: the fuzzer's time goes to
// the run, not to counting.
size_t occurrences(std::string_view text, std::string_view word) {
    size_t count = 0;
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    while (const void* hit = memmem(at, static_cast<size_t>(end - at), word.data(), word.size())) {
        ++count;
        at = static_cast<const char*>(hit) + 1;
    }
    return count;
}

// Lines as the run counts them: CR LF, CR and LF each end one; a last line without an end still counts.
int64_t expected_lines(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    int64_t lines = 0;
    for (const char c : {'\r', '\n'}) {
        for (const char* p = begin;
             (p = static_cast<const char*>(std::memchr(p, c, static_cast<size_t>(end - p)))); ++p)
            lines += c == '\r' || p == begin || p[-1] != '\r';
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

template <size_t N>
std::string crlf_lines(const std::array<std::string_view, N>& lines) {
    std::string text;
    for (const std::string_view line : lines)
        text.append(line).append("\r\n");
    return text;
}

void check_document(const std::string& document) {
    static const std::string header = crlf_lines(lurendo::header_lines());
    static const std::string footer = crlf_lines(lurendo::footer_lines());
    check(document.size() >= header.size() + footer.size(), "output shorter than header and footer");
    check(document.compare(0, header.size(), header) == 0, "output does not start with the header");
    check(document.compare(document.size() - footer.size(), footer.size(), footer) == 0,
          "output does not end with the footer");
}

void check_figures(const lurendo::TestiCifre& f) {
    check(well_formed_distance(f.dist_tot), "total distance text", f.dist_tot);
    check(well_formed_distance(f.dist_parz), "planing distance text", f.dist_parz);
    check(well_formed_time(f.tempo_tot), "total time text", f.tempo_tot);
    check(well_formed_time(f.tempo_parz), "planing time text", f.tempo_parz);
}

struct Run {
    RisultatoEsecuzione result;
    std::string output;  // out.gpx after the run
};

// One run over a fresh set of files holding the input and an old out.gpx; checks what any run promises.
Run run_in_blocks(std::string_view input, size_t read_block) {
    lurendo::test::MemoryFiles files;
    files.read_block = read_block;
    files.files[kInput] = input;
    files.files[kOutput] = kOldOutput;

    int64_t last_reported = 0;
    lurendo::RunCallbacks callbacks;
    callbacks.avanzamento = [&last_reported](int64_t righe) {
        check(righe > last_reported, "line count reported going back or repeated");
        last_reported = righe;
    };
    Run run{lurendo::esegui(kInput, kOutput, callbacks, files), {}};
    const RisultatoEsecuzione& r = run.result;

    // Bytes in memory are always read to their end and always written: only these two endings remain.
    check(r.esito == Esito::Eseguito || r.esito == Esito::NessunPunto, "run did not complete",
          lurendo::testo_stato(r));
    check(r.righe == expected_lines(input), "line count");
    check(last_reported == r.righe, "final line count not reported");
    check(r.motivo.empty(), "a reason given for a run that did not fail of its files", r.motivo);
    check(r.n_punti <= static_cast<int64_t>(occurrences(input, "<trkpt")),
          "more points stored than start tags in the input");
    check(files.files.size() == 2 && files.files.contains(kInput) && files.files.contains(kOutput),
          "something besides the input and the output left behind");
    run.output = files.files[kOutput];

    if (r.esito == Esito::Eseguito) {
        check(lurendo::testo_stato(r) == std::string(lurendo::kDoneText) + kOutput, "final status",
              lurendo::testo_stato(r));
        check_document(run.output);
        check(r.totali.has_value() && r.cifre.has_value(), "figures missing after a complete run");
        check_figures(*r.cifre);
    } else {
        check(lurendo::testo_stato(r) == std::string(lurendo::kNoPointsText) + kInput, "final status",
              lurendo::testo_stato(r));
        check(r.n_punti == 0, "points kept from an input without a complete point");
        check(!r.totali && !r.cifre, "figures given for an input without points");
        check(run.output == kOldOutput, "old output changed by a run without points");
    }
    return run;
}

bool same_bits(double a, double b) {
    return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
}

bool same_figures(const RisultatoEsecuzione& a, const RisultatoEsecuzione& b) {
    if (a.totali.has_value() != b.totali.has_value() || a.cifre.has_value() != b.cifre.has_value())
        return false;
    if (a.totali && !(same_bits(a.totali->tempo_tot, b.totali->tempo_tot) &&
                      same_bits(a.totali->dist_tot, b.totali->dist_tot) &&
                      same_bits(a.totali->tempo_parz, b.totali->tempo_parz) &&
                      same_bits(a.totali->dist_parz, b.totali->dist_parz)))
        return false;
    return !a.cifre ||
           (a.cifre->dist_tot == b.cifre->dist_tot && a.cifre->tempo_tot == b.cifre->tempo_tot &&
            a.cifre->dist_parz == b.cifre->dist_parz && a.cifre->tempo_parz == b.cifre->tempo_parz);
}

// An odd block size from 1 to 63 picked by the input's bytes, raised for long inputs so that a run takes at
// most about kMaxReads reads and the fuzzer keeps its pace.
size_t small_block_for(std::string_view input) {
    constexpr size_t kMaxReads = 1024;
    uint64_t hash = 14695981039346656037ull;  // FNV-1a over the first bytes and the size: enough to vary
    for (const char c : input.substr(0, 64))
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    hash = (hash ^ input.size()) * 1099511628211ull;
    const size_t picked = 1 + 2 * static_cast<size_t>(hash % 32);
    return std::max(picked, (input.size() / kMaxReads) | 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const Run whole = run_in_blocks(input, std::numeric_limits<size_t>::max());
    const size_t block = small_block_for(input);
    const Run pieces = run_in_blocks(input, block);

    const std::string detail = "read in blocks of " + std::to_string(block);
    check(pieces.result.esito == whole.result.esito, "outcome depends on the read size", detail);
    check(pieces.result.n_punti == whole.result.n_punti, "point count depends on the read size", detail);
    check(pieces.output == whole.output, "output depends on the read size", detail);
    check(same_figures(pieces.result, whole.result), "figures depend on the read size", detail);
    return 0;
}
