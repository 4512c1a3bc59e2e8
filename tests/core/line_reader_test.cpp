// Streaming the input: the same entries whatever the block size, and bounded memory on endless lines.
#include "repair/read/line_reader.h"
#include "repair/point_pipeline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace lurendo {
namespace {

// Keeps the block of every completed point and hands the point on.
class Entries final : public BlockSink {
  public:
    explicit Entries(BlockSink& next) : next_(next) {}
    void blocco_completo(const PointText& text, std::optional<double> velocita_gps) override {
        std::string& block = entries.emplace_back();
        for (size_t i = 0; i < text.part_count; ++i)
            block += text.parts[i];
        next_.blocco_completo(text, velocita_gps);
    }
    std::vector<std::string> entries;

  private:
    BlockSink& next_;
};

struct Fed {
    std::vector<std::string> entries;
    int64_t lines = 0;
    size_t most_held = 0;
    int64_t points = 0;
};

// Feeds `input` in blocks of `block` bytes, as a run reads a file.
Fed feed(const std::string& input, size_t block) {
    std::string written;
    OutputWriter output(std::make_unique<test::StringOutput>(written));
    PointStore store;
    PointPipeline pipeline(output, store);
    Entries out(pipeline);
    BlockAssembler assembler(out);
    LineReader reader(assembler);
    Fed fed;
    for (size_t pos = 0; pos < input.size(); pos += block) {
        const size_t n = std::min(block, input.size() - pos);
        reader.feed(input.data() + pos, n);
        fed.most_held = std::max(fed.most_held, reader.held());
    }
    reader.finish();
    fed.entries = out.entries;
    fed.lines = reader.lines();
    fed.points = store.n_punti();
    return fed;
}

std::string points(int count, const std::string& separator) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        const std::string lat = "45." + std::to_string(512345678 + i * 10);
        const std::string lon = "10." + std::to_string(712345678 + i * 10);
        text += "<trkpt lat=\"" + lat + "\" lon=\"" + lon + "\">" + separator + "<ele>1.0</ele>" + separator +
                "<time>2009-07-14T10:00:0" + std::to_string(i % 10) + "Z</time>" + separator + "</trkpt>" +
                separator;
    }
    return text;
}

TEST(LineReader, BlockSizeNeverChangesWhatIsHandedOn) {
    const std::string laid_out = points(50, "\r\n");
    const Fed whole = feed(laid_out, laid_out.size());
    ASSERT_EQ(whole.entries.size(), 50u);
    for (const size_t block : {1u, 2u, 7u, 64u, 4096u}) {
        SCOPED_TRACE(block);
        const Fed fed = feed(laid_out, block);
        EXPECT_EQ(fed.entries, whole.entries);
        EXPECT_EQ(fed.lines, whole.lines);
    }
}

TEST(LineReader, AMinifiedLineLongerThanTheCarryLimitKeepsEveryPoint) {
    // About 6 MB on one line: the reader must hand points on before the line ends.
    const int count = 60000;
    const std::string line = points(count, "");
    ASSERT_GT(line.size(), 2 * LineReader::kCarryLimit);
    const Fed fed = feed(line, 1 << 20);
    EXPECT_EQ(fed.lines, 1);
    EXPECT_EQ(fed.points, count);
    EXPECT_LE(fed.most_held, 2 * LineReader::kCarryLimit);
    // The same points laid out one element per line give the same entries.
    EXPECT_EQ(fed.entries, feed(points(count, "\n"), 1 << 20).entries);
}

TEST(LineReader, EndlessBlanksOrStartTagsHoldBoundedMemory) {
    const std::string blanks(40 << 20, ' ');
    Fed fed = feed(blanks, 1 << 20);
    EXPECT_EQ(fed.lines, 1);
    EXPECT_TRUE(fed.entries.empty());
    EXPECT_LE(fed.most_held, 2 * LineReader::kCarryLimit);

    std::string tags;
    while (tags.size() < (20u << 20))
        tags += "<trkpt";
    fed = feed(tags, 1 << 20);
    EXPECT_TRUE(fed.entries.empty());
    EXPECT_EQ(fed.points, 0);
    EXPECT_LE(fed.most_held, 2 * LineReader::kCarryLimit);
}

TEST(LineReader, APointLongerThanAMegabyteIsDroppedAndTheNextOneKept) {
    const std::string huge_ele = "<ele>" + std::string(3 << 20, '1') + "</ele>";
    const std::string first =
        "<trkpt lat=\"45.1\" lon=\"10.1\">" + huge_ele + "<time>2009-07-14T10:00:00Z</time></trkpt>";
    const std::string second =
        "<trkpt lat=\"45.1\" lon=\"10.1\"><ele>1</ele><time>2009-07-14T10:00:01Z</time></trkpt>";
    // On one line, and with the long element spread over many short lines.
    std::string spread = "<trkpt lat=\"45.1\" lon=\"10.1\">\n";
    for (int i = 0; i < 20000; ++i)
        spread += "<ele>" + std::string(60, '2') + "</ele>\n";
    spread += "</trkpt>\n";
    for (const std::string& big : {first, spread}) {
        const Fed fed = feed(big + "\n" + second + "\n", 1 << 20);
        ASSERT_EQ(fed.entries.size(), 1u);
        EXPECT_NE(fed.entries[0].find("10:00:01"), std::string::npos);
        EXPECT_EQ(fed.points, 1);
    }
}

TEST(LineReader, ALongLineWithoutPointWordsLeavesAnOpenPointAlone) {
    // Text that mentions no point word is ignored inside a point, however long it is.
    const std::string input = "<trkpt lat=\"45.1\" lon=\"10.1\">\n" + std::string(5 << 20, 'x') +
                              "\n<time>2009-07-14T10:00:00Z</time>\n</trkpt>\n";
    const Fed fed = feed(input, 1 << 20);
    ASSERT_EQ(fed.entries.size(), 1u);
    EXPECT_EQ(fed.entries[0].find('x'), std::string::npos);
    EXPECT_EQ(fed.lines, 4);
}

}  // namespace
}  // namespace lurendo
