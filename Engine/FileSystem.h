// The platform's file system, as far as the game uses it: listing the files of a folder
// whose names match a pattern (the saved characters, "*.chr").
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace GAME {

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
