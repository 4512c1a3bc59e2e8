#include "tests/support/folded_folders.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>

namespace lurendo::test {

namespace {

std::string parent_of(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool same_letters(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

void FoldedFolders::add_folder(const std::string& path) {
    entries_[path] = Entry{true, 0, 0};
}

void FoldedFolders::add_file(const std::string& path, int64_t size, int64_t modified_ns) {
    entries_[path] = Entry{false, size, modified_ns};
}

std::optional<std::string> FoldedFolders::own_path(const std::string& spelling) const {
    std::string own = "/";
    size_t start = 1;
    while (start < spelling.size()) {
        const size_t end = std::min(spelling.find('/', start), spelling.size());
        const std::string name = spelling.substr(start, end - start);
        std::optional<std::string> found;
        for (const auto& [path, entry] : entries_) {
            if (path == "/" || parent_of(path) != own)
                continue;
            const std::string listed = path.substr(path.find_last_of('/') + 1);
            if (listed == name || (ignore_case_ && same_letters(listed, name)))
                found = path;
        }
        if (!found)
            return std::nullopt;
        own = *found;
        start = end + 1;
    }
    return own;
}

std::optional<EntryFacts> FoldedFolders::facts(const std::string& path) {
    const std::optional<std::string> own = own_path(path);
    if (!own)
        return std::nullopt;
    const Entry& entry = entries_.at(*own);
    EntryFacts facts;
    facts.device = 40;
    facts.inode = inodes_.emplace(path, inodes_.size() + 2).first->second;
    facts.mode = entry.folder ? S_IFDIR | 0700 : S_IFREG | 0700;
    facts.links = 1;
    facts.size = entry.size;
    facts.modified_ns = entry.modified_ns;
    facts.changed_ns = entry.modified_ns;
    return facts;
}

std::optional<std::vector<std::string>> FoldedFolders::names_in(const std::string& folder) {
    const std::optional<std::string> own = own_path(folder);
    if (!own || !entries_.at(*own).folder)
        return std::nullopt;
    std::vector<std::string> names;
    for (const auto& [path, entry] : entries_) {
        if (path != "/" && parent_of(path) == *own)
            names.push_back(path.substr(path.find_last_of('/') + 1));
    }
    return names;
}

}  // namespace lurendo::test
