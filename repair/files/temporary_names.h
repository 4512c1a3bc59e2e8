// The names of a run's temporaries beside its output, the locks that keep them a run's own, and the sweep
// that removes those no run holds any more.
#pragma once

#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>

namespace lurendo {

// The run's temporaries by name. A name promised to an unnamed temporary is pending until the file takes it:
// whatever stands under it before is not ours, so `remove` and `replace` must leave it alone. A named
// temporary stays open, holding its lock, until it has taken the place of its target or been removed: a
// run's temporary is never without its lock while it has a name, so no other run's sweep can take it.
class Temporaries {
  public:
    void promise(const std::string& path) {
        const std::lock_guard lock(mutex_);
        pending_.insert(path);
    }
    bool pending(const std::string& path) {
        const std::lock_guard lock(mutex_);
        return pending_.contains(path);
    }
    // The file `fd` has the name `path` now; it stays open until `release`.
    void hold(const std::string& path, int fd);
    // Forgets `path`: true when it was still waiting for its file. `then` runs before the lock goes.
    template <typename Then>
    bool release(const std::string& path, Then then) {
        int fd = -1;
        bool was_pending = false;
        {
            const std::lock_guard lock(mutex_);
            was_pending = pending_.erase(path) > 0;
            if (const auto at = held_.find(path); at != held_.end()) {
                fd = at->second;
                held_.erase(at);
            }
        }
        then(was_pending);
        close_held(fd);
        return was_pending;
    }

  private:
    static void close_held(int fd);
    std::mutex mutex_;
    std::set<std::string> pending_;
    std::map<std::string, int> held_;
};

// The start of every temporary's name for the target named `target_name`: ".<target>.", the target cut so
// that the whole name always fits.
std::string temporary_stem(const std::string& target_name);

// True when `name` is exactly a temporary made with `stem`: the stem, digits, a dot, digits, ".tmp".
bool is_temporary_name(std::string_view name, std::string_view stem);

// The next name of this process's own: `prefix` (a folder and a stem), the pid, a counter and ".tmp".
std::string next_name(const std::string& prefix);

// Takes the exclusive lock of temporary `fd` without waiting, and makes sure that `name` in `folder` still
// is that file: a sweep may have taken the lock first and removed the name meanwhile.
bool lock_as_named(int fd, int folder, const char* name);

// Removes the temporaries made with `stem` in folder `dir` that no run holds any more.
void remove_stray_temporaries(const std::string& dir, const std::string& stem);

}  // namespace lurendo
