#include "Engine/FileSystem.h"

#include <fnmatch.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "Engine/Engine.h"

namespace GAME {

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
