// Small helpers shared by the core tests: temporary folders, whole-file reads and writes, track text.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

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

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
std::string data_file(const std::string& name);  // a file of tests/data

// One point in the canonical layout (six blanks before the trkpt tags, eight before ele and time, CR LF).
std::string canonical_point(const std::string& lat, const std::string& lon, const std::string& time);
// A whole document around `points` (already laid out), every line ended by CR LF.
std::string canonical_document(const std::string& points);

}  // namespace lurendo::test
