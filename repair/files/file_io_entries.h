// Whether two paths lead to one directory entry, decided by what the file system itself shows. On most file
// systems a file's device and inode number settle it. A folder that ignores case or normalises names
// (FAT, exFAT or NTFS through FUSE, casefolded ext4 or f2fs folders) finds one entry under several
// spellings, and through FUSE each spelling may even get an inode number of its own; the folder's listing,
// which holds every entry once under its own name, tells such spellings apart from other files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lurendo {

// What a lookup of a path reports, links followed.
struct EntryFacts {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t mode = 0;  // type and permission bits
    uint64_t links = 0;
    uint32_t owner = 0;
    uint32_t group = 0;
    int64_t size = 0;
    int64_t modified_ns = 0;
    int64_t changed_ns = 0;
};

// Everything a lookup shows but the inode number is the same: two spellings of one entry always are.
bool alike(const EntryFacts& a, const EntryFacts& b);

// The two questions the decision asks of a file system.
class EntryLookup {
  public:
    virtual ~EntryLookup() = default;
    // What a lookup of `path` finds; none when it finds nothing.
    virtual std::optional<EntryFacts> facts(const std::string& path) = 0;
    // The names a folder lists, each entry once under its own spelling; none when it cannot be read.
    virtual std::optional<std::vector<std::string>> names_in(const std::string& folder) = 0;
};

// True when the absolute paths `a` and `b`, free of links, "." and "..", both exist and lead to the same
// entry: the same file, or one entry that a folder finds through either spelling. Where the listing cannot
// tell which of several alike entries a spelling finds, they are taken as the same: a refusal is safe, a
// replaced recording is not.
bool same_entry(const std::string& a, const std::string& b, EntryLookup& lookup);

}  // namespace lurendo
