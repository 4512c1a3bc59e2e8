// How many items a producing thread has published to one consuming thread, with the waits both need: the
// consumer waits until the items it wants are published, and the producer waits while it is more than a
// bound ahead of what the consumer has reported consumed, which bounds the memory the items between them
// take. Either side can end the exchange without leaving the other waiting. Only a count passes: the items
// themselves lie where both can read them, and publishing a count makes every item before it visible.
// Builds without helper threads never share items, so nothing there waits.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace lurendo {

class PublishedCount {
  public:
    explicit PublishedCount(int64_t max_ahead) : max_ahead_(max_ahead) {}
    PublishedCount(const PublishedCount&) = delete;
    PublishedCount& operator=(const PublishedCount&) = delete;

    // The producer: the first `count` items may be read. Then waits while `count` is more than the bound
    // ahead of what the consumer has consumed, unless the consumer has stopped.
    void publish(int64_t count) {
        std::unique_lock lock(mutex_);
        published_ = count;
        changed_.notify_all();
        changed_.wait(lock, [&] { return count - consumed_ <= max_ahead_ || consumer_stopped_; });
    }
    // The producer: `count` is the final number of items; a consumer waiting for more stops waiting.
    void close(int64_t count) {
        {
            const std::lock_guard lock(mutex_);
            published_ = count;
            closed_ = true;
        }
        changed_.notify_all();
    }

    // The consumer: waits until at least `at_least` items are published or the producer has closed, and
    // returns the number published.
    int64_t wait_for(int64_t at_least) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return published_ >= at_least || closed_; });
        return published_;
    }
    // The consumer is done with the first `count` items: the producer may run up to the bound beyond them.
    void consumed(int64_t count) {
        {
            const std::lock_guard lock(mutex_);
            consumed_ = count;
        }
        changed_.notify_all();
    }
    // The consumer takes nothing more, for good or by a failure: the producer never waits for it again.
    void consumer_stopped() {
        {
            const std::lock_guard lock(mutex_);
            consumer_stopped_ = true;
        }
        changed_.notify_all();
    }

  private:
    const int64_t max_ahead_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int64_t published_ = 0;
    int64_t consumed_ = 0;
    bool closed_ = false;
    bool consumer_stopped_ = false;
};

}  // namespace lurendo
