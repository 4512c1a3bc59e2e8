// What the store keeps of the points the filter lets through.
#include <gtest/gtest.h>

#include <cstdio>

#include "repair/store/point_store.h"
#include "test_support.h"

namespace lurendo {
namespace {

TEST(PointStore, KeepsEveryPointWithoutAFixedCapacity) {
    PointStore store;
    char lat[24];
    for (int i = 1; i <= 70000; ++i) {
        std::snprintf(lat, sizeof lat, "1.%09d", i);
        test::store_point(store, lat, "-1", "00:00:00");
    }
    EXPECT_EQ(store.n_punti(), 70000);
    EXPECT_EQ(store.lat_punto(1), 1000000001);
    EXPECT_EQ(store.lat_punto(65537), 1000065537);
    EXPECT_EQ(store.lat_punto(70000), 1000070000);
    EXPECT_EQ(store.lon_punto(70000), -1'000'000'000);
}

}  // namespace
}  // namespace lurendo
