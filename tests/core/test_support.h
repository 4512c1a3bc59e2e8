// Small helpers shared by the core tests: temporary folders, whole-file reads and writes, track text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "repair/read/track_point.h"
#include "repair/store/point_store.h"
#include "run/run_with_files.h"

namespace lurendo::test {

// A fresh folder under the system's temporary directory, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// The names in a folder (not recursive).
std::set<std::string> names_in(const std::filesystem::path& dir);

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
std::string data_file(const std::string& name);  // a file of tests/data

using lurendo::StringOutput;

// The machine's files with every operation passed on: a test overrides only those it makes fail.
class SystemFiles : public FileSystem {
  public:
    std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) override {
        return system_file_system().open_input(path, error);
    }
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path, std::string& temp_path,
                                                        std::error_code& error) override {
        return system_file_system().create_temporary_beside(final_path, temp_path, error);
    }
    std::error_code replace(const std::string& from, const std::string& to) override {
        return system_file_system().replace(from, to);
    }
    void remove(const std::string& path) override { system_file_system().remove(path); }
    bool same_file(const std::string& a, const std::string& b) override {
        return system_file_system().same_file(a, b);
    }
};

// A block parsed as a run parses it; the point refers to `blocco`.
PuntoLetto punto(std::string_view blocco);
// Expects a readable time of day of `h` hours, `m` minutes and `s` seconds.
void expect_time(const OraDelGiorno& ora, int h, int m, double s);

// One point in the canonical layout (six blanks before the trkpt tags, eight before ele and time, CR LF).
std::string canonical_point(const std::string& lat, const std::string& lon, const std::string& time);
// A whole document around `points` (already laid out), every line ended by CR LF.
std::string canonical_document(const std::string& points);

// The repaired document expected around `entries` (each already ended by CR LF): the fixed header and footer
// taken from the golden output of the worked run.
std::string repaired_document(const std::string& entries);

// Hands `store` a point block as the repair run would: coordinates as written, the time of day as
// "hh:mm:ss" with an optional fraction (empty text for a point without a readable time).
void store_point(PointStore& store, const std::string& lat, const std::string& lon, const std::string& time);

// What one run left behind: its result, the status texts in order (progress, then the final text), the
// kept points and the output file's bytes.
struct RunCapture {
    RisultatoEsecuzione report;
    std::vector<std::string> statuses;
    PointStore store;
    std::string output;
};
// Writes `input` to in.gpx in `dir` and runs it with out.gpx in the same folder.
RunCapture run_bytes(const TempDir& dir, const std::string& input);
// Runs `input_path` to `output_path` through `files`, capturing as run_bytes does (the output is not read).
RunCapture run_paths(const std::string& input_path, const std::string& output_path,
                     FileSystem& files = system_file_system(), const std::function<bool()>& cancelled = {});

}  // namespace lurendo::test
