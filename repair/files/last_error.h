// The cause of the system call that has just failed, as an error code: errno read right after the call,
// before anything else can change it.
#pragma once

#include <cerrno>
#include <system_error>

namespace lurendo {

inline std::error_code last_error() {
    return {errno, std::system_category()};
}

}  // namespace lurendo
