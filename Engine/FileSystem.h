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

// Opens the regular file at `path` (a link is followed) for reading into `fd`, without
// waiting at the open: its kind is looked at before it is opened, and again once it is open.
// Empty when it is open; else why not, in words that follow the path: "is a folder, not a
// file", "is not a regular file (a FIFO)" (a device, a socket), "is larger than LIMIT bytes"
// or "cannot be read (REASON)" (the system's reason: "No such file or directory", ...); `fd`
// is then -1.
std::string OpenRegularFile(const std::string& path, int& fd, uint64_t limit = UINT64_MAX);

// Reads the whole regular file at `path` into `out`, at most `limit` bytes of it. Empty when
// it was read; else why not (OpenRegularFile's words, or "is larger than LIMIT bytes" for a
// file that grew past it); `out` is then empty. A pipe or a device is refused unread, so that
// no read waits on a writer.
std::string ReadWholeFile(const std::string& path, std::string& out, size_t limit = kMaxReadFileBytes);

// The most a stream's writer may stay silent while it is read (ReadWholeStream).
inline constexpr int kStreamSilenceMs = 5000;

// The same for a file a user may pipe in (a pipe, /dev/stdin, a terminal, or a regular file):
// read once, to its end, at most `limit` bytes. Only a folder is refused for its kind; a
// stream whose writer sends nothing (and does not close it) for `silenceMs` is refused with
// "sent nothing for N ms (a pipe or a terminal nobody writes to)".
std::string ReadWholeStream(const std::string& path, std::string& out, size_t limit = kMaxReadFileBytes,
                            int silenceMs = kStreamSilenceMs);

// The first file under `folder` (its subfolders too, links followed) that ReadWholeFile would
// refuse with `limit`: its path under `folder` and why ("Fighter/Run.anm is not a regular
// file (a FIFO)"); empty when every file would read, or when `folder` is not there. Entries
// are looked at in name order, at most kMaxScannedFiles of them (a folder linked into itself
// ends there).
inline constexpr size_t kMaxScannedFiles = 50000;
std::string FindUnreadableFile(const std::string& folder, uint64_t limit);

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
