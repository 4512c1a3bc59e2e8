// What a front end asks of the machine's files before it starts runs: where they may write, and whether a
// target and a track are one file. Standard output is named "-".
#pragma once

#include <string>

namespace lurendo {

inline constexpr const char* kStandardOutput = "-";

// True when both name the same file: the same path, a symbolic or hard link, one directory entry spelt two
// ways in a folder that ignores case, or standard output opened on the other (`>> traccia.gpx`).
bool is_same_file(const std::string& a, const std::string& b);

// True when an output written to `path` goes straight in as it is made: standard output, a device or a
// FIFO (links followed), rather than replacing a file once whole.
bool streamed_output(const std::string& path);

// Creates every missing folder along `path`, durably, as `mkdir -p` does; false when a level cannot be made.
bool make_output_folders(const std::string& path);

}  // namespace lurendo
