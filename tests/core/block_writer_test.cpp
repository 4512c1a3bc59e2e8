// The block writer: every byte reaches the file in order, only a fixed set of buffers ever circulates, and
// the first failed write is the one reported, with nothing written after it.
#include "repair/write/block_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <set>
#include <string>
#include <thread>

namespace lurendo {
namespace {

// Keeps what is written and where its memory lay; slow, so that the run fills buffers faster than they go,
// and failing from the write numbered `fail_at` on (counted from 0) with the errno value `error`.
class SlowFile final : public OutputFile {
  public:
    SlowFile(std::string& bytes, std::set<uintptr_t>& buffers, int fail_at = -1, int error = 0)
        : bytes_(bytes), buffers_(buffers), fail_at_(fail_at), error_(error) {}
    std::error_code write(const char* data, size_t size) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        if (fail_at_ >= 0 && writes_++ >= fail_at_) {
            const std::error_code failure(error_, std::generic_category());
            error_ = EIO;  // a later failure has another cause: only the first may be reported
            return failure;
        }
        buffers_.insert(reinterpret_cast<uintptr_t>(data));
        bytes_.append(data, size);
        return {};
    }
    std::error_code close() override { return {}; }

  private:
    std::string& bytes_;
    std::set<uintptr_t>& buffers_;
    int writes_ = 0;
    const int fail_at_;
    int error_;
};

// Fills `buffer` with `size` bytes that differ from block to block, as the run would, and keeps a copy.
void fill(PageBuffer& buffer, size_t size, std::string& expected) {
    for (size_t i = 0; i < size; ++i) {
        const char byte = static_cast<char>('a' + (expected.size() * 13 / 4096 + i) % 26);
        buffer.append(std::string_view(&byte, 1));
        expected += byte;
    }
}

TEST(BlockWriter, EveryByteArrivesInOrderThroughAFixedSetOfBuffers) {
    std::string written;
    std::set<uintptr_t> buffers;
    SlowFile file(written, buffers);
    std::string expected;
    {
        BlockWriter writer(&file);
        PageBuffer buffer;
        buffer.reserve(2 << 20);  // room enough from the start: the buffer never moves as it grows
        for (int block = 0; block < 40; ++block) {
            fill(buffer, (1 << 20) + 777 * static_cast<size_t>(block % 5),
                 expected);  // whole pages and a tail
            writer.send(buffer, false);
            ASSERT_LT(buffer.size(), PageBuffer::kPage) << "only the tail past the whole pages stays";
        }
        fill(buffer, 1000, expected);
        writer.send(buffer, true);
        EXPECT_TRUE(buffer.empty());
        ASSERT_TRUE(writer.finish());
        EXPECT_FALSE(writer.error());
    }
    ASSERT_EQ(written.size(), expected.size());
    EXPECT_TRUE(written == expected) << "the bytes changed on the way";
    // The run's first buffer and the two made with the thread: a new buffer for every block would show here.
    EXPECT_LE(buffers.size(), 3u);
}

TEST(BlockWriter, TheFirstFailureIsReportedAndNothingIsWrittenAfterIt) {
    std::string written;
    std::set<uintptr_t> buffers;
    SlowFile file(written, buffers, 3, ENOSPC);
    BlockWriter writer(&file);
    PageBuffer buffer;
    std::string expected;
    for (int block = 0; block < 10; ++block) {
        fill(buffer, 1 << 20, expected);
        writer.send(buffer, false);
    }
    EXPECT_FALSE(writer.finish());
    EXPECT_TRUE(writer.failed());
    EXPECT_EQ(writer.error(), std::errc::no_space_on_device);
    EXPECT_EQ(written.size(), size_t{3} << 20) << "the three blocks before the failure, and nothing after";
}

// A short output never starts the thread: its one block is written at once, and a failure is known at once.
TEST(BlockWriter, AShortOutputIsWrittenAtOnceAndItsFailureKnownAtOnce) {
    for (const bool fails : {false, true}) {
        std::string written;
        std::set<uintptr_t> buffers;
        SlowFile file(written, buffers, fails ? 0 : -1, EROFS);
        BlockWriter writer(&file);
        PageBuffer buffer;
        std::string expected;
        fill(buffer, 5000, expected);
        writer.send(buffer, true);
        EXPECT_EQ(writer.failed(), fails);
        EXPECT_EQ(writer.error(),
                  fails ? std::make_error_code(std::errc::read_only_file_system) : std::error_code());
        EXPECT_EQ(written, fails ? "" : expected);
        EXPECT_EQ(writer.finish(), !fails);
    }
}

}  // namespace
}  // namespace lurendo
