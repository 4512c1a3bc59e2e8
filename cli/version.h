// The version lurendo-cli reports.
#pragma once

namespace lurendo::cli {

inline constexpr char kVersioneCli[] = "1.00";

}  // namespace lurendo::cli
