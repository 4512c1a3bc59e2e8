// Never over an input on a folder that ignores case: the entry a spelling finds is told from the folder's
// own listing, not from inode numbers, which FUSE gives to each spelling anew.
#include <gtest/gtest.h>

#include <string>

#include "repair/files/file_io_entries.h"
#include "tests/support/folded_folders.h"

namespace lurendo {
namespace {

using test::FoldedFolders;

constexpr int64_t kSecond = 1'000'000'000;

// A memory card: the recording, a batch folder of two copies made in the same second, another file.
FoldedFolders card(bool ignore_case) {
    FoldedFolders folders(ignore_case);
    folders.add_folder("/mnt");
    folders.add_file("/mnt/track.gpx", 1361, 100 * kSecond);
    folders.add_file("/mnt/other.gpx", 1361, 160 * kSecond);
    folders.add_folder("/mnt/bt");
    folders.add_file("/mnt/bt/a.gpx", 5000, 200 * kSecond);
    folders.add_file("/mnt/bt/b.gpx", 5000, 200 * kSecond);
    return folders;
}

TEST(SameEntry, AnotherSpellingOfTheRecordingIsTheRecording) {
    FoldedFolders folders = card(true);
    ASSERT_NE(folders.facts("/mnt/TRACK.GPX")->inode, folders.facts("/mnt/track.gpx")->inode)
        << "each spelling must look like a file of its own, as through FUSE";
    EXPECT_TRUE(same_entry("/mnt/TRACK.GPX", "/mnt/track.gpx", folders));
    EXPECT_TRUE(same_entry("/mnt/track.gpx", "/mnt/TRACK.GPX", folders));
    EXPECT_TRUE(same_entry("/MNT/Track.gpx", "/mnt/TRACK.gpx", folders)) << "neither spelling listed";
    EXPECT_FALSE(same_entry("/mnt/OTHER.GPX", "/mnt/track.gpx", folders)) << "the same size, another time";
    EXPECT_FALSE(same_entry("/mnt/NEW.GPX", "/mnt/track.gpx", folders)) << "a new file is nobody's input";
}

// A batch into the input folder spelt otherwise: each target is its own input, and only that one.
TEST(SameEntry, ATargetInAFolderSpeltOtherwiseIsTheInputOfItsName) {
    FoldedFolders folders = card(true);
    EXPECT_TRUE(same_entry("/mnt/BT/a.gpx", "/mnt/bt/a.gpx", folders));
    EXPECT_TRUE(same_entry("/mnt/Bt/B.GPX", "/mnt/bt/b.gpx", folders));
    // Alike in every fact a lookup shows, yet the listing holds them as two entries.
    EXPECT_FALSE(same_entry("/mnt/BT/b.gpx", "/mnt/bt/a.gpx", folders));
    EXPECT_FALSE(same_entry("/mnt/bt/b.gpx", "/mnt/bt/a.gpx", folders));
}

// Where alike entries leave open which one a spelling finds, the run is refused rather than risked.
TEST(SameEntry, AlikeEntriesThatTheListingCannotTellApartCountAsTheSame) {
    FoldedFolders folders = card(true);
    EXPECT_TRUE(same_entry("/mnt/bt/A.GPX", "/mnt/bt/b.gpx", folders));
}

TEST(SameEntry, AFolderThatKeepsCaseFindsNoOtherSpelling) {
    FoldedFolders folders = card(false);
    EXPECT_FALSE(folders.facts("/mnt/TRACK.GPX").has_value());
    EXPECT_FALSE(same_entry("/mnt/TRACK.GPX", "/mnt/track.gpx", folders));
    EXPECT_FALSE(same_entry("/mnt/BT/a.gpx", "/mnt/bt/a.gpx", folders));
    EXPECT_TRUE(same_entry("/mnt/bt/a.gpx", "/mnt/bt/a.gpx", folders));
}

}  // namespace
}  // namespace lurendo
