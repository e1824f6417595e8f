#include "Engine/FileSystem.h"

#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Engine/Engine.h"

namespace GAME {

std::string ReadWholeFile(const std::string& path, std::string& out, size_t limit)
{
    out.clear();
    // Not blocking at the open: a pipe nobody writes to would wait there for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return std::string("cannot be read (") + std::strerror(errno) + ")";
    struct stat info;
    std::string why;
    if (::fstat(fd, &info) != 0)
        why = std::string("cannot be read (") + std::strerror(errno) + ")";
    else if (S_ISDIR(info.st_mode))
        why = "is a folder, not a file";
    else if (S_ISREG(info.st_mode) && static_cast<uint64_t>(info.st_size) > limit)
        why = "is larger than " + std::to_string(limit) + " bytes";
    if (why.empty())
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    // One byte past the bound tells a file that is too large, whatever its size says (a
    // device has none): what is read never passes limit + 1 bytes.
    if (S_ISREG(info.st_mode) && why.empty())
        out.reserve(static_cast<size_t>(info.st_size));
    char chunk[1 << 16];
    while (why.empty()) {
        const size_t room = std::min(sizeof chunk, limit + 1 - out.size());
        const ssize_t n = ::read(fd, chunk, room);
        if (n > 0) {
            out.append(chunk, static_cast<size_t>(n));
            if (out.size() > limit)
                why = "is larger than " + std::to_string(limit) + " bytes";
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            why = std::string("cannot be read (") + std::strerror(errno) + ")";
        }
    }
    ::close(fd);
    if (!why.empty()) {
        out.clear();
        out.shrink_to_fit();
    }
    return why;
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
