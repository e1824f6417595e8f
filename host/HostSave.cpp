#include "host/HostSave.h"
#include "host/HostText.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "Engine/Crc32.h"
#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/TextUtil.h"
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

// Why a file's bytes, read whole, are no well-formed property stream: empty when they are.
std::string NotAStream(const std::string& text)
{
    return IOStreamRead::CheckForm({reinterpret_cast<const unsigned char*>(text.data()), text.size()});
}

// Why a part of a save does not read: empty when it opens and is a well-formed property
// stream.
std::string Malformed(const std::string& path)
{
    std::string text;
    if (std::string why = ReadWholeFile(path, text, IOStreamFormat::kMaxSize); !why.empty())
        return why;
    return NotAStream(text);
}

// Whether a file of a save's quest state folder is one a save writes: the main file or a
// quest's state.
bool IsQuestPart(const std::string& name)
{
    return name == HostQuest::kMainFile || (name.size() > 4 && name.ends_with(".que"));
}

// The names after PATH of the parts of a save beside it: the character, its tokens and a
// village's progress.
constexpr std::string_view kSideParts[] = {"", ".tokens", ".village"};

// Whether a name after PATH is one a part of a save has: one beside it, or a file of the
// quest state.
bool IsSavePart(const std::string& suffix)
{
    static const std::string kQuests = HostQuest::StateFolder("") + "/";
    if (std::find(std::begin(kSideParts), std::end(kSideParts), suffix) != std::end(kSideParts))
        return true;
    const std::string name = suffix.substr(std::min(suffix.size(), kQuests.size()));
    return suffix.starts_with(kQuests) && name.find('/') == std::string::npos && name.find('\0') == std::string::npos &&
           IsQuestPart(name);
}

// The names after PATH of the parts of a save that lie beside it now: the character, its
// tokens, a village's progress and the files of its quest state.
std::vector<std::string> PartsThere(const std::string& path)
{
    std::vector<std::string> parts;
    std::error_code error;
    for (const std::string_view suffix : kSideParts)
        if (fs::exists(path + std::string(suffix), error))
            parts.emplace_back(suffix);
    const std::string quests = HostQuest::StateFolder(path);
    for (const fs::directory_entry& entry : fs::directory_iterator(quests, error))
        if (IsQuestPart(entry.path().filename().string()))
            parts.push_back(quests.substr(path.size()) + "/" + entry.path().filename().string());
    return parts;
}

// PATH.id: { string "save" (the id: the CRC-32 of the list below, each part's name then its
// size and CRC as 4 bytes least significant first, in 8 hex digits), u32
// "parts", then each part's string "part" (its name after PATH), u32 "size", u32 "crc" }.
struct IdEntry {
    std::string suffix;
    uint32_t size = 0;
    uint32_t crc = 0;
};
constexpr uint32_t kMaxParts = 4096;

void StreamId(IOStream& stream, std::string& id, std::vector<IdEntry>& entries)
{
    stream.BeginBlock();
    stream.StreamString("save", id);
    uint32_t count = static_cast<uint32_t>(entries.size());
    stream.StreamUInt32("parts", count);
    if (!stream.CheckCount("parts", count, kMaxParts, "part"))
        return;
    entries.resize(count);
    for (IdEntry& entry : entries) {
        stream.StreamString("part", entry.suffix);
        stream.StreamUInt32("size", entry.size);
        stream.StreamUInt32("crc", entry.crc);
        if (stream.Failed())
            return;
    }
    stream.EndBlock();
}

std::string IdOf(const std::vector<IdEntry>& entries)
{
    uint32_t crc = 0;
    for (const IdEntry& entry : entries) {
        crc = Crc32(entry.suffix.data(), entry.suffix.size(), crc);
        // The size and the CRC as 4 bytes each, least significant first.
        unsigned char numbers[8];
        for (int i = 0; i < 4; ++i) {
            numbers[i] = static_cast<unsigned char>(entry.size >> (8 * i));
            numbers[4 + i] = static_cast<unsigned char>(entry.crc >> (8 * i));
        }
        crc = Crc32(numbers, sizeof numbers, crc);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%08x", crc);
    return text;
}

// Whether the save `path` has PATH.id (a save written before saves listed their parts has
// none).
bool HasSaveId(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(SaveIdPath(path), error));
}

// Reads the parts PATH.id lists into `entries`: empty when it reads whole and its id is
// the one of what it lists, else why not ("IDPATH REASON").
std::string ReadSaveId(const std::string& path, std::vector<IdEntry>& entries)
{
    const std::string idPath = SaveIdPath(path);
    std::string bytes;
    if (const std::string why = ReadWholeFile(idPath, bytes, IOStreamFormat::kMaxSize); !why.empty())
        return idPath + " " + why + " (a save lists its parts there)";
    std::string id;
    if (std::string why = NotAStream(bytes); !why.empty())
        return idPath + " does not read (" + why + ")";
    const LogCapture quiet;
    IOStreamRead stream(bytes.data(), bytes.size());
    StreamId(stream, id, entries);
    if (stream.Failed())
        return idPath + " does not read (" + stream.GetError() + ")";
    if (id != IdOf(entries))
        return idPath + " does not read (its id is not the one of the parts it lists)";
    return {};
}

// Why the parts beside the save `path` are not the ones its PATH.id lists: empty when each
// part there is listed and each listed part is there with the size and CRC-32 listed. A
// save without PATH.id was written before saves listed their parts: it is read as it is,
// as it was then.
std::string CheckSaveId(const std::string& path)
{
    if (!HasSaveId(path))
        return {};
    const std::string idPath = SaveIdPath(path);
    std::vector<IdEntry> entries;
    if (std::string why = ReadSaveId(path, entries); !why.empty())
        return why;
    const std::vector<std::string> there = PartsThere(path);
    for (const std::string& suffix : there)
        if (std::none_of(entries.begin(), entries.end(), [&](const IdEntry& e) { return e.suffix == suffix; }))
            return path + suffix + " is no part of this save (" + idPath + " does not list it)";
    for (const IdEntry& entry : entries) {
        if (std::find(there.begin(), there.end(), entry.suffix) == there.end())
            return path + EscapedExcerpt(entry.suffix) + " does not exist (" + idPath + " lists it as a part of the save)";
        std::string bytes;
        const std::string why = ReadWholeFile(path + entry.suffix, bytes, IOStreamFormat::kMaxSize);
        if (!why.empty())
            return path + entry.suffix + " " + why;
        if (bytes.size() != entry.size || Crc32(bytes.data(), bytes.size()) != entry.crc)
            return path + entry.suffix + " differs from the part " + idPath + " lists (it changed after the save)";
    }
    return {};
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

// Completes a save that a process ended while it put it in place (its journal is there):
// empty when there was none or it is complete now, else why not.
std::string FinishSave(const std::string& path)
{
    const LogCapture quiet;
    if (std::string why = IOStreamWrite::FinishTogether(path); !why.empty())
        return "a save left unfinished there cannot be completed (" + why + ")";
    return {};
}

std::string CheckLoad(const std::string& path)
{
    const std::string refusal = "--load " + path + ": ";
    if (const std::string why = FinishSave(path); !why.empty())
        return refusal + why;
    std::error_code error;
    if (!fs::exists(path, error))
        return refusal + "no save there (" + path + " does not exist)";
    for (const std::string& part : {path, TokensPath(path)}) {
        // Read once: its bound is below the stream's, so what reads is a stream's size.
        static_assert(kMaxReadFileBytes <= IOStreamFormat::kMaxSize);
        std::string text;
        if (const std::string why = ReadWholeFile(part, text); !why.empty())
            return refusal + part + " " + why;
        if (const std::string why = NotAStream(text); !why.empty())
            return refusal + part + " does not read (" + why + ")";
    }
    // The quest state beside the character: without it the quest would play on from a
    // fresh start, or from nothing at all. Its main file and each quest's file read whole.
    const std::string folder = HostQuest::StateFolder(path);
    if (fs::exists(folder, error) && !fs::is_directory(folder, error))
        return refusal + folder + " is a file, not a folder (a save has its quest state in a folder there)";
    if (!fs::is_directory(folder, error))
        return refusal + folder + " does not exist (a save has its quest state there)";
    const std::string main = folder + "/" + HostQuest::kMainFile;
    if (!fs::exists(fs::symlink_status(main, error)))
        return refusal + folder + " holds no " + HostQuest::kMainFile;
    // What stands there in its place (a folder, a pipe) is said as what it is.
    std::string text;
    if (const std::string why = ReadWholeFile(main, text, IOStreamFormat::kMaxSize); !why.empty())
        return refusal + main + " " + why;
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
    if (const std::string why = CheckSaveId(path); !why.empty())
        return refusal + why;
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
    for (const std::string& part : {TokensPath(path), SaveIdPath(path), IOStreamWrite::JournalPath(path)})
        if (fs::is_directory(part, error))
            return refusal + part + " is a folder, not a file";
    // The quest state goes into a folder of its own beside the character: its main file
    // and each quest's file.
    const std::string quests = HostQuest::StateFolder(path);
    if (fs::exists(quests, error)) {
        if (!fs::is_directory(quests, error))
            return refusal + quests + " is a file, not a folder";
        for (const fs::directory_entry& entry : fs::directory_iterator(quests, error))
            if (IsQuestPart(entry.path().filename().string()) && entry.is_directory(error))
                return refusal + entry.path().string() + " is a folder, not a file";
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

std::string ProbeHostSave(const std::string& savePath)
{
    if (savePath.empty())
        return {};
    const fs::path save(savePath);
    const fs::path folder = save.has_parent_path() ? save.parent_path() : fs::path(".");
    const std::string quests = HostQuest::StateFolder(savePath);
    std::error_code error;
    for (const fs::path& place : {folder, fs::path(quests)})
        if (place == folder || fs::is_directory(place, error))
            if (const std::string why = Unwritable(place); !why.empty())
                return "--save " + savePath + ": the folder " + place.string() + " " + why;
    return {};
}

std::string TokensPath(const std::string& path) { return path + ".tokens"; }

std::string SaveIdPath(const std::string& path) { return path + ".id"; }

struct HostSaveParts::Part {
    std::string suffix;
    std::unique_ptr<IOStreamWrite> writer;
};

HostSaveParts::HostSaveParts(std::string path) : m_path(std::move(path)) {}

HostSaveParts::~HostSaveParts()
{
    // Parts never committed write nothing.
    for (const std::unique_ptr<Part>& part : m_parts)
        part->writer->Refuse("the save was not committed");
}

IOStreamWrite& HostSaveParts::Stream(const std::string& suffix)
{
    m_parts.push_back(std::make_unique<Part>(Part{suffix, std::make_unique<IOStreamWrite>(m_path + suffix)}));
    return *m_parts.back()->writer;
}

void HostSaveParts::Text(const std::string& suffix, std::string_view text)
{
    m_parts.push_back(std::make_unique<Part>(Part{suffix, std::make_unique<IOStreamWrite>(m_path + suffix, text)}));
}

bool HostSaveParts::Commit()
{
    std::vector<IdEntry> entries;
    std::vector<IOStreamWrite*> writers;
    // The folders the parts go into (the quest state's) are made first; those made here go
    // again when the save fails.
    std::vector<std::string> made;
    std::error_code error;
    for (const std::unique_ptr<Part>& part : m_parts) {
        const std::span<const unsigned char> bytes = part->writer->GetBytes();
        entries.push_back({part->suffix, static_cast<uint32_t>(bytes.size()), Crc32(bytes.data(), bytes.size())});
        writers.push_back(part->writer.get());
        const std::string folder = fs::path(m_path + part->suffix).parent_path().string();
        if (part->suffix.find('/') != std::string::npos && !fs::exists(folder, error) &&
            fs::create_directory(folder, error))
            made.push_back(folder);
    }
    IOStreamWrite idFile(SaveIdPath(m_path));
    std::string id = IdOf(entries);
    StreamId(idFile, id, entries);
    writers.push_back(&idFile);
    std::vector<std::unique_ptr<Part>> parts = std::move(m_parts);
    m_parts.clear();
    // A save a process ended in the middle of is completed first, so that the list read
    // below is the one of the save in place.
    const std::string unfinished = FinishSave(m_path);
    // What the earlier save there listed and this one has not goes with it (a village's
    // progress beside a bundled save); nothing else there is touched.
    std::vector<std::string> removed;
    std::vector<IdEntry> listed;
    if (unfinished.empty() && HasSaveId(m_path) && ReadSaveId(m_path, listed).empty())
        for (const IdEntry& entry : listed)
            if (IsSavePart(entry.suffix) &&
                std::none_of(entries.begin(), entries.end(), [&](const IdEntry& e) { return e.suffix == entry.suffix; }) &&
                std::find(removed.begin(), removed.end(), m_path + entry.suffix) == removed.end())
                removed.push_back(m_path + entry.suffix);
    if (!unfinished.empty())
        for (IOStreamWrite* writer : writers)
            writer->Refuse(unfinished);
    if (!IOStreamWrite::CloseTogether(writers, m_path, removed)) {
        for (const IOStreamWrite* writer : writers)
            if (writer->Failed() && (m_error.empty() || !writer->GetError().starts_with("not written, since ")))
                m_error = writer->GetError();
        if (const std::string since = "not written, since "; m_error.starts_with(since))
            m_error.erase(0, since.size());
        for (const std::string& folder : made)
            fs::remove(folder, error);   // only when empty
        return false;
    }
    return true;
}

bool SaveHostRun(uint32_t playerId, const std::string& path, bool quests, std::string_view progress)
{
    auto* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player)
        return false;
    HostSaveParts save(path);
    player->StreamProperties(save.Stream(""));
    player->StreamPropertiesQuestTokens(save.Stream(TokensPath(path).substr(path.size())));
    if (quests)
        HostQuest::AddState(save);
    if (!progress.empty())
        save.Text(".village", progress);
    if (!save.Commit()) {
        std::printf("gamehost: saving to %s failed: %s; no file of the save changed\n", path.c_str(),
                    save.GetError().c_str());
        return false;
    }
    std::printf("gamehost: saved \"%s\" to %s and %s\n", player->GetPlayerNameInChar().c_str(), path.c_str(),
                TokensPath(path).c_str());
    if (quests)
        std::printf("gamehost: quest state written to %s\n", HostQuest::StateFolder(path).c_str());
    return true;
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
