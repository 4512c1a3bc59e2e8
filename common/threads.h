// Whether a run may start helper threads. A WebAssembly build without shared memory has none: the run then
// reads, writes and computes its statistics on its own thread, in the same order and with the same results.
#pragma once

namespace lurendo {

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
inline constexpr bool kHelperThreads = false;
#else
inline constexpr bool kHelperThreads = true;
#endif

}  // namespace lurendo
