// The platform's file system, as far as the game uses it: listing the files of a folder
// whose names match a pattern (the saved characters, "*.chr"), and reading a whole file a
// user gave with a bound on its size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace GAME {

// The most a text file a user gives is read to: a record, a text table, a level, scripted
// clicks, a quest file. A file past it (or a device that never ends) is refused, not read.
inline constexpr size_t kMaxReadFileBytes = size_t{32} << 20;

// Reads the whole file at `path` into `out`, at most `limit` bytes of it. Empty when it was
// read; else why not, in words that follow the path: "is a folder, not a file", "is larger
// than LIMIT bytes" (a device such as /dev/zero, which never ends, too) or "cannot be read
// (REASON)" (the system's reason: "No such file or directory", ...); `out` is then empty. A
// pipe with no writer reads as empty.
std::string ReadWholeFile(const std::string& path, std::string& out, size_t limit = kMaxReadFileBytes);

class FileSystem {
public:
    static FileSystem& Get();

    // The folder that patterns are read relative to; the process's working folder until
    // set (an empty root).
    void SetRootDirectory(const std::string& path);
    std::string GetRootDirectory() const;

    // Appends the names of the regular files matching `pattern`: an optional folder part
    // (relative to the root, separated by '/' or '\') and a file-name glob, where '*'
    // stands for any run of characters and '?' for one; a leading '.' must be matched
    // by name. Each name is appended with the pattern's folder part, in name order. A
    // folder that does not exist or cannot be read, or an empty pattern, appends nothing.
    void GetMatchingFiles(const std::string& pattern, std::vector<std::string>& out) const;

private:
    mutable std::mutex m_lock;
    std::string m_root;
};

}  // namespace GAME
