// Each completed point read, judged, written and stored.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "repair/point_pipeline.h"
#include "test_support.h"

namespace lurendo {
namespace {

TEST(PointPipeline, KeptPointsAreStoredAndWrittenDroppedOnesMarkTheNextUnreadableOnesLeaveNoTrace) {
    std::string bytes;
    OutputWriter output(std::make_unique<test::StringOutput>(bytes));
    PointStore store;
    PointPipeline pipeline(output, store);
    const auto point = [](const char* lat, const char* time) {
        return std::string("<trkpt lat=\"") + lat + "\" lon=\"10.5\"><time>2009-07-14T" + time +
               "Z</time></trkpt>";
    };
    pipeline.blocco_completo(PointText::of_block(point("45.5", "10:00:00")), std::nullopt);
    pipeline.blocco_completo(PointText::of_block(point("46.5", "10:00:01")),
                             std::nullopt);  // a jump: dropped
    pipeline.blocco_completo(PointText::of_block(point("x", "10:00:02")),
                             std::nullopt);  // unreadable: no entry at all
    // Beside the dropped one, far from the kept one.
    pipeline.blocco_completo(PointText::of_block(point("46.5", "10:00:03")), std::nullopt);
    ASSERT_TRUE(output.finish());

    EXPECT_EQ(pipeline.blocchi(), 4);
    ASSERT_EQ(store.n_punti(), 2);
    EXPECT_FALSE(store.salto_prima(1));
    EXPECT_TRUE(store.salto_prima(2));
    EXPECT_EQ(store.lat_punto(2), 46'500'000'000);
    test::expect_time(store.ora_punto(2), 10, 0, 3);
    EXPECT_EQ(bytes, point("45.5", "10:00:00").substr(0, 62) + "\r\n</trkpt>\r\n\r\n" +
                         point("46.5", "10:00:03").substr(0, 62) + "\r\n</trkpt>\r\n");
}

}  // namespace
}  // namespace lurendo
