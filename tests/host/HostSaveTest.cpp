// A save is put in place whole or not at all (HostSaveParts).
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "Engine/IOStreamReadWrite.h"
#include "TempFolder.h"
#include "host/HostSave.h"

namespace GAME {
namespace {

namespace fs = std::filesystem;

// Every file under the folder, by its path there, with its bytes.
std::map<std::string, std::string> Files(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file())
            continue;
        std::ostringstream bytes;
        bytes << std::ifstream(entry.path(), std::ios::binary).rdbuf();
        files[fs::relative(entry.path(), folder).string()] = bytes.str();
    }
    return files;
}

class HostSavePartsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(m_folder.Path().empty()); }

    // A save of a character, its tokens, a quest's state and a progress text, each holding
    // `value`.
    bool Save(uint32_t value, const std::string& path = {})
    {
        HostSaveParts save(path.empty() ? m_path : path);
        save.Stream("").StreamUInt32("money", value);
        save.Stream(".tokens").StreamUInt32("tokens", value);
        save.Stream(".quests/quests.sav").StreamUInt32("step", value);
        save.Text(".village", "frame " + std::to_string(value) + "\n");
        return save.Commit();
    }

    TempFolder m_folder{"host_save_"};
    std::string m_path = (m_folder.Path() / "hero.chr").string();
};

TEST_F(HostSavePartsTest, ASaveFailingAtAnyPartLeavesTheSaveBeforeItByteForByte)
{
    ASSERT_TRUE(Save(1));
    const auto before = Files(m_folder.Path());
    ASSERT_EQ(before.size(), 5u);   // the four parts and the list of them
    // The quest state's main file cannot be kept (it is a folder now), or the last file,
    // the list of parts, cannot be renamed once every other part was.
    for (const std::string& blocked : {m_path + ".quests/quests.sav", m_path + ".id"}) {
        const std::string kept = blocked + ".kept";
        fs::rename(blocked, kept);
        fs::create_directory(blocked);
        EXPECT_FALSE(Save(2)) << blocked;
        fs::remove(blocked);
        fs::rename(kept, blocked);
        EXPECT_EQ(Files(m_folder.Path()), before) << blocked;
    }
    ASSERT_TRUE(Save(3));
    EXPECT_NE(Files(m_folder.Path()), before);
}

TEST_F(HostSavePartsTest, AFreshSaveThatFailsLeavesNothing)
{
    fs::create_directory(m_path + ".id");
    EXPECT_FALSE(Save(1));
    fs::remove(m_path + ".id");
    EXPECT_TRUE(fs::is_empty(m_folder.Path()));   // not even the quest state's folder
}

TEST_F(HostSavePartsTest, ALoadRefusesAPartOfAnotherSave)
{
    ASSERT_TRUE(Save(1));
    ASSERT_EQ(CheckHostSaves(m_path, ""), "");
    const std::string other = (m_folder.Path() / "other.chr").string();
    ASSERT_TRUE(Save(2, other));
    const std::string refusal = "--load " + m_path + ": ";
    for (const std::string part : {".quests/quests.sav", ".village", ""}) {
        fs::copy_file(m_path + part, other + ".mine", fs::copy_options::overwrite_existing);
        fs::copy_file(other + part, m_path + part, fs::copy_options::overwrite_existing);
        EXPECT_EQ(CheckHostSaves(m_path, ""),
                  refusal + m_path + part + " differs from the part " + m_path + ".id lists (it changed after the save)");
        fs::rename(other + ".mine", m_path + part);
    }
    // A quest's state that the save did not write; a save without its list, written before
    // saves had one, is read as it is.
    IOStreamWrite stray(m_path + ".quests/0123.que");
    uint32_t step = 1;
    stray.StreamUInt32("step", step);
    ASSERT_TRUE(stray.Close());
    EXPECT_EQ(CheckHostSaves(m_path, ""),
              refusal + m_path + ".quests/0123.que is no part of this save (" + m_path + ".id does not list it)");
    fs::remove(m_path + ".quests/0123.que");
    fs::remove(m_path + ".id");
    EXPECT_EQ(CheckHostSaves(m_path, ""), "");
}

}  // namespace
}  // namespace GAME
