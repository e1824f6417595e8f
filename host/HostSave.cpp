#include "host/HostSave.h"
#include "host/HostText.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "Engine/IOStreamReadWrite.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/TriggerToken.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/SkillManager.h"
#include "host/HostFight.h"
#include "host/HostItems.h"
#include "host/HostOutfit.h"
#include "host/HostQuest.h"
#include "host/HostSession.h"
#include "host/HostSkills.h"

namespace GAME {

namespace {

std::string Text(const UniqueId& id)
{
    char text[48];
    std::snprintf(text, sizeof text, "%x:%x:%x:%x", id.GetPart(0), id.GetPart(1), id.GetPart(2), id.GetPart(3));
    return text;
}

// Prints what the player holds: what the save carries.
void PrintPlayer(Player& player)
{
    std::printf("gamehost: loaded \"%s\": level %u, experience %u, money %u\n",
                LocalizationManager::ToChar(player.GetPlayerName()).c_str(),
                player.GetLevelControl().GetLevel(),
                player.GetLevelControl().GetExperience(), player.GetCurrentMoney());
    for (int difficulty = 0; difficulty < Player::kDifficultyCount; ++difficulty) {
        std::string places;
        for (const UniqueId& id : player.GetTeleportUIDs(difficulty))
            places += " teleport " + Text(id);
        for (const UniqueId& id : player.GetMarkerUIDs(difficulty))
            places += " marker " + Text(id);
        for (const UniqueId& id : player.GetRespawnUIDs(difficulty))
            places += " respawn " + Text(id);
        if (!places.empty())
            std::printf("gamehost: loaded difficulty %d:%s; current respawn %s\n", difficulty, places.c_str(),
                        Text(player.GetRespawnPoint(difficulty)).c_str());
    }
    for (const TriggerToken& token : player.GetTriggerTokens())
        std::printf("gamehost: loaded token %s\n", token.GetName().c_str());
    std::printf("gamehost: loaded %s, greatest difficulty completed %d, skill masteries allowed %u\n",
                HostCount(gGameEngine->GetTutorialUnlockList().size(), "tutorial page").c_str(), player.GetGreatestDifficultyCompleted(),
                player.GetSkillManager().GetSkillMasteriesAllowed());
}

// Streams the character and its tokens into the player; false at the first field that does
// not read, which refuses the run.
bool ReadHostPlayer(Player& player, const std::string& path)
{
    IOStreamRead character(path);
    IOStreamRead tokens(TokensPath(path));
    if (player.StreamProperties(character) && player.StreamPropertiesQuestTokens(tokens))
        return true;
    const bool characterFailed = character.Failed();
    HostRefuse("--load " + path, (characterFailed ? path : TokensPath(path)) + " does not read (" +
                                     (characterFailed ? character : tokens).GetError() + ")");
    return false;
}

namespace fs = std::filesystem;

// Why a part of a save does not read: empty when it opens and is a well-formed property
// stream.
std::string Malformed(const std::string& path)
{
    if (std::string why = HostUnreadable(path); !why.empty())
        return why;
    std::error_code error;
    const uintmax_t size = fs::file_size(path, error);
    if (error)
        return error.message();
    if (size > IOStreamFormat::kMaxSize)
        return "larger than " + std::to_string(IOStreamFormat::kMaxSize) + " bytes";
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    std::ifstream file(path, std::ios::binary);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size())))
        return "the file ended while it was read";
    return IOStreamRead::CheckForm(bytes);
}

// Why files cannot be written into a folder: empty when a file made there could be
// removed again.
std::string Unwritable(const fs::path& folder)
{
    std::string probe = (folder / ".gamehost-probe-XXXXXX").string();
    errno = 0;
    const int fd = ::mkstemp(probe.data());
    if (fd < 0)
        return std::string("cannot be written (") + std::strerror(errno) + ")";
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
}

std::string CheckLoad(const std::string& path)
{
    const std::string refusal = "--load " + path + ": ";
    std::error_code error;
    if (!fs::exists(path, error))
        return refusal + "no save there (" + path + " does not exist)";
    for (const std::string& part : {path, TokensPath(path)}) {
        if (const std::string why = HostUnreadable(part); !why.empty())
            return refusal + part + " " + why;
        if (const std::string why = Malformed(part); !why.empty())
            return refusal + part + " does not read (" + why + ")";
    }
    // The quest state beside the character: without it the quest would play on from a
    // fresh start, or from nothing at all. Its main file and each quest's file read whole.
    const std::string folder = HostQuest::StateFolder(path);
    if (fs::exists(folder, error) && !fs::is_directory(folder, error))
        return refusal + folder + " is a file, not a folder (a save has its quest state in a folder there)";
    if (!fs::is_directory(folder, error))
        return refusal + folder + " does not exist (a save has its quest state there)";
    if (!fs::is_regular_file(fs::path(folder) / HostQuest::kMainFile, error))
        return refusal + folder + " holds no " + HostQuest::kMainFile;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const fs::path& file = entry.path();
        if (file.filename() != HostQuest::kMainFile && file.extension() != ".que")
            continue;
        if (const std::string why = Malformed(file.string()); !why.empty())
            return refusal + "the quest state in " + folder + " does not read (" + file.filename().string() + ": " +
                   why + ")";
    }
    if (error)
        return refusal + "the quest state in " + folder + " does not read (" + error.message() + ")";
    return {};
}

std::string CheckSave(const std::string& path)
{
    const std::string refusal = "--save " + path + ": ";
    const fs::path save(path);
    const fs::path folder = save.has_parent_path() ? save.parent_path() : fs::path(".");
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return refusal + "no such folder " + folder.string();
    if (!save.has_filename() || fs::is_directory(save, error))
        return refusal + "is a folder, not a file";
    if (fs::is_directory(TokensPath(path), error))
        return refusal + TokensPath(path) + " is a folder, not a file";
    if (const std::string why = Unwritable(folder); !why.empty())
        return refusal + "the folder " + folder.string() + " " + why;
    // The quest state goes into a folder of its own beside the character.
    const std::string quests = HostQuest::StateFolder(path);
    if (fs::exists(quests, error)) {
        if (!fs::is_directory(quests, error))
            return refusal + quests + " is a file, not a folder";
        if (const std::string why = Unwritable(quests); !why.empty())
            return refusal + "the folder " + quests + " " + why;
    }
    return {};
}

}  // namespace

std::string CheckHostSaves(const std::string& loadPath, const std::string& savePath)
{
    if (!loadPath.empty())
        if (std::string refusal = CheckLoad(loadPath); !refusal.empty())
            return refusal;
    if (!savePath.empty())
        return CheckSave(savePath);
    return {};
}

std::string TokensPath(const std::string& path) { return path + ".tokens"; }

bool SaveHostPlayer(uint32_t playerId, const std::string& path)
{
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player)
        return false;
    IOStreamWrite character(path);
    player->StreamProperties(character);
    IOStreamWrite tokens(TokensPath(path));
    player->StreamPropertiesQuestTokens(tokens);
    // The pair is replaced whole or not at all.
    const bool written = IOStreamWrite::CloseTogether({&character, &tokens});
    if (written)
        std::printf("gamehost: saved \"%s\" to %s and %s\n", player->GetPlayerNameInChar().c_str(), path.c_str(),
                    TokensPath(path).c_str());
    else
        std::printf("gamehost: saving to %s failed: %s\n", path.c_str(),
                    (character.Failed() ? character : tokens).GetError().c_str());
    return written;
}

bool LoadHostPlayer(Player& player, const std::string& path)
{
    // The save carries the levels of the skills the fight gave the player and of the tree
    // it took.
    HostSkills::TakeTree(player);
    if (!ReadHostPlayer(player, path))
        return false;
    PrintPlayer(player);
    HostOutfit::PrintSlots("loaded player", player);
    HostSkills::PrintWindow(player);
    HostItems::PrintBags("loaded", player);
    return true;
}

uint32_t ResumeHostPlayer(const std::string& path, const std::string& record)
{
    auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(record);
    if (!player)
        return 0;
    player->SetIsControllingCharacter(true);
    HostFight::AddPlayerSkills(*player);
    if (ReadHostPlayer(*player, path)) {
        std::printf("gamehost: resumed \"%s\": level %u, experience %u, money %u\n",
                    player->GetPlayerNameInChar().c_str(), player->GetLevelControl().GetLevel(),
                    player->GetLevelControl().GetExperience(), player->GetCurrentMoney());
        return player->GetObjectId();
    }
    ObjectManager::Get().DestroyObjectEx(player, "HostSave", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    return 0;
}

}  // namespace GAME
