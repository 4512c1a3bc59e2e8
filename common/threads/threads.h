// Whether a run may start helper threads, and the thread and stop token it starts them with. A WebAssembly
// build without shared memory has none: the run then reads, writes and computes its statistics on its own
// thread, in the same order and with the same results.
#pragma once

#include <cstdlib>
#include <version>

#include "common/portability.h"

#if defined(__cpp_lib_jthread)
#include <stop_token>
#include <thread>
#endif

namespace lurendo {

#if defined(LURENDO_NO_THREADS)
inline constexpr bool kHelperThreads = false;
#else
inline constexpr bool kHelperThreads = true;
#endif

#if defined(__cpp_lib_jthread)
using HelperThread = std::jthread;  // joins on destruction, and asks its function to stop first
using StopToken = std::stop_token;
#else
static_assert(!kHelperThreads, "helper threads need std::jthread");
// The WebAssembly toolchain's library has neither std::jthread nor std::stop_token. Runs there start no
// helper thread, so these stand-ins are only compiled, never started.
class StopToken {
  public:
    bool stop_requested() const { return false; }
};
class HelperThread {
  public:
    HelperThread() = default;
    template <typename Function>
    explicit HelperThread(Function&&) {
        std::abort();
    }
    bool joinable() const { return false; }
    void join() {}
    void request_stop() {}
};
#endif

}  // namespace lurendo
