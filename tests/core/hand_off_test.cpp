// The bounded queue between two threads: order, the bound on how far a producer runs ahead, the three ways
// an exchange ends without leaving a thread waiting for ever, and items that own memory passing whole.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "common/threads/hand_off.h"

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
    EXPECT_FALSE(closed.pop().has_value());  // and stays empty
}

// Items that own memory go round the queue's ring many times: each arrives once, whole, and what is left in
// the queue when it goes is freed (a leak or a double free shows under the sanitizers).
TEST(HandOff, ItemsThatOwnMemoryArriveOnceAndWhatIsLeftIsFreed) {
    HandOff<std::unique_ptr<int>> queue(2);
    for (int i = 0; i < 7; ++i) {
        ASSERT_TRUE(queue.push(std::make_unique<int>(i)));
        const std::optional<std::unique_ptr<int>> item = queue.pop();
        ASSERT_TRUE(item.has_value() && *item);
        EXPECT_EQ(**item, i);
    }
    ASSERT_TRUE(queue.push(std::make_unique<int>(7)));
    ASSERT_TRUE(queue.push(std::make_unique<int>(8)));
    EXPECT_EQ(*queue.pop().value(), 7);
}

}  // namespace
}  // namespace lurendo
