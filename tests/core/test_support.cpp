#include "test_support.h"

#include <gtest/gtest.h>

#include "repair/read/track_point.h"
#include "run/report.h"
#include "run/statistics_pass.h"

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace lurendo::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lurendo-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::set<std::string> names_in(const std::filesystem::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.insert(entry.path().filename().string());
    return names;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string data_file(const std::string& name) {
    return std::string(LURENDO_TEST_DATA) + "/" + name;
}

std::string canonical_point(const std::string& lat, const std::string& lon, const std::string& time) {
    return "      <trkpt lat=\"" + lat + "\" lon=\"" + lon + "\">\r\n        <ele>65.000000</ele>\r\n" +
           "        <time>2009-07-14T" + time + "Z</time>\r\n      </trkpt>\r\n";
}

std::string canonical_document(const std::string& points) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<gpx version=\"1.1\" creator=\"test\">\r\n  "
           "<trk>\r\n"
           "    <trkseg>\r\n" +
           points + "    </trkseg>\r\n  </trk>\r\n</gpx>\r\n";
}

std::string repaired_document(const std::string& entries) {
    const std::string golden = read_file(data_file("worked~out.gpx"));
    size_t header_end = 0;
    for (int line = 0; line < 14; ++line)
        header_end = golden.find("\r\n", header_end) + 2;
    const size_t footer_start = golden.rfind("   </trkseg>\r\n");
    return golden.substr(0, header_end) + entries + golden.substr(footer_start);
}

PuntoLetto punto(std::string_view blocco) {
    PuntoLetto p;
    leggi_punto(blocco, p);
    return p;
}

void expect_time(const OraDelGiorno& ora, int h, int m, double s) {
    ASSERT_TRUE(ora.leggibile);
    EXPECT_EQ(ora.ore, h);
    EXPECT_EQ(ora.minuti, m);
    EXPECT_EQ(ora.secondi, s);
}

void store_point(PointStore& store, const std::string& lat, const std::string& lon, const std::string& time) {
    store.elaboro_stringa2(punto("<trkpt lat=\"" + lat + "\" lon=\"" + lon + "\"><time>2009-07-14T" + time +
                                 "Z</time></trkpt>"));
}

RunCapture run_paths(const std::string& input_path, const std::string& output_path, FileSystem& files,
                     const std::function<bool()>& cancelled) {
    RunCapture capture;
    RepairCallbacks callbacks;
    callbacks.avanzamento = [&](int64_t righe) { capture.statuses.push_back(testo_avanzamento(righe)); };
    callbacks.annullato = cancelled;
    Statistiche statistiche;
    Riparazione riparazione = ripara(input_path, output_path, callbacks, files,
                                     [&](PointStore& store) { statistiche = passo_statistiche(store); });
    capture.report = risultato_esecuzione(riparazione, input_path, output_path, statistiche);
    capture.statuses.push_back(testo_stato(capture.report));
    capture.store = std::move(riparazione.store);
    return capture;
}

RunCapture run_bytes(const TempDir& dir, const std::string& input) {
    write_file(dir.file("in.gpx"), input);
    RunCapture capture = run_paths(dir.file("in.gpx"), dir.file("out.gpx"));
    capture.output = read_file(dir.file("out.gpx"));
    return capture;
}

}  // namespace lurendo::test
