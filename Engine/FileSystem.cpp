#include "Engine/FileSystem.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Engine/Engine.h"

namespace GAME {

namespace {

std::string CannotBeRead(int error)
{
    return std::string("cannot be read (") + std::strerror(error) + ")";
}

std::string LargerThan(uint64_t limit)
{
    return "is larger than " + std::to_string(limit) + " bytes";
}

// Why a file of this kind and size is no regular file to read whole: empty when it is one.
std::string KindRefusal(const struct stat& info, uint64_t limit)
{
    if (S_ISDIR(info.st_mode))
        return "is a folder, not a file";
    if (!S_ISREG(info.st_mode)) {
        const char* kind = S_ISFIFO(info.st_mode)   ? "a FIFO"
                           : S_ISCHR(info.st_mode)  ? "a character device"
                           : S_ISBLK(info.st_mode)  ? "a block device"
                           : S_ISSOCK(info.st_mode) ? "a socket"
                                                    : "of another kind";
        return std::string("is not a regular file (") + kind + ")";
    }
    if (static_cast<uint64_t>(info.st_size) > limit)
        return LargerThan(limit);
    return {};
}

// Reads `fd` to its end into `out`, one byte past `limit` at most, which tells a file that
// is too large whatever its size says (a device has none). With `silenceMs` of 0 or more each
// read waits for bytes that long at most: a stream whose writer is silent is given up.
std::string ReadToEnd(int fd, std::string& out, size_t limit, int silenceMs)
{
    char chunk[1 << 16];
    for (;;) {
        if (silenceMs >= 0) {
            pollfd wanted{fd, POLLIN, 0};
            const int ready = ::poll(&wanted, 1, silenceMs);
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready < 0)
                return CannotBeRead(errno);
            if (ready == 0)
                return "sent nothing for " + std::to_string(silenceMs) +
                       " ms (a pipe or a terminal nobody writes to)";
        }
        const size_t room = std::min(sizeof chunk, limit + 1 - out.size());
        const ssize_t n = ::read(fd, chunk, room);
        if (n > 0) {
            out.append(chunk, static_cast<size_t>(n));
            if (out.size() > limit)
                return LargerThan(limit);
        } else if (n == 0) {
            return {};
        } else if (errno != EINTR && !(errno == EAGAIN && silenceMs >= 0)) {
            return CannotBeRead(errno);
        }
    }
}

// OpenRegularFile, giving what the open file's fstat said too.
std::string OpenChecked(const std::string& path, int& fd, uint64_t limit, struct stat& info)
{
    fd = -1;
    // Looked at before it is opened: opening a pipe or a device may wait, or do more.
    if (::stat(path.c_str(), &info) != 0)
        return CannotBeRead(errno);
    if (std::string why = KindRefusal(info, limit); !why.empty())
        return why;
    // Not blocking at the open, and looked at again: the path may name another file by now.
    const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (opened < 0)
        return CannotBeRead(errno);
    std::string why = ::fstat(opened, &info) != 0 ? CannotBeRead(errno) : KindRefusal(info, limit);
    if (!why.empty()) {
        ::close(opened);
        return why;
    }
    fd = opened;
    return {};
}

// The files of one folder and its subfolders for FindUnreadableFile; `files` counts the
// entries looked at, which bounds a folder linked into itself.
std::string ScanFolder(const std::string& root, const std::string& relative, uint64_t limit, size_t& files)
{
    const std::string path = relative.empty() ? root : root + "/" + relative;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        if (++files > kMaxScannedFiles)
            return {};
        const std::string shown = relative.empty() ? name : relative + "/" + name;
        struct stat entry;
        // A link to nothing is no file to read.
        if (::stat((path + "/" + name).c_str(), &entry) != 0)
            continue;
        std::string why = S_ISDIR(entry.st_mode) ? ScanFolder(root, shown, limit, files)
                                                 : KindRefusal(entry, limit);
        if (!why.empty())
            return S_ISDIR(entry.st_mode) ? why : shown + " " + why;
    }
    return {};
}

}  // namespace

std::string OpenRegularFile(const std::string& path, int& fd, uint64_t limit)
{
    struct stat info;
    return OpenChecked(path, fd, limit, info);
}

std::string ReadWholeFile(const std::string& path, std::string& out, size_t limit)
{
    out.clear();
    int fd = -1;
    struct stat info;
    std::string why = OpenChecked(path, fd, limit, info);
    if (why.empty()) {
        out.reserve(static_cast<size_t>(info.st_size));
        why = ReadToEnd(fd, out, limit, -1);
        ::close(fd);
    }
    if (!why.empty()) {
        out.clear();
        out.shrink_to_fit();
    }
    return why;
}

std::string ReadWholeStream(const std::string& path, std::string& out, size_t limit, int silenceMs)
{
    out.clear();
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return CannotBeRead(errno);
    // Any kind but a folder: a pipe, a terminal, a device or a file.
    const auto refusal = [limit](const struct stat& kind) {
        return S_ISDIR(kind.st_mode) || S_ISREG(kind.st_mode) ? KindRefusal(kind, limit) : std::string();
    };
    if (std::string why = refusal(info); !why.empty())
        return why;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return CannotBeRead(errno);
    std::string why = ::fstat(fd, &info) != 0 ? CannotBeRead(errno) : refusal(info);
    if (why.empty())
        why = ReadToEnd(fd, out, limit, std::max(silenceMs, 0));
    ::close(fd);
    if (!why.empty()) {
        out.clear();
        out.shrink_to_fit();
    }
    return why;
}

std::string FindUnreadableFile(const std::string& folder, uint64_t limit)
{
    size_t files = 0;
    return ScanFolder(folder, {}, limit, files);
}

FileSystem& FileSystem::Get()
{
    static FileSystem instance;
    return instance;
}

FileSystem& Engine::GetFileSystem()
{
    return FileSystem::Get();
}

void FileSystem::SetRootDirectory(const std::string& path)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_root = path;
}

std::string FileSystem::GetRootDirectory() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_root;
}

void FileSystem::GetMatchingFiles(const std::string& pattern, std::vector<std::string>& out) const
{
    std::string normalised = pattern;
    std::replace(normalised.begin(), normalised.end(), '\\', '/');
    const size_t slash = normalised.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : normalised.substr(0, slash + 1);
    const std::string glob = slash == std::string::npos ? normalised : normalised.substr(slash + 1);
    if (glob.empty())
        return;

    const std::filesystem::path root = GetRootDirectory();
    const std::filesystem::path directory = root / (folder.empty() ? std::string(".") : folder);
    std::error_code error;
    std::filesystem::directory_iterator it(directory, error);
    if (error)
        return;
    std::vector<std::string> names;
    for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
        if (error)
            break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        const std::string name = it->path().filename().string();
        if (fnmatch(glob.c_str(), name.c_str(), FNM_PERIOD) == 0)
            names.push_back(name);
    }
    // The folder lists in no fixed order; every run lists in one.
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        out.push_back(folder + name);
}

}  // namespace GAME
