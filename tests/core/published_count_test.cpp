// The count a producing thread publishes to a consuming one: the consumer sees every item published before
// the count it was given, the producer never runs more than the bound ahead of what the consumer reported,
// and neither side is left waiting when the other closes or stops.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "common/threads/published_count.h"

namespace lurendo {
namespace {

using namespace std::chrono_literals;

TEST(PublishedCount, TheConsumerSeesEveryItemAndTheProducerStaysWithinTheBound) {
    constexpr int64_t kItems = 20'000;
    constexpr int64_t kBound = 300;
    std::vector<int64_t> items(kItems, -1);
    PublishedCount count(kBound);
    std::atomic<int64_t> reported = 0;  // set before the consumer reports, so never above what it told
    std::atomic<int64_t> worst_lead = 0;
    std::jthread producer([&] {
        for (int64_t i = 0; i < kItems; ++i) {
            items[static_cast<size_t>(i)] = i * 7;
            if (i % 37 == 36) {
                count.publish(i + 1);
                const int64_t lead = i + 1 - reported.load();
                if (lead > worst_lead)
                    worst_lead = lead;
            }
        }
        count.close(kItems);
    });
    int64_t seen = 0;
    for (int round = 1;; ++round) {
        const int64_t ready = count.wait_for(seen + 1);
        if (ready <= seen)
            break;
        for (; seen < ready; ++seen)
            ASSERT_EQ(items[static_cast<size_t>(seen)], seen * 7)
                << "item " << seen << " read before it was written";
        if (round % 10 == 0)
            std::this_thread::sleep_for(200us);  // the producer runs ahead and must wait
        reported = seen;
        count.consumed(seen);
    }
    producer.join();
    EXPECT_EQ(seen, kItems);
    EXPECT_LE(worst_lead, kBound);
    EXPECT_GT(worst_lead, kBound / 2) << "the consumer's pauses should let the producer reach the bound";
}

TEST(PublishedCount, AProducerAheadByMoreThanTheBoundWaitsUntilTheConsumerReportsOrStops) {
    for (const bool stop : {false, true}) {
        PublishedCount count(10);
        std::atomic<bool> returned = false;
        std::jthread producer([&] {
            count.publish(11);
            returned = true;
            if (stop)
                count.publish(1000);  // a consumer that has stopped is never waited for again
        });
        std::this_thread::sleep_for(20ms);
        EXPECT_FALSE(returned.load()) << "11 items are more than 10 ahead of none consumed";
        EXPECT_EQ(count.wait_for(11), 11);  // what is published can be read while the producer waits
        if (stop)
            count.consumer_stopped();
        else
            count.consumed(1);
        producer.join();
        EXPECT_TRUE(returned.load());
    }
}

TEST(PublishedCount, ClosingReleasesAWaitingConsumerWithTheFinalCount) {
    PublishedCount count(100);
    count.publish(5);
    EXPECT_EQ(count.wait_for(3), 5);  // enough published: no wait, and the whole count
    std::atomic<int64_t> got = -1;
    std::jthread consumer([&] { got = count.wait_for(50); });
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(got.load(), -1) << "only 5 of the 50 asked for are published";
    count.close(8);
    consumer.join();
    EXPECT_EQ(got.load(), 8);
    EXPECT_EQ(count.wait_for(1000), 8);  // closed: never waits again
}

}  // namespace
}  // namespace lurendo
