// A few spare pieces of memory passed from one thread that is done with them to another that can reuse
// them. Each place passes one piece by a single atomic exchange, so neither thread ever waits for the
// other; a piece that finds every place taken stays with the thread that offered it. The pool owns nothing:
// whoever holds it takes back and frees what is left in it.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace lurendo {

template <typename T, size_t kPlaces>
class SparePool {
  public:
    SparePool() = default;
    SparePool(const SparePool&) = delete;
    SparePool& operator=(const SparePool&) = delete;

    // Keeps `piece` (not null) for another thread; false when every place is taken.
    bool give(T* piece) {
        for (std::atomic<T*>& place : places_) {
            T* empty = nullptr;
            if (place.compare_exchange_strong(empty, piece, std::memory_order_release,
                                              std::memory_order_relaxed))
                return true;
        }
        return false;
    }
    // A piece kept earlier, or null when there is none. What the giving thread wrote into it is visible.
    T* take() {
        for (std::atomic<T*>& place : places_) {
            // A plain look first: an empty place costs no exchange.
            if (place.load(std::memory_order_relaxed) != nullptr) {
                if (T* piece = place.exchange(nullptr, std::memory_order_acquire))
                    return piece;
            }
        }
        return nullptr;
    }

  private:
    std::array<std::atomic<T*>, kPlaces> places_{};
};

}  // namespace lurendo
