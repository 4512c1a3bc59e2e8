// The four-line point that the reader takes whole: every plain point of a plain file goes that way, and
// every layout near it, plain or not, must give the same blocks, device speeds, line count, output and stored
// points as the general way, which a reader fed byte by byte always takes.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "bench/track_generator.h"
#include "repair/point_pipeline.h"
#include "repair/read/block_assembler.h"
#include "repair/read/line_reader.h"
#include "repair/read/track_point.h"
#include "repair/store/point_store.h"
#include "repair/write/output_writer.h"
#include "test_support.h"

namespace lurendo {
namespace {

// The way a point took through the reading, as the point's text shows it: the general way, piece by piece;
// or recognised as a plain point and handed on to be joined, or as its lines, or as the stretch of input
// that already is its entry.
enum class Route { General, PlainJoined, Lines, Verbatim };

Route route_of(const PointText& text) {
    if (!text.tags)
        return Route::General;
    switch (text.form) {
        case PointText::Form::Joined:
            return Route::PlainJoined;
        case PointText::Form::Lines:
            return Route::Lines;
        case PointText::Form::Verbatim:
            return Route::Verbatim;
    }
    return Route::General;
}

// Keeps each point's block, speed, route, and what the point reader makes of it.
struct Seen final : BlockSink {
    void blocco_completo(const PointText& text, std::optional<double> velocita_gps) override {
        std::string& block = blocks.emplace_back();
        for (size_t i = 0; i < text.part_count; ++i)
            block += text.parts[i];
        speeds.push_back(velocita_gps);
        routes.push_back(route_of(text));
        const PuntoLetto& punto = reader.leggi(text, velocita_gps);
        std::string entry;
        scrivi_disposto(punto, entry);
        read.push_back(entry + " " + std::to_string(punto.lat.value_or(-1)) + " " +
                       std::to_string(punto.lon.value_or(-1)) + " " + std::to_string(punto.ora.ore) + ":" +
                       std::to_string(punto.ora.minuti) + ":" + std::to_string(punto.ora.secondi) +
                       (punto.ora.leggibile ? "" : " ?"));
    }
    LettorePunti reader;
    std::vector<std::string> blocks;
    std::vector<std::optional<double>> speeds;
    std::vector<Route> routes;
    std::vector<std::string> read;
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

// The layouts near the plain one, with every line ended by `end`, each with the way it goes through the
// reading when its lines end in CR LF (with other ends, Lines instead of Verbatim): a line the plain point
// does not allow goes the general way; an element line indented otherwise than by eight blanks, or with
// blanks after it, is read from the block joined.
std::vector<std::pair<std::string, Route>> near_layouts(const std::string& end) {
    return {
        {point(end), Route::Verbatim},
        {point(end, "      <trkpt\tlat=\"45.1\" lon=\"10.1\">"), Route::General},
        {point(end, "      <trkpt lat=\"45.1\" lon=\"10.1\"/>"), Route::General},
        {point(end, "      <trkpt lat=\"45>1\" lon=\"10.1\">"), Route::General},
        {point(end, "", "        <ele>1<b/></ele>"), Route::General},
        {point(end, "", "  <ele>12.5</ele>"), Route::PlainJoined},
        {point(end, "", "        <ele>12.5</ele>   "), Route::PlainJoined},
        {point(end, "      <trkpt lat=\"45.1\" lon=\"10.1\" id=\"d\">"), Route::Verbatim},
        {point(end, "", "", "        <time>2019-08-10T10:00:02Z</time>" + end + "<speed>4.5</speed>"),
         Route::Lines},
        {point(end, "", "", "        <time>2019-08-10T10:00:03Z</time><speed>5.5</speed>"), Route::General},
        {point(end, "", "", "", end + "      </trkpt>"), Route::General},
        {point(end, "      <trkpt lat=\"45.123456789012345678901234567890\" lon=\"10.12345678901234567\">"),
         Route::General},
        {point(end, "", "", "", "      </trkpt> <trkpt lat=\"1\" lon=\"2\">"), Route::General},
        {point(end, "", "", "", "</trkpt>"), Route::Verbatim},
        {point(end, "", "<ele>3</ele>", "  <time>2019-08-10T10:00:04.25Z</time>"), Route::PlainJoined},
        {point(end, "      <trkpt lat=\"45.1\" lon=\"10.1\">        ", "<ele>4</ele>", "<time>bad</time>"),
         Route::PlainJoined},
        {point(end, "", "\t<ele>5</ele>", "            <time>2019-08-10T10:00:05Z</time>", "\t \t</trkpt>"),
         Route::PlainJoined},
    };
}

std::string near_layouts_joined(const std::string& end) {
    std::string text;
    for (const auto& [layout, route] : near_layouts(end))
        text += layout;
    return text;
}

// The generated tracks are laid out as nearly every file is: each of their points must take the plain way,
// read from its lines and its entry copied as it stands, or written from its lines where the input's line
// ends or a speed line keep it from being the entry already.
TEST(PlainPoint, EveryPointOfAPlainFileTakesThePlainWay) {
    for (const bool speeds : {false, true}) {
        std::string document;
        bench::write_track({.points = 300, .spikes = 3, .device_speeds = speeds},
                           [&](std::string_view piece) {
                               document += piece;
                               return true;
                           });
        ASSERT_LT(document.size(), LineReader::kIndexSpan) << "one index span: no point straddles two";
        std::string lf_only;
        for (const char c : document) {
            if (c != '\r')
                lf_only += c;
        }
        for (const auto& [input, route] : {std::pair{document, speeds ? Route::Lines : Route::Verbatim},
                                           std::pair{lf_only, Route::Lines}}) {
            const Seen seen = read(input, input.size());
            ASSERT_EQ(seen.routes.size(), 300u);
            for (size_t i = 0; i < seen.routes.size(); ++i)
                ASSERT_EQ(seen.routes[i], route) << "point " << i << (speeds ? " with speeds" : "");
        }
    }
}

// And each layout near the plain one goes the way its layout allows, the plain way only where it is plain.
TEST(PlainPoint, EachLayoutNearThePlainOneGoesTheWayItsLayoutAllows) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        const std::vector<std::pair<std::string, Route>> layouts = near_layouts(end);
        for (size_t i = 0; i < layouts.size(); ++i) {
            // A line after the point, so that its last line end is not the last byte read.
            const std::string input = layouts[i].first + "    </trkseg>" + end;
            const Route expected =
                end != "\r\n" && layouts[i].second == Route::Verbatim ? Route::Lines : layouts[i].second;
            const Seen seen = read(input, input.size());
            ASSERT_EQ(seen.routes.size(), 1u) << "layout " << i;
            EXPECT_EQ(seen.routes[0], expected)
                << "layout " << i << ", line end " << static_cast<int>(end.back());
        }
    }
}

TEST(PlainPoint, EveryLayoutNearThePlainOneReadsAsTheGeneralWayReadsIt) {
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        SCOPED_TRACE(testing::Message() << "line end " << static_cast<int>(end.back()));
        const std::string input = near_layouts_joined(end);
        const Seen whole = read(input, input.size());
        ASSERT_GE(whole.blocks.size(), 13u);
        EXPECT_EQ(whole.speeds[8], 4.5);
        EXPECT_EQ(whole.speeds[9], 5.5);
        for (const size_t block : {1u, 7u, 100u}) {
            SCOPED_TRACE(block);
            const Seen parts = read(input, block);
            if (block == 1) {
                EXPECT_EQ(parts.routes, std::vector<Route>(parts.routes.size(), Route::General));
            }
            EXPECT_EQ(parts.blocks, whole.blocks);
            EXPECT_EQ(parts.speeds, whole.speeds);
            EXPECT_EQ(parts.read, whole.read);
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
            near_layouts_joined(end) + point(end, "      <trkpt lat=\"x\" lon=\"10.1\">") +
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
