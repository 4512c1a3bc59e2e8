// The parts of a path that the machine's file layer takes apart.
#pragma once

#include <string>

namespace lurendo {

// The folder a path names its file in: "." for a bare name, "/" for a file at the root.
std::string directory_of(const std::string& path);

// The last name of a path.
std::string file_name_of(const std::string& path);

// The file a path ends in, its symbolic links followed one by one, even to a file that does not exist yet:
// an output given as a link is written where the link points, and the link stays.
std::string final_target(std::string path);

}  // namespace lurendo
