#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string_view>

#include "repair/files/durable_output.h"
#include "repair/files/file_io.h"
#include "repair/files/file_io_entries.h"
#include "repair/files/input_file.h"

namespace lurendo {

namespace {

// Answers what deciding on one entry asks, from the machine's files.
class PosixLookup final : public EntryLookup {
  public:
    std::optional<EntryFacts> facts(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            return std::nullopt;
        return EntryFacts{static_cast<uint64_t>(st.st_dev),
                          static_cast<uint64_t>(st.st_ino),
                          static_cast<uint32_t>(st.st_mode),
                          static_cast<uint64_t>(st.st_nlink),
                          static_cast<uint32_t>(st.st_uid),
                          static_cast<uint32_t>(st.st_gid),
                          static_cast<int64_t>(st.st_size),
                          nanoseconds(st.st_mtim),
                          nanoseconds(st.st_ctim)};
    }
    std::optional<std::vector<std::string>> names_in(const std::string& folder) override {
        DIR* listing = ::opendir(folder.c_str());
        if (listing == nullptr)
            return std::nullopt;
        std::vector<std::string> names;
        while (const dirent* entry = ::readdir(listing)) {
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..")
                names.emplace_back(name);
        }
        ::closedir(listing);
        return names;
    }

  private:
    static int64_t nanoseconds(const timespec& t) {
        return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
};

// The absolute path of an existing file, links, "." and ".." resolved; empty when there is none.
std::string resolved(const std::string& path) {
    char* full = ::realpath(path.c_str(), nullptr);
    if (full == nullptr)
        return {};
    std::string result = full;
    std::free(full);
    return result;
}

class PosixFileSystem final : public FileSystem {
  public:
    std::unique_ptr<InputFile> open_input(const std::string& path, std::error_code& error) override {
        return open_machine_input(path, error);
    }
    std::unique_ptr<OutputFile> create_temporary_beside(const std::string& final_path, std::string& temp_path,
                                                        std::error_code& error) override {
        return outputs_.create_temporary_beside(final_path, temp_path, error);
    }
    std::error_code replace(const std::string& from, const std::string& to) override {
        return outputs_.replace(from, to);
    }
    void remove(const std::string& path) override { outputs_.remove(path); }

    bool same_file(const std::string& a, const std::string& b) override {
        struct stat first {};
        struct stat second {};
        if (::stat(a.c_str(), &first) != 0 || ::stat(b.c_str(), &second) != 0)
            return false;
        if (first.st_dev == second.st_dev && first.st_ino == second.st_ino)
            return true;
        // Another spelling of the same entry, on a folder that ignores case or normalises names.
        const std::string full_a = resolved(a);
        const std::string full_b = resolved(b);
        PosixLookup lookup;
        return !full_a.empty() && !full_b.empty() && same_entry(full_a, full_b, lookup);
    }

  private:
    DurableOutputs outputs_;
};

}  // namespace

FileSystem& system_file_system() {
    static PosixFileSystem instance;
    return instance;
}

}  // namespace lurendo
