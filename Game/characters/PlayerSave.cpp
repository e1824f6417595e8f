// The character save: the player's own block, its parts' blocks in their fixed order, and
// the tokens' routine. Every key is the save's; a read of an older version finds fewer
// fields, and those keep their values.
#include "Game/characters/PlayerSave.h"

#include <string>

#include "Engine/Engine.h"
#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/PlayStats.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

// Fields that arrived with later versions of the player's block.
constexpr uint32_t kVersionDifficulty = 3;
constexpr uint32_t kVersionBeenInGame = 4;
constexpr uint32_t kVersionMainQuest = 5;
// Each group of places and the respawn points carry a version; only 1 is read.
constexpr int32_t kGroupVersion = 1;
constexpr int32_t kNoTutorialPage = -1;
constexpr int32_t kQuestTokensVersion = 1;

}  // namespace

// What a read of the whole save hands to the game engine and the user interface once
// every block has read.
struct Player::SaveReadEffects {
    bool disableAutoPop = false;
    std::vector<int32_t> pages;   // the unlock list, when the save held all 36 entries
    bool uiRead = false;
    PlayerSave_UISetting ui;
};

void PlayerSave_UISetting::StreamProperties(IOStream& stream)
{
    static constexpr const char* kKeys[kSkillBarEntries][3] = {
        {"primarySkill1", "secondarySkill1", "skillActive1"}, {"primarySkill2", "secondarySkill2", "skillActive2"},
        {"primarySkill3", "secondarySkill3", "skillActive3"}, {"primarySkill4", "secondarySkill4", "skillActive4"},
        {"primarySkill5", "secondarySkill5", "skillActive5"},
    };
    stream.BeginBlock();
    stream.StreamBool("equipmentSelection", equipmentSelection);
    stream.StreamUInt32("skillWindowSelection", skillWindowSelection);
    stream.StreamBool("skillSettingValid", skillSettingValid);
    for (int i = 0; i < kSkillBarEntries; ++i) {
        stream.StreamString(kKeys[i][0], skillBar[i].primarySkill);
        stream.StreamString(kKeys[i][1], skillBar[i].secondarySkill);
        stream.StreamBool(kKeys[i][2], skillBar[i].skillActive);
    }
    stream.EndBlock();
}

bool Player::StreamProperties(IOStream& stream)
{
    SaveReadEffects effects;
    const auto good = [&stream] { return !stream.Failed(); };
    bool ok = StreamPlayerBlock(stream, effects) && GetSkillManager().StreamProperties(stream) &&
              StreamUIBlock(stream, effects);
    if (ok) {
        GetLevelControl().StreamProperties(stream);
        ok = good();
    }
    if (ok) {
        GetCharacterBio().StreamProperties(stream);
        ok = good();
    }
    if (ok) {
        GetPlayStats().StreamProperties(stream);
        ok = good() && StreamPropertiesInventory(stream);
    }
    if (ok) {
        m_hotSlotCtrl.StreamProperties(stream);
        ok = good();
    }
    if (!ok || !stream.IsReading() || !gGameEngine)
        return ok;
    // Everything read: the engine's tutorial state and the interface's settings.
    gGameEngine->ResetTutorialState();
    gGameEngine->SetDisableTutorialAutoPop(effects.disableAutoPop);
    for (int32_t page : effects.pages)
        if (page >= 0)
            gGameEngine->UnlockTutorialPage(static_cast<unsigned>(page), false);
    if (effects.uiRead)
        RestoreUISettings(effects.ui);
    return true;
}

bool Player::StreamPlayerBlock(IOStream& stream, SaveReadEffects& effects)
{
    const bool reading = stream.IsReading();
    uint32_t version = kSaveVersion;
    stream.StreamUInt32("playerVersion", version);
    stream.BeginBlock();
    std::u16string name = m_playerName;
    stream.StreamWString("myPlayerName", name);
    if (reading && !stream.Failed())
        SetPlayerName(name);
    if (version >= kVersionMainQuest)
        stream.StreamBool("isInMainQuest", m_isInMainQuest);
    StreamTutorialState(stream, effects);
    if (!StreamPlaceGroup(stream, "versionCheckTeleportInfo", "teleportUIDsSize", "teleportUID", m_teleportUIDs) ||
        !StreamPlaceGroup(stream, "versionCheckMovementInfo", "markerUIDsSize", "markerUID", m_markerUIDs) ||
        !StreamPlaceGroup(stream, "versionCheckRespawnInfo", "respawnUIDsSize", "respawnUID", m_respawnUIDs))
        return false;

    int32_t respawnVersion = kGroupVersion;
    stream.StreamInt32("versionRespawnPoint", respawnVersion);
    if (respawnVersion == kGroupVersion)
        for (UniqueId& point : m_currentRespawnPoint)
            stream.StreamUniqueId("strategicMovementRespawnPoint[i]", point);

    uint32_t money = GetCurrentMoney();
    stream.StreamUInt32("money", money);
    if (reading && !stream.Failed())
        SetCurrentMoney(money);
    stream.StreamInt32("compassState", m_compassState);
    stream.StreamBool("skillWindowShowHelp", m_skillWindowShowHelp);
    stream.StreamBool("alternateConfig", m_alternateConfig);
    stream.StreamBool("alternateConfigEnabled", m_alternateConfigEnabled);
    stream.StreamString("playerTexture", m_playerTexture);
    if (version >= kVersionDifficulty) {
        int32_t difficulty = m_greatestDifficultyCompleted;
        stream.StreamInt32("temp", difficulty);
        if (reading && !stream.Failed()) {
            if (difficulty >= GameDifficulty_Normal && difficulty <= kNoDifficultyCompleted)
                m_greatestDifficultyCompleted = difficulty;
            else
                gEngine->Log(LOG_WARNING, "Player: the save's greatest difficulty completed (%d) is not 0 to %d; "
                             "it stays %d", difficulty, kNoDifficultyCompleted, m_greatestDifficultyCompleted);
        }
    }
    if (version >= kVersionBeenInGame)
        stream.StreamBool("hasBeenInGame", m_hasBeenInGame);
    stream.EndBlock();
    return !stream.Failed();
}

void Player::StreamTutorialState(IOStream& stream, SaveReadEffects& effects)
{
    if (!stream.IsReading()) {
        // Without a game engine, no page is unlocked.
        static const std::vector<uint32_t> kNone;
        bool disable = gGameEngine && gGameEngine->GetDisableTutorialAutoPop();
        stream.StreamBool("disableAutoPopV2", disable);
        uint32_t count = kSavedTutorialPages;
        stream.StreamUInt32("numTutorialPagesV2", count);
        const std::vector<uint32_t>& unlocked = gGameEngine ? gGameEngine->GetTutorialUnlockList() : kNone;
        for (uint32_t i = 0; i < kSavedTutorialPages; ++i) {
            int32_t page = i < unlocked.size() ? static_cast<int32_t>(unlocked[i]) : kNoTutorialPage;
            stream.StreamInt32("currentPageV2", page);
        }
        return;
    }
    stream.StreamBool("disableAutoPopV2", effects.disableAutoPop);
    uint32_t count = 0;
    stream.StreamUInt32("numTutorialPagesV2", count);
    if (!stream.CheckCount("numTutorialPagesV2", count, kMaxSavedTutorialPages, "currentPageV2"))
        return;
    // Only a full list is applied; any other is read and dropped.
    std::vector<int32_t> pages(count, kNoTutorialPage);
    for (uint32_t i = 0; i < count && !stream.Failed(); ++i)
        stream.StreamInt32("currentPageV2", pages[i]);
    if (count == kSavedTutorialPages)
        effects.pages = std::move(pages);
}

bool Player::StreamPlaceGroup(IOStream& stream, const char* versionKey, const char* sizeKey, const char* idKey,
                              std::array<std::vector<UniqueId>, kDifficultyCount>& lists)
{
    int32_t version = kGroupVersion;
    stream.StreamInt32(versionKey, version);
    if (version != kGroupVersion)
        return !stream.Failed();
    for (std::vector<UniqueId>& list : lists) {
        uint32_t count = stream.IsReading() ? 0 : IOStream::SavedCount(list.size(), kMaxSavedPlaces, sizeKey);
        stream.StreamUInt32(sizeKey, count);
        if (!stream.IsReading()) {
            for (uint32_t i = 0; i < count; ++i)
                stream.StreamUniqueId(idKey, list[i]);
            continue;
        }
        // Read entries go after those held, duplicates and all.
        if (!stream.CheckCount(sizeKey, count, kMaxSavedPlaces, idKey))
            return false;
        list.reserve(list.size() + count);
        for (uint32_t i = 0; i < count && !stream.Failed(); ++i) {
            UniqueId id;
            stream.StreamUniqueId(idKey, id);
            if (!stream.Failed())
                list.push_back(id);
        }
    }
    return !stream.Failed();
}

// ---- User-interface block -----------------------------------------------------------------

void Player::GetUISettings(PlayerSave_UISetting& out) const { out = PlayerSave_UISetting(); }

void Player::RestoreUISettings(const PlayerSave_UISetting& settings)
{
    if (m_gameInterface)
        m_gameInterface->RestoreUISettings(settings);
}

bool Player::StreamUIBlock(IOStream& stream, SaveReadEffects& effects)
{
    stream.BeginBlock();
    PlayerSave_UISetting& settings = effects.ui;
    if (!stream.IsReading())
        GetUISettings(settings);
    settings.StreamProperties(stream);
    stream.EndBlock();
    effects.uiRead = stream.IsReading() && !stream.Failed();
    return !stream.Failed();
}

bool Player::StreamPropertiesUI(IOStream& stream)
{
    SaveReadEffects effects;
    if (!StreamUIBlock(stream, effects))
        return false;
    if (effects.uiRead)
        RestoreUISettings(effects.ui);
    return true;
}

// ---- Inventory and equipment ----------------------------------------------------------------

bool Player::StreamPropertiesInventory(IOStream& stream)
{
    ControllerPlayer* controller = GetPlayerController();
    bool streamed = controller != nullptr;
    stream.StreamBool("controllerStreamed", streamed);
    if (stream.Failed() || !streamed)
        return !stream.Failed();
    // Nothing is read into a controller that does not exist.
    if (!controller) {
        stream.Refuse("the save holds inventory and equipment for a player without its own controller");
        return false;
    }
    controller->GetInventoryCtrl().StreamProperties(stream);
    stream.BeginBlock();
    stream.EndBlock();
    controller->GetEquipmentCtrl().StreamProperties(stream);
    return !stream.Failed();
}

// ---- Tokens -----------------------------------------------------------------------------------

bool Player::StreamPropertiesQuestTokens(IOStream& stream)
{
    int32_t version = kQuestTokensVersion;
    stream.StreamInt32("versionNumber", version);
    stream.BeginBlock();
    auto count = static_cast<int32_t>(
        stream.IsReading() ? 0 : IOStream::SavedCount(m_tokens.size(), kMaxSavedTokens, "numberOfTriggerTokens"));
    stream.StreamInt32("numberOfTriggerTokens", count);
    if (!stream.IsReading()) {
        for (int32_t i = 0; i < count; ++i) {
            TriggerToken token = m_tokens[static_cast<size_t>(i)];
            token.StreamProperties(stream);
        }
    } else if (count > 0 && stream.CheckCount("numberOfTriggerTokens", static_cast<uint32_t>(count), kMaxSavedTokens,
                                              "tokenName")) {
        // Read tokens go after those held.
        for (int32_t i = 0; i < count && !stream.Failed(); ++i) {
            TriggerToken token;
            token.StreamProperties(stream);
            if (!stream.Failed())
                m_tokens.push_back(std::move(token));
        }
    }
    stream.EndBlock();
    return !stream.Failed();
}

}  // namespace GAME
