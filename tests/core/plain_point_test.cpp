// The four-line point that the reader takes whole: every layout near it, plain or not, must give the same
// blocks, device speeds, line count, output and stored points as the general way, which a reader fed byte
// by byte always takes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "repair/block_assembler.h"
#include "repair/line_reader.h"
#include "repair/output_writer.h"
#include "repair/point_pipeline.h"
#include "repair/point_store.h"
#include "repair/track_point.h"
#include "test_support.h"

namespace lurendo {
namespace {

// Keeps each block, its speed, and what the point reader makes of it with the tags the reading knew.
struct Seen final : BlockSink {
    void blocco_completo(std::string_view text, std::optional<double> velocita_gps,
                         const KnownTags* known) override {
        blocks.emplace_back(text);
        speeds.push_back(velocita_gps);
        PuntoLetto punto;
        leggi_punto(text, punto, known);
        std::string entry;
        scrivi_disposto(punto, entry);
        laid_out.push_back(entry + " " + std::to_string(punto.ora.ore) + ":" +
                           std::to_string(punto.ora.minuti) + ":" + std::to_string(punto.ora.secondi) +
                           (punto.ora.leggibile ? "" : " ?"));
    }
    std::vector<std::string> blocks;
    std::vector<std::optional<double>> speeds;
    std::vector<std::string> laid_out;
    int64_t lines = 0;
};

Seen read(const std::string& input, size_t block) {
    Seen seen;
    BlockAssembler assembler(seen);
    LineReader reader(assembler);
    for (size_t pos = 0; pos < input.size(); pos += block)
        reader.feed(input.data() + pos, std::min(block, input.size() - pos));
    reader.finish();
    seen.lines = reader.lines();
    return seen;
}

// A point in the usual layout, with the given lines in place of its own where they are not empty.
std::string point(const std::string& end, std::string start = "", std::string ele = "", std::string time = "",
                  std::string close = "") {
    if (start.empty())
        start = "      <trkpt lat=\"45.123456789\" lon=\"10.123456789\">";
    if (ele.empty())
        ele = "        <ele>12.5</ele>";
    if (time.empty())
        time = "        <time>2019-08-10T10:00:01Z</time>";
    if (close.empty())
        close = "      </trkpt>";
    return start + end + ele + end + time + end + close + end;
}

// The layouts near the plain one, with every line ended by `end`.
std::string near_layouts(const std::string& end) {
    return point(end) + point(end, "      <trkpt\tlat=\"45.1\" lon=\"10.1\">") +
           point(end, "      <trkpt lat=\"45.1\" lon=\"10.1\"/>") +
           point(end, "      <trkpt lat=\"45>1\" lon=\"10.1\">") +
           point(end, "", "        <ele>1<b/></ele>") + point(end, "", "  <ele>12.5</ele>") +
           point(end, "", "        <ele>12.5</ele>   ") +
           point(end, "      <trkpt lat=\"45.1\" lon=\"10.1\" id=\"d\">") +
           point(end, "", "", "        <time>2019-08-10T10:00:02Z</time>" + end + "<speed>4.5</speed>") +
           point(end, "", "", "        <time>2019-08-10T10:00:03Z</time><speed>5.5</speed>") +
           point(end, "", "", "", end + "      </trkpt>") +
           point(end,
                 "      <trkpt lat=\"45.123456789012345678901234567890\" lon=\"10.12345678901234567\">") +
           point(end, "", "", "", "      </trkpt> <trkpt lat=\"1\" lon=\"2\">") +
           point(end, "", "", "", "</trkpt>") +
           point(end, "", "<ele>3</ele>", "  <time>2019-08-10T10:00:04.25Z</time>") +
           point(end, "      <trkpt lat=\"45.1\" lon=\"10.1\">        ", "<ele>4</ele>", "<time>bad</time>") +
           point(end, "", "\t<ele>5</ele>", "            <time>2019-08-10T10:00:05Z</time>", "\t \t</trkpt>");
}

TEST(PlainPoint, EveryLayoutNearThePlainOneReadsAsTheGeneralWayReadsIt) {
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(testing::Message() << "line end " << static_cast<int>(end.back()));
        const std::string input = near_layouts(end);
        const Seen whole = read(input, input.size());
        ASSERT_GE(whole.blocks.size(), 13u);
        EXPECT_EQ(whole.speeds[8], 4.5);
        EXPECT_EQ(whole.speeds[9], 5.5);
        for (const size_t block : {1u, 7u, 100u}) {
            SCOPED_TRACE(block);
            const Seen parts = read(input, block);
            EXPECT_EQ(parts.blocks, whole.blocks);
            EXPECT_EQ(parts.speeds, whole.speeds);
            EXPECT_EQ(parts.laid_out, whole.laid_out);
            EXPECT_EQ(parts.lines, whole.lines);
        }
    }
}

// What a run makes of the input: the output and every stored point, in words.
struct RunResult {
    std::string output;
    std::vector<std::string> points;
};

RunResult run(const std::string& input, size_t block) {
    RunResult result;
    PointStore store;
    {
        OutputWriter output(std::make_unique<test::StringOutput>(result.output));
        PointPipeline pipeline(output, store);
        BlockAssembler assembler(pipeline);
        LineReader reader(assembler);
        for (size_t pos = 0; pos < input.size(); pos += block)
            reader.feed(input.data() + pos, std::min(block, input.size() - pos));
        reader.finish();
        EXPECT_TRUE(output.finish());
    }
    for (int64_t i = 1; i <= store.n_punti(); ++i) {
        const PuntoConservato p = store.punto(i);
        result.points.push_back(std::to_string(p.lat) + " " + std::to_string(p.lon) + " " +
                                std::to_string(p.ora.ore) + ":" + std::to_string(p.ora.minuti) + ":" +
                                std::to_string(p.ora.secondi) + (p.ora.leggibile ? "" : " ?") + " " +
                                (p.velocita_gps ? std::to_string(*p.velocita_gps) : "-") +
                                (p.salto_prima ? " after a jump" : ""));
    }
    return result;
}

// The run reads a plain point straight from its lines, and writes its entry from them or, where the input
// already holds it so, as it stands: the output and the stored points must be those of the general way.
TEST(PlainPoint, PointsReadFromTheirLinesGiveTheOutputAndPointsOfTheGeneralWay) {
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(testing::Message() << "line end " << static_cast<int>(end.back()));
        const std::string input =
            near_layouts(end) + point(end, "      <trkpt lat=\"x\" lon=\"10.1\">") +
            point(end, "      <trkpt lon=\"10.1\">", "        <ele>lat=\"45.2\"</ele>") +
            point(end, "      <trkpt lat=\"45.123456789\" lon=\"9.1\">") +
            point(end, "      <trkpt lat='45.5' lon='10.5'>") +
            point(end, "", "", "        <time>10:00:07</time>") +
            point(end, "", "", "        <time>2019-08-10T10:00:08</time>") +
            point(end, "", "", "        <time>2019-08-10T10:00:09.5Z</time>") +
            point(end, "", "", "        <time>2019-08-10T25:00:09Z</time>") +
            point(end, "", "         <ele>12.5</ele>") + point(end, "", "        <ele>12.5</ele>\t") +
            point(end, "", "", "        <time>2019-08-10T10:00:10Z</time> ") +
            point(end, "      <trkpt lat=\"50.5\" lon=\"10.5\">") + point(end) + point(end);
        const RunResult whole = run(input, input.size());
        ASSERT_GE(whole.points.size(), 15u);
        const RunResult parts = run(input, 1);
        EXPECT_EQ(parts.output, whole.output);
        EXPECT_EQ(parts.points, whole.points);
    }
}

}  // namespace
}  // namespace lurendo
