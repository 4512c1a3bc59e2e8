// The one way the threads of a run pass work to each other: a bounded queue between one producing and one
// consuming thread. A full queue makes the producer wait, which bounds how far it runs ahead; an empty one
// makes the consumer wait. Either side can end the exchange without leaving the other waiting.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <utility>

#include "common/threads.h"

namespace lurendo {

template <typename T>
class HandOff {
  public:
    explicit HandOff(size_t capacity) : capacity_(capacity) {}
    HandOff(const HandOff&) = delete;
    HandOff& operator=(const HandOff&) = delete;

    // Waits while the queue is full. False when the consumer has gone: the item is dropped.
    bool push(T item) {
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [&] { return items_.size() < capacity_ || consumer_gone_; });
            if (consumer_gone_)
                return false;
            items_.push_back(std::move(item));
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
            if (!wait_for_item(lock, stop) || items_.empty())
                return std::nullopt;
            item.emplace(std::move(items_.front()));
            items_.pop_front();
        }
        changed_.notify_all();
        return item;
    }

    // The next item if one is waiting, without waiting for it.
    std::optional<T> try_pop() {
        std::optional<T> item;
        {
            const std::lock_guard lock(mutex_);
            if (items_.empty())
                return std::nullopt;
            item.emplace(std::move(items_.front()));
            items_.pop_front();
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
        const auto ready = [&] { return !items_.empty() || closed_; };
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
    std::condition_variable_any changed_;  // the _any kind waits on a stop_token as well
    std::deque<T> items_;
    bool closed_ = false;
    bool consumer_gone_ = false;
};

}  // namespace lurendo
