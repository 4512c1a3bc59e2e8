#include "repair/write/output_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "repair/files/file_io.h"
#include "test_support.h"

namespace lurendo {
namespace {

constexpr size_t kPage = 4096;

// Keeps every write as the file saw it: where its memory lay, how long it was and at which offset it went.
struct SeenWrite {
    uintptr_t address;
    size_t size;
    size_t offset;
};
class RecordingOutput final : public OutputFile {
  public:
    RecordingOutput(std::string& bytes, std::vector<SeenWrite>& writes) : bytes_(bytes), writes_(writes) {}
    std::error_code write(const char* data, size_t size) override {
        writes_.push_back({reinterpret_cast<uintptr_t>(data), size, bytes_.size()});
        bytes_.append(data, size);
        return {};
    }
    std::error_code close() override { return {}; }

  private:
    std::string& bytes_;
    std::vector<SeenWrite>& writes_;
};

// A point whose block is `size` bytes long, so that entries fall across block borders at odd places.
std::string block_of(size_t size) {
    std::string block = "<trkpt lat=\"45.5\" lon=\"10.5\"><time>2009-07-14T10:00:00Z</time>";
    block.append(size - block.size() - 8, 'x');
    return block + "</trkpt>";
}

TEST(OutputWriter, EveryBlockButTheLastIsWholePagesInPageAlignedMemoryAndNoByteIsLostOrMoved) {
    std::string written;
    std::vector<SeenWrite> writes;
    std::string expected;
    {
        OutputWriter output(std::make_unique<RecordingOutput>(written, writes));
        output.riga("<?xml version=\"1.0\"?>");
        expected += "<?xml version=\"1.0\"?>\r\n";
        // Entries of many lengths, one of them larger than a whole block, and a dropped point among them.
        for (size_t i = 0; expected.size() < (5 << 20); ++i) {
            const std::string block = block_of(i == 300 ? (3 << 20) + 17 : 97 + i % 131);
            const PuntoLetto punto = test::punto(block);
            output.voce(punto);
            scrivi_disposto(punto, expected);
            expected += "\r\n";
            if (i % 50 == 0) {
                output.punto_scartato();
                expected += "\r\n";
            }
        }
        output.riga("</gpx>");
        expected += "</gpx>\r\n";
        ASSERT_TRUE(output.finish());
    }
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected) << "the bytes changed on the way";
    ASSERT_GE(writes.size(), 3u);
    for (size_t i = 0; i + 1 < writes.size(); ++i) {
        EXPECT_EQ(writes[i].size % kPage, 0u) << "write " << i;
        EXPECT_EQ(writes[i].offset % kPage, 0u) << "write " << i;
        EXPECT_EQ(writes[i].address % kPage, 0u) << "write " << i;
    }
    EXPECT_GT(writes.back().size % kPage, 0u) << "the sample ends inside a page";
}

// The machine's files switch between direct and cached writing by the shape of each write: whatever the
// mix, the file holds exactly the bytes written. On the system's temporary folder and, where there is one,
// on a file system in memory.
TEST(SystemFiles, DirectAndCachedWritesMixedGiveExactlyTheBytesWritten) {
    PageBuffer pages;
    const size_t block = 1 << 20;
    char* bytes = pages.extend(3 * block);
    for (size_t i = 0; i < 3 * block; ++i)
        bytes[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
    std::vector<std::filesystem::path> folders{std::filesystem::temp_directory_path()};
    if (std::filesystem::is_directory("/dev/shm"))
        folders.emplace_back("/dev/shm");
    for (const auto& folder : folders) {
        test::TempDir dir;
        const std::string out = folder == folders.front()
                                    ? dir.file("out.gpx")
                                    : (folder / (dir.path().filename().string() + "-out.gpx")).string();
        FileSystem& files = system_file_system();
        std::string temp;
        std::error_code error;
        std::unique_ptr<OutputFile> file = files.create_temporary_beside(out, temp, error);
        ASSERT_NE(file, nullptr) << folder << ": " << error.message();
        std::string expected;
        const auto put = [&](size_t from, size_t size) {
            ASSERT_EQ(file->write(pages.data() + from, size), std::error_code()) << folder;
            expected.append(pages.data() + from, size);
        };
        put(0, block);                  // whole pages: direct where the file system takes it
        put(block, block);              // again
        put(0, 1000);                   // a short one leaves the offset inside a page: cached
        put(block, block);              // whole pages at an odd offset: cached as well
        put(2 * block + 1, block - 1);  // unaligned memory
        put(0, kPage - 999);            // back on a page border
        put(block, block);              // whole pages again: direct again
        ASSERT_EQ(file->close(), std::error_code()) << folder;
        ASSERT_EQ(files.replace(temp, out), std::error_code()) << folder;
        const std::string back = test::read_file(out);
        std::filesystem::remove(out);
        ASSERT_EQ(back.size(), expected.size()) << folder;
        EXPECT_TRUE(back == expected) << folder;
    }
}

}  // namespace
}  // namespace lurendo
