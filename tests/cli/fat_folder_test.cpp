// A real FAT file system through FUSE, where each spelling of a name gets an inode number of its own: the
// output never lands on an input, and an ordinary run still works there. Skipped where fusefat, the FAT
// formatter or FUSE itself is missing.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "cli_runner.h"
#include "test_support.h"

namespace lurendo {
namespace {

namespace fs = std::filesystem;
using test::read_file;
using test::write_file;

bool on_path(const std::string& tool) {
    return std::system(("command -v " + tool + " >/dev/null 2>&1").c_str()) == 0;
}

bool mounted_at(const fs::path& folder) {
    struct stat inside {};
    struct stat above {};
    return ::stat(folder.c_str(), &inside) == 0 && ::stat(folder.parent_path().c_str(), &above) == 0 &&
           inside.st_dev != above.st_dev;
}

// An 8 MB FAT image mounted read-write through fusefat for the life of the object.
class FatFolder {
  public:
    explicit FatFolder(const fs::path& where) : image_(where / "scheda.img"), folder_(where / "scheda") {
        if (!on_path("fusefat") || !on_path("mkfs.vfat") || !fs::exists("/dev/fuse")) {
            why_not_ = "fusefat, mkfs.vfat or /dev/fuse missing";
            return;
        }
        fs::create_directory(folder_);
        const std::string quiet = " >/dev/null 2>&1";
        if (std::system(("truncate -s 8M '" + image_.string() + "'" + quiet).c_str()) != 0 ||
            std::system(("mkfs.vfat '" + image_.string() + "'" + quiet).c_str()) != 0 ||
            std::system(
                ("fusefat -o rw+ '" + image_.string() + "' '" + folder_.string() + "'" + quiet).c_str()) !=
                0 ||
            !mounted_at(folder_))
            why_not_ = "FUSE would not mount the FAT image here";
    }
    ~FatFolder() {
        for (const char* unmount : {"fusermount -u", "umount"}) {
            if (!mounted_at(folder_) ||
                std::system((std::string(unmount) + " '" + folder_.string() + "' >/dev/null 2>&1").c_str()) ==
                    0)
                break;
        }
    }
    FatFolder(const FatFolder&) = delete;
    FatFolder& operator=(const FatFolder&) = delete;

    const std::string& why_not() const { return why_not_; }
    const fs::path& path() const { return folder_; }

  private:
    fs::path image_;
    fs::path folder_;
    std::string why_not_;
};

class FatFolderRuns : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!card_.why_not().empty())
            GTEST_SKIP() << card_.why_not();
        fs::create_directory(capture_);
    }
    test::CliResult run(const std::vector<std::string>& args) {
        return test::run_cli(args, card_.path(), capture_);
    }

    test::TempDir dir_;
    FatFolder card_{dir_.path()};
    const fs::path capture_ = dir_.path() / "capture";
    const std::string worked_ = read_file(test::data_file("worked.gpx"));
};

TEST_F(FatFolderRuns, AnotherSpellingOfTheTrackIsRefusedAndTheTrackKept) {
    write_file((card_.path() / "track.gpx").string(), worked_);
    const test::CliResult r = run({"-o", "TRACK.GPX", "track.gpx"});
    EXPECT_EQ(r.exit_code, 2) << r.out;
    EXPECT_NE(r.err.find("è la traccia da riparare"), std::string::npos) << r.err;
    EXPECT_EQ(read_file((card_.path() / "track.gpx").string()), worked_);
    EXPECT_EQ(test::names_in(card_.path()), (std::set<std::string>{"track.gpx"}));
}

TEST_F(FatFolderRuns, ABatchIntoTheInputFolderSpeltOtherwiseIsRefusedAndEveryInputKept) {
    fs::create_directory(card_.path() / "bt");
    write_file((card_.path() / "bt/a.gpx").string(), worked_);
    write_file((card_.path() / "bt/b.gpx").string(), worked_);
    const test::CliResult r = run({"-o", "BT", "bt/a.gpx", "bt/b.gpx"});
    EXPECT_EQ(r.exit_code, 2) << r.out;
    EXPECT_NE(r.err.find("è una delle tracce da riparare"), std::string::npos) << r.err;
    EXPECT_EQ(read_file((card_.path() / "bt/a.gpx").string()), worked_);
    EXPECT_EQ(read_file((card_.path() / "bt/b.gpx").string()), worked_);
}

// No O_TMPFILE on FUSE: the named temporary, its lock and its rename, and another run's leftover swept.
TEST_F(FatFolderRuns, AnOrdinaryRunWritesItsOutputAndSweepsAStrayTemporary) {
    write_file((card_.path() / "track.gpx").string(), worked_);
    write_file((card_.path() / ".out.gpx.1.2.tmp").string(), "left by a killed run");
    const test::CliResult r = run({"-o", "out.gpx", "track.gpx"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(read_file((card_.path() / "out.gpx").string()), read_file(test::data_file("worked~out.gpx")));
    EXPECT_EQ(test::names_in(card_.path()), (std::set<std::string>{"out.gpx", "track.gpx"}));
}

}  // namespace
}  // namespace lurendo
