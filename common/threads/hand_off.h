// A bounded queue of items between one producing and one consuming thread. A full queue makes the producer
// wait, which bounds how far it runs ahead; an empty one makes the consumer wait. Either side can end the
// exchange without leaving the other waiting. Its places are made with the queue, so pushing never
// allocates: a thread that only gives back what it was given cannot fail for want of memory.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "common/threads/threads.h"

namespace lurendo {

template <typename T>
class HandOff {
  public:
    explicit HandOff(size_t capacity)
        : capacity_(capacity), places_(std::make_unique<std::optional<T>[]>(capacity)) {}
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

    // Waits while the queue is full. False when the consumer has gone: the item is dropped.
    bool push(T item) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return count_ < capacity_ || consumer_gone_; });
            if (consumer_gone_)
                return false;
            places_[(first_ + count_) % capacity_].emplace(std::move(item));
            ++count_;
        }
        changed_.notify_all();
        return true;
    }

    // Waits for the next item. Empty when the producer has closed the queue and every item is taken, or
    // when `stop` is requested.
    std::optional<T> pop(StopToken stop = {}) {
        std::optional<T> item;
        {
            std::unique_lock lock(mutex_);
            if (!wait_for_item(lock, stop) || count_ == 0)
                return std::nullopt;
            std::optional<T>& place = places_[first_];
            item.emplace(std::move(*place));
            place.reset();
            first_ = (first_ + 1) % capacity_;
            --count_;
        }
        changed_.notify_all();
        return item;
    }

    // The producer: no more items come.
    void close() { set(closed_); }
    // The consumer: it takes nothing more, so the producer must never wait for it again.
    void consumer_gone() { set(consumer_gone_); }

  private:
    bool wait_for_item(std::unique_lock<std::mutex>& lock, const StopToken& stop) {
        const auto ready = [&] { return count_ > 0 || closed_; };
#if defined(__cpp_lib_jthread)
        return changed_.wait(lock, stop, ready);
#else
        changed_.wait(lock, ready);
        return !stop.stop_requested();
#endif
    }
    void set(bool& flag) {
        {
            const std::lock_guard lock(mutex_);
            flag = true;
        }
        changed_.notify_all();
    }

    const size_t capacity_;
    std::mutex mutex_;
    std::condition_variable_any changed_;         // the _any kind waits on a stop_token as well
    std::unique_ptr<std::optional<T>[]> places_;  // a ring: count_ items from first_ on
    size_t first_ = 0;
    size_t count_ = 0;
    bool closed_ = false;
    bool consumer_gone_ = false;
};

}  // namespace lurendo
