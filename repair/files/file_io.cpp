#include "repair/files/file_io.h"

namespace lurendo {

namespace {

// The one code of failures without a known cause; it names no cause of the system's, so no words go with it.
class UnexplainedCategory final : public std::error_category {
  public:
    const char* name() const noexcept override { return "lurendo-files"; }
    std::string message(int) const override { return "cause unknown"; }
};

}  // namespace

std::error_code unexplained_failure() {
    static const UnexplainedCategory category;
    return {1, category};
}

}  // namespace lurendo
