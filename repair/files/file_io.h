// The file operations a repair run needs, behind an interface so tests can make any of them fail. Each
// operation hands back why it failed as an error code, which the run turns into words for the user.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <system_error>

namespace lurendo {

// A failure whose cause the layer cannot tell (a test's injected fault, a file closed twice): it fails the
// run like any other, and no reason is given for it.
std::error_code unexplained_failure();

class InputFile {
  public:
    virtual ~InputFile() = default;
    static constexpr long kError = -1;
    static constexpr long kNothingYet = -2;  // a pipe or device had no data for a while: ask again
    // Reads up to `capacity` bytes; returns the count, 0 at the end of the input, kError on a read error
    // (with its cause in `error`), or kNothingYet, so that a caller waiting on a silent pipe can still be
    // stopped.
    virtual long read(char* buffer, size_t capacity, std::error_code& error) = 0;
};

class OutputFile {
  public:
    virtual ~OutputFile() = default;
    // Writes all `size` bytes; an error when it could not.
    virtual std::error_code write(const char* data, size_t size) = 0;
    // Puts every byte on the disk, gives a temporary made without a name its name, and closes; an error
    // when anything could not be stored or named.
    virtual std::error_code close() = 0;
    // True when the bytes go straight into the target (a device, a FIFO, standard output) as they are
    // written: there is no temporary to put in its place.
    virtual bool in_place() const { return false; }
};

// An output that keeps what is written in a string: for a run held in memory (the web page, tests).
class StringOutput final : public OutputFile {
  public:
    explicit StringOutput(std::string& bytes) : bytes_(bytes) {}
    std::error_code write(const char* data, size_t size) override {
        bytes_.append(data, size);
        return {};
    }
    std::error_code close() override { return {}; }

  private:
    std::string& bytes_;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // nullptr, with the cause in `error`, when the file cannot be opened for reading (missing, a directory,
    // no permission).
    virtual std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) = 0;
    // Creates a new, unique temporary file in the directory of `final_path` (of the file it leads to, when
    // it is a symbolic link), with the permission bits (and, where allowed, the owner) of the file it will
    // replace; sets `temp_path` to the name the file has once `OutputFile::close()` succeeds. Before that
    // the file may have no name at all, so that a run killed midway leaves nothing behind; temporaries for
    // the same target that no run holds any more are removed first. Where `final_path` is a device or a
    // FIFO, the returned file writes into it directly (`in_place()`), and `temp_path` stays empty. nullptr,
    // with the cause in `error`, when no such file can be made.
    virtual std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path,
                                                                std::string& temp_path,
                                                                std::error_code& error) = 0;
    // Atomically and durably puts `from` in the place of `to`: after a power cut `to` is either the old
    // file or the whole new one. A symbolic link `to` stays, and the file it leads to is replaced.
    virtual std::error_code replace(const std::string& from, const std::string& to) = 0;
    virtual void remove(const std::string& path) = 0;
    // True when both paths exist and name the same file (the same path, a symbolic or a hard link, or one
    // directory entry spelt two ways in a folder that ignores case). A layer that cannot tell goes by the
    // text alone.
    virtual bool same_file(const std::string& a, const std::string& b) { return a == b; }
};

// The real files of the machine.
FileSystem& system_file_system();

// The process's standard output as an output file written in place; nullptr, with the cause in `error`,
// when it cannot be had.
std::unique_ptr<OutputFile> standard_output_file(std::error_code& error);

// Creates every missing folder along `path`, as `mkdir -p` does, and puts each new name on the disk so the
// folders survive a power cut. The error of the level that could not be made; ENOTDIR when something that
// is not a folder stands in the way.
std::error_code create_folders(const std::string& path);

}  // namespace lurendo
