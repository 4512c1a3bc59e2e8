// Progress on a terminal: the line count, rewritten in place a few times a second.
#pragma once

#include <chrono>
#include <string>

namespace lurendo::cli {

class RigaAvanzamento {
  public:
    RigaAvanzamento();  // shows nothing unless standard error is a terminal
    void mostra(const std::string& text);
    void finish();  // ends the line, if one was shown

  private:
    bool enabled_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_{};
};

}  // namespace lurendo::cli
