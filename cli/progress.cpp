#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

namespace lurendo::cli {

namespace {

constexpr auto kInterval = std::chrono::milliseconds(200);

}  // namespace

RigaAvanzamento::RigaAvanzamento() : enabled_(::isatty(STDERR_FILENO) == 1) {}

void RigaAvanzamento::mostra(const std::string& text) {
    if (!enabled_)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < kInterval)
        return;
    last_ = now;
    // Clear to the end of the line: a shorter text must not leave the end of a longer one.
    std::fprintf(stderr, "\r%s\x1b[K", text.c_str());
    std::fflush(stderr);
    shown_ = true;
}

void RigaAvanzamento::finish() {
    if (shown_)
        std::fputs("\n", stderr);
    shown_ = false;
}

}  // namespace lurendo::cli
