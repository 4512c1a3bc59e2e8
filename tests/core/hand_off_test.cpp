// The queue every pair of threads in a run passes work through: order, the bound on how far a producer
// runs ahead, and the three ways an exchange ends without leaving a thread waiting for ever.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "common/hand_off.h"

namespace lurendo {
namespace {

TEST(HandOff, EveryItemArrivesInOrderAndTheProducerNeverRunsMoreThanTheCapacityAhead) {
    HandOff<int> queue(3);
    std::atomic<int> pushed = 0;
    std::jthread producer([&] {
        for (int i = 0; i < 1000; ++i) {
            ASSERT_TRUE(queue.push(i));
            pushed = i + 1;
        }
        queue.close();
    });
    std::vector<int> taken;
    while (std::optional<int> item = queue.pop()) {
        // The producer may have pushed what is taken, what waits (at most 3), and one it is handing over.
        EXPECT_LE(pushed.load(), static_cast<int>(taken.size()) + 1 + 3 + 1);
        taken.push_back(*item);
        if (taken.size() % 100 == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));  // the producer fills the queue
    }
    ASSERT_EQ(taken.size(), 1000u);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(taken[static_cast<size_t>(i)], i);
}

TEST(HandOff, AConsumerThatGoesReleasesAProducerWaitingOnAFullQueue) {
    HandOff<int> queue(1);
    ASSERT_TRUE(queue.push(1));
    std::jthread producer([&] { EXPECT_FALSE(queue.push(2)); });  // waits: the queue is full
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    queue.consumer_gone();
    producer.join();
    EXPECT_FALSE(queue.push(3));
}

TEST(HandOff, AStopOrAClosedQueueReleasesAWaitingConsumer) {
    HandOff<int> stopped(2);
    std::jthread consumer([&](std::stop_token stop) { EXPECT_FALSE(stopped.pop(stop).has_value()); });
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    consumer.request_stop();
    consumer.join();

    HandOff<int> closed(2);
    ASSERT_TRUE(closed.push(5));
    closed.close();
    EXPECT_EQ(closed.pop(), 5);  // what was pushed before closing still arrives
    EXPECT_FALSE(closed.pop().has_value());
    EXPECT_FALSE(closed.try_pop().has_value());
}

}  // namespace
}  // namespace lurendo
