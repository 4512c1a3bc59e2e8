#include "repair/files/file_io_entries.h"

#include <algorithm>
#include <string_view>

namespace lurendo {

namespace {

std::vector<std::string> components_of(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < path.size()) {
        const size_t end = std::min(path.find('/', start), path.size());
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder == "/" ? folder + name : folder + "/" + name;
}

// The listed entries that `folder`/`name` may find: the name itself where the folder lists it, otherwise
// every listed entry alike to what the lookup found (a folder that finds an unlisted spelling has folded it
// onto one of them). The name alone where nothing better is known.
std::vector<std::string> entries_found(const std::string& folder, const std::string& name,
                                       EntryLookup& lookup) {
    const std::optional<std::vector<std::string>> listed = lookup.names_in(folder);
    if (!listed || std::find(listed->begin(), listed->end(), name) != listed->end())
        return {name};
    const std::optional<EntryFacts> found = lookup.facts(joined(folder, name));
    std::vector<std::string> candidates;
    if (found) {
        for (const std::string& entry : *listed) {
            const std::optional<EntryFacts> other = lookup.facts(joined(folder, entry));
            if (other && alike(*other, *found))
                candidates.push_back(entry);
        }
    }
    if (candidates.empty())
        candidates.push_back(name);
    return candidates;
}

bool share_one(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    return std::any_of(a.begin(), a.end(), [&](const std::string& name) {
        return std::find(b.begin(), b.end(), name) != b.end();
    });
}

}  // namespace

bool alike(const EntryFacts& a, const EntryFacts& b) {
    return a.device == b.device && a.mode == b.mode && a.links == b.links && a.owner == b.owner &&
           a.group == b.group && a.size == b.size && a.modified_ns == b.modified_ns &&
           a.changed_ns == b.changed_ns;
}

bool same_entry(const std::string& a, const std::string& b, EntryLookup& lookup) {
    const std::optional<EntryFacts> first = lookup.facts(a);
    const std::optional<EntryFacts> second = lookup.facts(b);
    if (!first || !second)
        return false;
    if (first->device == second->device && first->inode == second->inode)
        return true;
    if (!alike(*first, *second))
        return false;
    // Down from the root, level by level: while both paths spell a level alike they are in one folder;
    // where the spellings part, the folder's listing says whether both find one entry.
    const std::vector<std::string> left = components_of(a);
    const std::vector<std::string> right = components_of(b);
    if (left.size() != right.size())
        return false;
    std::string left_folder = "/";
    std::string right_folder = "/";
    for (size_t level = 0; level < left.size(); ++level) {
        if (left[level] != right[level] && !share_one(entries_found(left_folder, left[level], lookup),
                                                      entries_found(right_folder, right[level], lookup)))
            return false;
        left_folder = joined(left_folder, left[level]);
        right_folder = joined(right_folder, right[level]);
    }
    return true;
}

}  // namespace lurendo
