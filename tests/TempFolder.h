// A fresh folder of the test's own under the system's temporary folder, removed with
// everything in it when the object goes. Its name is made unique by the system at
// creation, so suites of other checkouts running at the same time, or what a crashed
// earlier run left behind, never meet it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace GAME {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Empty when the system could not make the folder.
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace GAME
