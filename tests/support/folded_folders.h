// Folders held in memory that find an entry under any spelling differing only in the case of ASCII letters,
// as FAT does through FUSE, and that give each spelling an inode number of its own, as FUSE does. With
// `ignore_case` false they are ordinary folders: only the listed spelling finds an entry.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "repair/files/file_io_entries.h"

namespace lurendo::test {

class FoldedFolders final : public EntryLookup {
  public:
    explicit FoldedFolders(bool ignore_case = true) : ignore_case_(ignore_case) {}

    // Adds a folder or a file under its own spelling; the folders above must be there. Files alike in
    // size and time show alike to a lookup, as two copies made in the same second do.
    void add_folder(const std::string& path);
    void add_file(const std::string& path, int64_t size, int64_t modified_ns);

    std::optional<EntryFacts> facts(const std::string& path) override;
    std::optional<std::vector<std::string>> names_in(const std::string& folder) override;

  private:
    struct Entry {
        bool folder = false;
        int64_t size = 0;
        int64_t modified_ns = 0;
    };
    // The entry's own path for a spelling, when the folders find one.
    std::optional<std::string> own_path(const std::string& spelling) const;

    bool ignore_case_;
    std::map<std::string, Entry> entries_{{"/", Entry{true, 0, 0}}};  // by their own paths
    std::map<std::string, uint64_t> inodes_;                          // by spelling
};

}  // namespace lurendo::test
