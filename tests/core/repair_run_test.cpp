// The repair run over whole input files: which lines make a point, what the output holds, the line count.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace lurendo {
namespace {

using test::canonical_document;
using test::canonical_point;
using test::repaired_document;
using ::testing::ElementsAre;

const std::string kA = canonical_point("45.512345678", "10.712345678", "15:04:01");
const std::string kB = canonical_point("45.512545678", "10.712545678", "15:04:05");
const std::string kC = canonical_point("45.512595678", "10.712595678", "15:04:09");

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    for (size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size())
        text.replace(pos, from.size(), to);
    return text;
}

size_t count_of(const std::string& text, const std::string& key) {
    size_t n = 0;
    for (size_t pos = 0; (pos = text.find(key, pos)) != std::string::npos; pos += key.size())
        ++n;
    return n;
}

class RepairRun : public ::testing::Test {
  protected:
    test::RunCapture run(const std::string& input) { return test::run_bytes(dir, input); }

    test::TempDir dir;
};

TEST_F(RepairRun, TheLineCountGoesPast32767) {
    std::string input;
    for (int i = 0; i < 39999; ++i)
        input += "<x/>\r\n";
    input += "<trkpt lat=\"45.5\" lon=\"10.5\"/>\r\n";
    const test::RunCapture r = run(input);
    EXPECT_EQ(r.report.righe, 40000);
    ASSERT_GE(r.statuses.size(), 2u);
    EXPECT_EQ(r.statuses[r.statuses.size() - 2], "Righe elaborate: 40000");
    EXPECT_EQ(r.statuses.back(), "Procedura eseguita. File: " + dir.file("out.gpx"));
}

TEST_F(RepairRun, DroppedPointsLeaveAnEmptyLineEach) {
    const std::string jump = canonical_point("45.612345678", "10.712345678", "15:04:02");
    const std::string back = canonical_point("45.512445678", "10.712445678", "15:04:03");
    const test::RunCapture r = run(canonical_document(kA + jump + back + kB));
    EXPECT_EQ(r.output, repaired_document(kA + "\r\n" + "\r\n" + kB));
}

TEST_F(RepairRun, LinesWithoutTrkptEleOrTimeDoNotReachThePoint) {
    const std::string with_extras = replace_all(
        kA, "      </trkpt>", "        <sat>7</sat>\r\n        <hdop>1.2</hdop>\r\n      </trkpt>");
    const test::RunCapture r = run(canonical_document(with_extras));
    EXPECT_EQ(r.output, repaired_document(kA));
}

TEST_F(RepairRun, APointOnOneLineIsLaidOutLikeOneWrittenOverFourLines) {
    const test::RunCapture r = run(canonical_document(replace_all(kA, "\r\n", "") + "\r\n" + kB));
    EXPECT_EQ(r.output, repaired_document(kA + kB));
    EXPECT_EQ(r.report.righe, 12);
}

TEST_F(RepairRun, AStartTagWithoutEndTagIsLostWhenTheNextPointStarts) {
    const std::string unterminated = "      <trkpt lat=\"45.5\" lon=\"10.5\">\r\n        <ele>1</ele>\r\n";
    const test::RunCapture r = run(canonical_document(unterminated + kA + unterminated));
    EXPECT_EQ(r.output, repaired_document(kA));
    EXPECT_EQ(r.store.n_punti(), 1);
    EXPECT_EQ(r.store.lat_punto(1), 45512345678.0);
}

TEST_F(RepairRun, AnEndTagWithNoPointOpenHasNoEffect) {
    const test::RunCapture r = run(canonical_document("      </trkpt>\r\n" + kA + "      </trkpt>\r\n" + kB));
    EXPECT_EQ(r.output, repaired_document(kA + kB));
    EXPECT_EQ(r.store.n_punti(), 2);
}

TEST_F(RepairRun, TagsInCapitalsAreNotPoints) {
    const std::string capital = replace_all(replace_all(kA, "<trkpt", "<TRKPT"), "</trkpt>", "</TRKPT>");
    const test::RunCapture r = run(canonical_document(capital + kB));
    EXPECT_EQ(r.output, repaired_document(kB));
    EXPECT_EQ(r.store.n_punti(), 1);
}

TEST_F(RepairRun, ATimeOutsideAnyPointIsIgnored) {
    const std::string metadata = "  <metadata>\r\n    <time>2009-07-14T11:11:11Z</time>\r\n  </metadata>\r\n";
    const test::RunCapture r = run(metadata + canonical_document(kA + kB));
    EXPECT_EQ(r.output, repaired_document(kA + kB));
    EXPECT_EQ(r.store.ora_punto(1).ore, 15);
    EXPECT_EQ(r.store.ora_punto(1).secondi, 1);
}

TEST_F(RepairRun, BytesOfAKeptPointPassUnchanged) {
    const std::string odd = "      <trkpt lat=\"45.5\" lon=\"10.5\" note=\"citt\xc3\xa0 \xff\"></trkpt>\r\n";
    const test::RunCapture r = run(canonical_document(odd));
    EXPECT_EQ(r.output, repaired_document(odd));
}

// A coordinate that cannot be read gives no entry at all, not even an empty line, and no stored point.
TEST_F(RepairRun, UnreadableCoordinatesGiveNoEntry) {
    std::string bad;
    for (const auto& [lat, lon] :
         {std::pair{"1e5", "10.5"}, std::pair{"nan", "10.5"}, std::pair{"inf", "10.5"},
          std::pair{"0x10", "10.5"}, std::pair{"45,5", "10.5"}, std::pair{"91", "10.5"},
          std::pair{"45.5", "181"}, std::pair{"45.5", "-180.000000001"}, std::pair{"", "10.5"}})
        bad += canonical_point(lat, lon, "15:04:02");
    bad += "      <trkpt lat=45.5 lon=\"10.5\">\r\n      </trkpt>\r\n";
    bad += "      <trkpt lat=\"45.5 lon=\"10.5\">\r\n      </trkpt>\r\n";
    const test::RunCapture r = run(canonical_document(kA + bad + kB));
    EXPECT_EQ(r.output, repaired_document(kA + kB));
    EXPECT_EQ(r.store.n_punti(), 2);
}

TEST_F(RepairRun, CoordinatesInAnyCommonFormAreKeptAndStoredAtTheirScale) {
    const std::string points = canonical_point("-33.123456789", "151.123456789", "10:00:00") +
                               canonical_point("-33.1234", "151.1234", "10:00:01") +
                               canonical_point("-33.12345678999", "151.12345678999", "10:00:02") +
                               canonical_point("-33.123456789", "9.5", "10:00:03") +
                               "      <trkpt lat='-33.02' lon=' 9.5 '></trkpt>\r\n";
    const test::RunCapture r = run(canonical_document(points));
    // The fourth and fifth points jump in longitude and latitude: they leave empty lines.
    EXPECT_EQ(r.output, repaired_document(canonical_point("-33.123456789", "151.123456789", "10:00:00") +
                                          canonical_point("-33.1234", "151.1234", "10:00:01") +
                                          canonical_point("-33.12345678999", "151.12345678999", "10:00:02") +
                                          "\r\n\r\n"));
    ASSERT_EQ(r.store.n_punti(), 3);
    EXPECT_EQ(r.store.lat_punto(1), -33123456789.0);
    EXPECT_EQ(r.store.lon_punto(1), 151123456789.0);
    EXPECT_EQ(r.store.lat_punto(2), -33123400000.0);
    EXPECT_EQ(r.store.lon_punto(3), 151123456789.0);

    const std::string near_greenwich = canonical_point("9.713045678", "0.5", "10:00:00") +
                                       "      <trkpt lat='9.7131' lon=' 0.5001 '></trkpt>\r\n";
    const test::RunCapture r2 = run(canonical_document(near_greenwich));
    EXPECT_EQ(r2.output, repaired_document(near_greenwich));
    EXPECT_EQ(r2.store.lat_punto(1), 9713045678);
    EXPECT_EQ(r2.store.lon_punto(2), 500100000);
}

TEST_F(RepairRun, LfOnlyAndCrOnlyFilesAreReadLikeCrLfFiles) {
    const std::string crlf = canonical_document(kA + kB + kC);
    for (const char* end : {"\n", "\r"}) {
        const test::RunCapture r = run(replace_all(crlf, "\r\n", end));
        EXPECT_EQ(r.output, repaired_document(kA + kB + kC)) << (end[0] == '\n' ? "LF" : "CR");
        EXPECT_EQ(r.report.righe, 19);
        EXPECT_EQ(r.store.n_punti(), 3);
    }
}

TEST_F(RepairRun, LineEndsAreCrLfCrOrLfAndLfCrIsTwo) {
    EXPECT_EQ(run("a\n\rb").report.righe, 3);
    EXPECT_EQ(run("a\r\n\r\nb").report.righe, 3);
    EXPECT_EQ(run("a\r\r\nb\n\n").report.righe, 4);
    EXPECT_EQ(run("a\r\nb").report.righe, 2) << "a last line without an end counts";
    EXPECT_EQ(run("a\r\nb\r\n").report.righe, 2) << "an end at the very end adds no line";
    EXPECT_EQ(run("\n").report.righe, 1);
}

TEST_F(RepairRun, APointWithMixedLineEndsIsTheSamePoint) {
    const std::string mixed = replace_all(kA, "\r\n        <ele>", "\n        <ele>");
    const test::RunCapture r =
        run(canonical_document(replace_all(mixed, "\r\n      </trkpt>", "\r      </trkpt>")));
    EXPECT_EQ(r.output, repaired_document(kA));
}

TEST_F(RepairRun, AnEndTagAndTheNextStartTagOnOneLineKeepBothPoints) {
    const std::string joined_tags = replace_all(
        kA, "      </trkpt>\r\n", "      </trkpt><trkpt lat=\"45.512545678\" lon=\"10.712545678\">\r\n");
    const std::string second_rest =
        "        <ele>65.000000</ele>\r\n        <time>2009-07-14T15:04:05Z</time>\r\n      </trkpt>\r\n";
    const test::RunCapture r = run(canonical_document(joined_tags + second_rest));
    EXPECT_EQ(r.output,
              repaired_document(kA + "<trkpt lat=\"45.512545678\" lon=\"10.712545678\">\r\n" + second_rest));
    EXPECT_EQ(r.store.n_punti(), 2);
}

TEST_F(RepairRun, AMinifiedOneLineFileKeepsEveryPoint) {
    const std::string input =
        "<?xml version=\"1.0\"?><gpx version=\"1.1\" creator=\"x\"><trk><trkseg>"
        "<trkpt lat=\"45.512345678\" "
        "lon=\"10.712345678\"><ele>65</ele><time>2009-07-14T15:04:01Z</time></trkpt>"
        "<trkpt lat=\"45.512545678\" "
        "lon=\"10.712545678\"><ele>66</ele><time>2009-07-14T15:04:05Z</time></trkpt>"
        "</trkseg></trk></gpx>";
    const test::RunCapture r = run(input);
    EXPECT_EQ(r.output, repaired_document("<trkpt lat=\"45.512345678\" lon=\"10.712345678\"><ele>65</ele>\r\n"
                                          "<time>2009-07-14T15:04:01Z</time>\r\n</trkpt>\r\n"
                                          "<trkpt lat=\"45.512545678\" lon=\"10.712545678\"><ele>66</ele>\r\n"
                                          "<time>2009-07-14T15:04:05Z</time>\r\n</trkpt>\r\n"));
    EXPECT_EQ(r.report.righe, 1);
    EXPECT_EQ(r.store.n_punti(), 2);
    EXPECT_DOUBLE_EQ(r.report.totali->tempo_tot, 4);
    EXPECT_DOUBLE_EQ(r.report.totali->dist_tot, 24.5 / 3.6 * 4);
}

TEST_F(RepairRun, ASegmentTagBeforeAStartTagStaysOutOfThePoint) {
    const std::string input =
        replace_all(canonical_document(kA), "    <trkseg>\r\n      <trkpt", "    <trkseg><trkpt");
    const test::RunCapture r = run(input);
    EXPECT_EQ(r.output, repaired_document(kA.substr(6)));
    EXPECT_EQ(count_of(r.output, "<trkseg>"), 1u);
}

TEST_F(RepairRun, ExtensionsOpenedBehindTheTimeDoNotLeaveAnOpenTag) {
    const std::string with_extensions =
        replace_all(kA, "</time>\r\n",
                    "</time><extensions>\r\n          <gpxtpx:TrackPointExtension><gpxtpx:hr>120</gpxtpx:hr>"
                    "</gpxtpx:TrackPointExtension>\r\n        </extensions>\r\n");
    const test::RunCapture r = run(canonical_document(with_extensions));
    EXPECT_EQ(r.output, repaired_document(kA));
}

TEST_F(RepairRun, SelfClosingPointsAreWrittenAndStored) {
    const std::string points =
        "      <trkpt lat=\"45.5\" lon=\"10.5\"/>\r\n"
        "      <trkpt lat=\"45.5001\" lon=\"10.5001\" />\r\n"
        "      <trkpt lat=\"45.5002\" lon=\"10.5002\"/><trkpt lat=\"45.5003\" lon=\"10.5003\"/>\r\n";
    const std::string next = canonical_point("45.5004", "10.5004", "15:04:05");
    const test::RunCapture r = run(canonical_document(points + next));
    EXPECT_EQ(r.output, repaired_document("      <trkpt lat=\"45.5\" lon=\"10.5\"/>\r\n"
                                          "      <trkpt lat=\"45.5001\" lon=\"10.5001\" />\r\n"
                                          "      <trkpt lat=\"45.5002\" lon=\"10.5002\"/>\r\n"
                                          "<trkpt lat=\"45.5003\" lon=\"10.5003\"/>\r\n" +
                                          next));
    ASSERT_EQ(r.store.n_punti(), 5);
    EXPECT_EQ(r.store.lat_punto(1), 45500000000.0);
    EXPECT_EQ(r.store.lon_punto(4), 10500300000.0);
    EXPECT_FALSE(r.store.ora_punto(4).leggibile);
    EXPECT_EQ(r.store.lat_punto(5), 45500400000.0);
}

}  // namespace
}  // namespace lurendo
