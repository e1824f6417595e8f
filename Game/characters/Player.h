// The character a person plays: its record values (sounds, starting gold, skill trees,
// light, textures), name and money, the trigger tokens quests bestow, the places it
// discovered in each difficulty, voice prompts with their own countdowns, the autosave
// rule, pets, the paper doll copy of itself for the equipment screen, the caps on its
// speeds, and the texts that describe it in menus.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "Engine/TriggerToken.h"
#include "Engine/UniqueId.h"
#include "Game/characters/Character.h"
#include "Game/combat/DurationDamageReplication.h"
#include "Game/core/GameEvents.h"
#include "Game/core/Team.h"
#include "Game/core/foundation/EnumTypes.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

struct PlayerNetBasicInfo;
struct PlayerNetHeartbeatInfo;
class ControllerPlayer;
class NetPacket;
class NetPacketInBuffer;
class NetPacketOutBuffer;
class PlayerGameInterface;
class RandomUniform;
struct PlayerSave_UISetting;
class IOStream;
class Region;

// A boat master the player met: its name, its destination text and three values.
struct BoatMasterData {
    std::string name;
    std::string destination;
    int32_t values[3] = {};
};

// The dialog state of a non-player character the player talked to, and an NPC that is
// lit for the player: the name and one value.
struct NpcDialogData {
    std::string name;
    uint32_t value = 0;
};
struct NpcIlluminationData {
    std::string name;
    uint32_t value = 0;
};

class Player : public Character {
    GAME_DECLARE_CLASS(Player)

public:
    // The controllers a player is given: its own while it is the controlled character,
    // the stub otherwise.
    static constexpr const char* kPlayerControllerRecord = "Records/Controllers/Player/PlayerController.dbr";
    static constexpr const char* kStubControllerRecord = "Records/Controllers/Player/CharacterControllerStub.dbr";
    static constexpr int32_t kMaxPets = 6;
    static constexpr int32_t kAutoSaveIntervalMs = 60000;
    static constexpr int32_t kLockedObjectVoxIntervalMs = 8000;
    static constexpr int32_t kSkillVoxRepeatIntervalMs = 8000;
    static constexpr int32_t kSkillVoxIntervalMs = 3000;
    static constexpr int32_t kHeartbeatIntervalMs = 1000;
    // "temp" of a save: no difficulty completed yet.
    static constexpr int32_t kNoDifficultyCompleted = 3;
    static constexpr int kDifficultyCount = 3;
    static constexpr unsigned kSkillTreeCount = 10;
    static constexpr unsigned kSkillsPerTree = 25;

    Player();
    ~Player() override;

    // ---- Record and set-up -------------------------------------------------------------
    // The character's record, then the player's keys (see the definition for the order);
    // last the stub controller.
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    // Idle timing from the record, a non-controlled player held Alive, its light, texture.
    void InitialUpdate() override;
    bool DeleteOnEnteringUnloadedLevel() const override { return false; }
    bool ShouldServerSpawn() const override { return true; }
    // Destroys the controller held and makes the player's own (controlling) or the stub;
    // a controlling player drives its skills, whose changes go out from here.
    void SetIsControllingCharacter(bool value) override;
    // From the path position, within the record's longest path for the distance.
    bool CanMoveTo(const WorldVec3& point, float tolerance) override;
    // Where a portal of this player is placed: the first free place around the player
    // (five places 2.0 apart) that the player can walk to, unrotated; the player's own
    // coordinates when there is none.
    WorldCoords GetNearSpawnCoords() const;

    // ---- The frame ---------------------------------------------------------------------
    // Each runs with the player's own draws when it has them (TakeOwnDraws).
    void UpdateSelf(int elapsedMs) override;
    void PreAnimationUpdate(int elapsedMs) override;
    void AnimationCallback(const Name& event) override;
    // From now on what the player's frames draw for the game rules comes from a stream of
    // its own, continuing from `stream`: a player that joined from another peer, whose
    // arrival and frames then leave the world's draws as they were. Null until given.
    void TakeOwnDraws(const RandomUniform& stream);
    RandomUniform* GetOwnDraws() const { return m_ownDraws.get(); }
    // Saves through the game engine when the engine allows it, this is the controlled
    // player and saving is on; in every case the countdown restarts and the flag clears.
    void AutoSave();
    void AutoSaveQuest(bool flag);
    bool GetNeedsSave() const { return m_needsSave; }
    void SetNeedsSave() { m_needsSave = true; }
    int32_t GetAutoSaveCountdown() const { return m_autoSaveCountdown; }
    // A countdown that restarts at one second once it has run out.
    void Heartbeat(int elapsedMs);
    // The boss music this frame's boss asked for, started, kept or left (local player).
    void BossMusicStateUpdate();
    // The current difficulty's index, held within the three lists.
    static int DifficultyIndex();
    void RegisterMonsterMusic(uint32_t bossId, const std::string& musicName);

    // ---- Name and descriptions ---------------------------------------------------------
    const std::u16string& GetPlayerName() const { return m_playerName; }
    std::string GetPlayerNameInChar() const;
    void SetPlayerName(const std::u16string& name) { m_playerName = name; }
    // The text tag naming the player's class.
    const std::string& GetClassTag() const { return m_classTag; }
    void SetClassTag(const std::string& tag) { m_classTag = tag; }
    std::u16string GetClassNameA() const;
    std::u16string GetGameDescription(bool flag) const override;
    std::u16string GetRolloverDescription() const;
    virtual std::u16string GetMenuDescription() const;
    PlayerCharacterClassType GetPlayerCharacterClass() const { return m_characterClass; }
    void SetPlayerCharacterClass(PlayerCharacterClassType type) { m_characterClass = type; }
    void SetPlayerCharacterClass(const std::string& word);

    // ---- Tokens ------------------------------------------------------------------------
    // Kept as pending until the next update, which makes them held.
    void BestowToken(const TriggerToken& token) { m_pendingTokens.push_back(token); }
    bool HasToken(const std::string& name) const;
    void RemoveToken(const TriggerToken& token);
    void ClearTokens() { m_tokens.clear(); }
    std::vector<std::string> GetTriggerTokensAsString() const;
    const std::vector<TriggerToken>& GetPendingTokens() const { return m_pendingTokens; }

    // ==== Character save (PlayerSave.cpp) ================================================
    // One routine writes the character when the stream writes and reads it back when it
    // reads: the player's own block, then its parts' blocks in a fixed order. A read is
    // meant for a fresh player: it answers false when the stream failed or the save was
    // refused (a count above its cap or beyond the bytes left, inventory data for a player
    // without its own controller), and the caller then discards the player. What a read
    // hands to the game engine (tutorial pages) and to the user interface is handed over
    // only once the whole save has read. Saves of versions 1 to 5 read.
    static constexpr uint32_t kSaveVersion = 5;
    static constexpr uint32_t kSavedTutorialPages = 36;
    // Caps on the counts a save gives: far above what a game makes.
    static constexpr uint32_t kMaxSavedTutorialPages = 1024;
    static constexpr uint32_t kMaxSavedPlaces = 10000;
    static constexpr uint32_t kMaxSavedTokens = 100000;
    bool StreamProperties(IOStream& stream);
    // The user-interface block; a read hands the settings to RestoreUISettings.
    bool StreamPropertiesUI(IOStream& stream);
    // The player controller's bags and equipment, when the player has that controller.
    bool StreamPropertiesInventory(IOStream& stream);
    // The tokens held; a read appends to them.
    bool StreamPropertiesQuestTokens(IOStream& stream);
    // The default settings: the save always carries these.
    void GetUISettings(PlayerSave_UISetting& out) const;
    // To the game interface, when one is set.
    void RestoreUISettings(const PlayerSave_UISetting& settings);
    const std::vector<TriggerToken>& GetTriggerTokens() const { return m_tokens; }
    const std::vector<UniqueId>& GetTeleportUIDs(int difficulty) const { return m_teleportUIDs.at(difficulty); }
    const std::vector<UniqueId>& GetMarkerUIDs(int difficulty) const { return m_markerUIDs.at(difficulty); }
    const std::vector<UniqueId>& GetRespawnUIDs(int difficulty) const { return m_respawnUIDs.at(difficulty); }
    const UniqueId& GetRespawnPoint(int difficulty) const { return m_currentRespawnPoint.at(difficulty); }

private:
    struct SaveReadEffects;
    bool StreamPlayerBlock(IOStream& stream, SaveReadEffects& effects);
    void StreamTutorialState(IOStream& stream, SaveReadEffects& effects);
    static bool StreamPlaceGroup(IOStream& stream, const char* versionKey, const char* sizeKey, const char* idKey,
                                 std::array<std::vector<UniqueId>, kDifficultyCount>& lists);
    bool StreamUIBlock(IOStream& stream, SaveReadEffects& effects);

public:
    // ==== End of the character save ======================================================

    // ---- Places discovered, by the current difficulty ----------------------------------
    void AddTeleportUID(const UniqueId& id);
    void AddMarkerUID(const UniqueId& id);
    // Also makes a new respawn point the current one.
    void AddRespawnUID(const UniqueId& id);
    bool IsTeleportUIDKnown(const UniqueId& id) const;
    bool IsMarkerUIDKnown(const UniqueId& id) const;
    bool IsRespawnUIDKnown(const UniqueId& id) const;
    bool IsCurrentRespawnPoint(const UniqueId& id) const;
    const std::vector<UniqueId>& GetTeleportUIDs() const;
    const std::vector<UniqueId>& GetMarkerUIDs() const;
    void ClearTeleportLocations();
    void ClearRespawnLocation();
    // The spawn point, at the current respawn point's position when that one is loaded.
    WorldCoords GetClosestRespawnPoint() const;
    // Teleports to the next player spawn point of the world.
    void JumpToNextSpawnPoint();
    void DumpTeleportIds() const;
    void DumpRespawnIds() const;

    // ---- Voice prompts (only for the controlled player) --------------------------------
    void PlayLockedChestVox() { PlayLockedVox(LockedVox_Chest); }
    void PlayLockedShrineVox() { PlayLockedVox(LockedVox_Shrine); }
    void PlayLockedDoorVox() { PlayLockedVox(LockedVox_Door); }
    void PlayLockedQuestObjectVox() { PlayLockedVox(LockedVox_QuestObject); }
    void PlayNotEnoughManaVox(uint32_t skillId) { PlaySkillVox(SkillVox_NotEnoughMana, skillId); }
    void PlayInvalidEquipmentVox(uint32_t skillId) { PlaySkillVox(SkillVox_InvalidEquipment, skillId); }
    void PlaySkillCooldownVox(uint32_t skillId) { PlaySkillVox(SkillVox_Cooldown, skillId); }
    void ResetSkillVox();
    void PlayInventoryFullSound();

    // ---- Items -------------------------------------------------------------------------
    // Into the inventory, then placed by the player's controller; an item that finds no
    // place is dropped beside the player.
    void GiveItemToCharacter(Item* item) override;
    void NotifyControllerItemRemovedFromInventory(uint32_t itemId) override;
    void DropItem(Item* item, float a, float b) override;
    virtual bool IsInventorySpaceAvailable(const Item* item) const;
    void AttachItemAction(uint32_t itemId, EquipLocations location) override;
    void DetachItemAction(uint32_t itemId) override;
    void SetAlternateConfig(bool alternate);
    bool GetAlternateConfig() const { return m_alternateConfig; }
    bool GetAlternateConfigEnabled() const { return m_alternateConfigEnabled; }
    // The second weapon set becomes available (an item went into it).
    void EnableAlternateConfig() { m_alternateConfigEnabled = true; }
    // The player's own controller; null while it has the stub.
    ControllerPlayer* GetPlayerController() const;

    // ---- Pets --------------------------------------------------------------------------
    // Adds the pet; false once the player has kMaxPets.
    bool CanAdoptAPet(uint32_t petId);
    const std::vector<uint32_t>& GetPets() const { return m_pets; }
    void OnCreatureDeath(const GameEvent_CreatureDeath& event);

    // ---- Paper doll --------------------------------------------------------------------
    void CreatePaperDoll();
    Player* GetPaperDoll() const { return m_paperDoll; }
    Region* GetPaperDollRegion() const { return m_paperDollRegion.get(); }
    bool IsACopy() const { return m_isACopy; }
    void SetIsACopy(bool copy) { m_isACopy = copy; }
    Player* CreateCopy();
    static Entity* CreateCopy(uint32_t entityId);

    // ---- Game balance, caps and combat -------------------------------------------------
    void ContributeGameBalanceCharAttributes(CharAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceSkillAttributes(SkillAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceDefenseAttributes(CombatAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const override;
    void ContributeGameBalanceRetaliationAttributes(CombatAttributeAccumulator& accumulator) const override;
    float GetDefenseAttributeCap() const override;
    float CapRunSpeed(float speed) const override;
    float CapSpellCastSpeed(float speed) const override;
    float CapAttackSpeed(float speed) const override;
    // 0 while the hit is small beside the life; else the stun time.
    using Character::CalculateStun;
    static float CalculateStun(float damage, float life, float reduction, float threshold);
    bool ShouldUseDistressCall() override { return true; }
    bool AllocateAllAnimSets() override { return true; }
    bool ShouldLoadLoot() const override { return false; }
    // The death's experience penalty; the main player's death feeds the tutorial.
    void CharacterIsDying() override;
    // A monster the player touched counts as killed in the statistics.
    void ContactWithObject(uint32_t objectId);

    // ---- Textures and light ------------------------------------------------------------
    void PickNewTexture(int index);
    void SetPlayerTexture(const std::string& name);
    void ResetPlayerTexture() { SetPlayerTexture(m_playerTexture); }
    const std::string& GetPlayerTexture() const { return m_playerTexture; }
    const std::vector<std::string>& GetPlayerTextures() const { return m_playerTextures; }
    uint32_t GetLightId() const { return m_lightId; }
    void RemoveLight();

    // ---- Boat masters, NPC dialogs and illuminations ------------------------------------
    void AddBoatMaster(const BoatMasterData& data) { m_boatMasters.push_back(data); }
    bool IsBoatMaster(const std::string& name) const;
    bool GetBoatMaster(const std::string& name, BoatMasterData& out) const;
    void AddNpcDialog(const NpcDialogData& data) { m_npcDialogs.push_back(data); }
    bool IsNpcDialog(const std::string& name) const;
    bool GetNpcDialog(const std::string& name, NpcDialogData& out) const;
    void RemoveNpcDialog(const std::string& name);
    void AddNpcIllumination(const NpcIlluminationData& data) { m_npcIlluminations.push_back(data); }
    bool IsNpcIllumination(const std::string& name) const;
    bool GetNpcIllumination(const std::string& name, NpcIlluminationData& out) const;
    void RemoveNpcIllumination(const std::string& name);

    // ---- What the save and the rest of the game read and set ----------------------------
    uint32_t GetPartyId() const;
    void ClearTarget();
    void GetPlayerNetHeartbeatInfo(PlayerNetHeartbeatInfo& out);
    void GetPlayerNetBasicInfo(PlayerNetBasicInfo& out);
    PlayerHotSlotCtrl& GetPlayerHotSlotCtrl() { return m_hotSlotCtrl; }
    uint32_t GetPrimarySkillId() const { return m_hotSlotCtrl.GetPrimarySkillId(); }
    void SetPrimarySkillId(uint32_t id) { m_hotSlotCtrl.SetPrimarySkillId(id); }
    uint32_t GetSecondarySkillId() const { return m_hotSlotCtrl.GetSecondarySkillId(); }
    void SetSecondarySkillId(uint32_t id) { m_hotSlotCtrl.SetSecondarySkillId(id); }
    PlayerGameInterface* GetGameInterface() const { return m_gameInterface; }
    void SetGameInterface(PlayerGameInterface* ui) { m_gameInterface = ui; }
    bool IsInMainQuest() const { return m_isInMainQuest; }
    void SetIsInMainQuest(bool inMainQuest) { m_isInMainQuest = inMainQuest; }
    bool GetHasBeenInGame() const { return m_hasBeenInGame; }
    void SetHasBeenInGame(bool been) { m_hasBeenInGame = been; }
    // "None" (kNoDifficultyCompleted) reads as Normal.
    int32_t GetGreatestDifficultyCompleted() const;
    void SetGreatestDifficultyCompleted(int32_t difficulty) { m_greatestDifficultyCompleted = difficulty; }
    int32_t GetCompassState() const { return m_compassState; }
    void SetCompassState(int32_t state) { m_compassState = state; }
    bool GetSkillWindowShowHelp() const { return m_skillWindowShowHelp; }
    void SetSkillWindowShowHelp(bool show) { m_skillWindowShowHelp = show; }
    const UniqueId& GetUniqueSaveId() const { return m_uniqueSaveId; }
    void SetUniqueSaveId(const UniqueId& id) { m_uniqueSaveId = id; }
    float GetMaxMoveToRatio() const { return m_maxMoveToRatio; }
    void SetDebugSphereRadius(float radius) { m_debugSphereRadius = radius; }
    float GetLongIdleTriggerTime() const { return m_longIdleTriggerTime; }
    float GetLongIdleThreshold() const { return m_longIdleThreshold; }
    float GetLongIdleTime() const { return m_longIdleTime; }
    float GetUnarmedAnimSpeed() const;
    void DumpExperienceLevels();
    void InitializeSound() {}

private:
    enum LockedVox : int { LockedVox_Chest, LockedVox_Shrine, LockedVox_Door, LockedVox_QuestObject, kLockedVoxCount };
    enum SkillVox : int { SkillVox_NotEnoughMana, SkillVox_InvalidEquipment, SkillVox_Cooldown, kSkillVoxCount };

    // A listener that forwards one event to a member of the player.
    template <class Event>
    using Listener = GameEventListener<Player, Event>;

    void PlayLockedVox(LockedVox kind);
    void PlaySkillVox(SkillVox kind, uint32_t skillId);
    void OnQuestComplete(const GameEvent_QuestComplete& event);
    void OnQuestUpdate(const GameEvent_QuestUpdate& event);
    void GiveControllerTo(const char* recordName);
    void AddPlace(std::vector<UniqueId>& places, const UniqueId& id);
    void UpdateLongIdle(int elapsedMs);
    void UpdatePendingTokens();
    void UpdateShieldBlock();
    void CountDownVox(int elapsedMs);
    void FeedTutorial();
    bool IsMainPlayer() const;
    bool IsLocalPlayer() const;
    // Reads the current difficulty's entry of the game-wide record's cap pair and clamps.
    void DestroyPaperDoll();

    PlayerGameInterface* m_gameInterface = nullptr;   // not owned
    std::u16string m_playerName;
    std::string m_classTag;
    uint32_t m_lightId = 0;
    SoundPak* m_inventoryFullSound = nullptr;
    SoundPak* m_pickUpSound = nullptr;
    std::array<SoundPak*, kLockedVoxCount> m_lockedSounds{};
    std::array<int32_t, kLockedVoxCount> m_lockedCountdowns{};
    std::array<SoundPak*, kSkillVoxCount> m_skillSounds{};
    std::array<uint32_t, kSkillVoxCount> m_skillVoxLastSkill{};
    int32_t m_skillVoxRepeatCountdown = 0;
    int32_t m_skillVoxCountdown = 0;
    float m_longIdleTriggerTime = 0.0f;
    float m_longIdleThreshold = 0.0f;
    float m_longIdleTime = 0.0f;
    std::vector<TriggerToken> m_tokens;
    std::vector<TriggerToken> m_pendingTokens;
    Listener<GameEvent_QuestComplete> m_questCompleteListener;
    Listener<GameEvent_QuestUpdate> m_questUpdateListener;
    Listener<GameEvent_CreatureDeath> m_creatureDeathListener;
    std::vector<uint32_t> m_pets;
    PlayerCharacterClassType m_characterClass = PlayerCharacterClassType::Invalid;
    std::array<std::vector<UniqueId>, kDifficultyCount> m_teleportUIDs;
    std::array<std::vector<UniqueId>, kDifficultyCount> m_markerUIDs;
    std::array<std::vector<UniqueId>, kDifficultyCount> m_respawnUIDs;
    std::array<UniqueId, kDifficultyCount> m_currentRespawnPoint{};
    std::vector<BoatMasterData> m_boatMasters;
    PlayerHotSlotCtrl m_hotSlotCtrl;
    std::string m_playerTexture;
    std::vector<std::string> m_playerTextures;
    bool m_needsSave = false;
    int32_t m_autoSaveCountdown = kAutoSaveIntervalMs;
    bool m_questSavePending = false;
    bool m_questSaveArgument = false;
    int32_t m_spawnPointIndex = 0;
    int32_t m_heartbeatCountdown = 0;
    bool m_alternateConfig = false;
    bool m_alternateConfigEnabled = false;
    bool m_isInMainQuest = true;
    bool m_isACopy = false;
    std::unique_ptr<RandomUniform> m_ownDraws;
    std::string m_lastBossMusic;
    std::string m_bossMusicThisFrame;
    Player* m_paperDoll = nullptr;   // owned through the object manager
    std::unique_ptr<Region> m_paperDollRegion;
    std::map<uint32_t, uint32_t> m_paperDollItems;   // own item id -> the paper doll's copy
    int32_t m_greatestDifficultyCompleted = kNoDifficultyCompleted;
    bool m_hasBeenInGame = false;
    UniqueId m_uniqueSaveId;
    float m_maxMoveToRatio = 0.0f;
    float m_debugSphereRadius = 0.0f;
    int32_t m_compassState = 0;
    bool m_skillWindowShowHelp = true;
    std::vector<NpcDialogData> m_npcDialogs;
    std::vector<NpcIlluminationData> m_npcIlluminations;

public:
    // ==== Replication (PlayerReplication.cpp) =============================================
    // The player's image for other peers and for its copies (the paper doll). Written
    // behind the spawn packet, read into a held record, then applied and freed.
    struct ReplicationRecord {
        std::u16string playerName;
        WorldCoords coords;
        float currentLife = 0.0f;
        float currentMana = 0.0f;
        bool bioTainted = false;
        float baseLife = 0.0f;
        float baseMana = 0.0f;
        float baseStrength = 0.0f;
        float baseDexterity = 0.0f;
        float baseIntelligence = 0.0f;
        Team team;
        uint32_t level = 0;
        uint32_t experience = 0;
        uint32_t money = 0;
        std::string playerTexture;
        std::vector<DurationDamageReplication> damage;
        std::vector<FixedDurationDamageReplication> fixedDamage;
        std::vector<SkillManager::_SkillReplica> skills;
        std::vector<SkillManager::_SkillBuffReplica> skillBuffs;
        std::vector<InventoryReplica> inventory;
        Character_ActionState actionState = Character_ActionState_Unknown;
        bool isMoving = false;
        // Only while moving.
        WorldVec3 pathTarget;
        uint32_t attackTargetId = 0;
        uint32_t attackSkillId = 0;
    };
    // Every list goes behind a 4-byte count; the path fields only while moving.
    void WriteReplicationData(NetPacketOutBuffer& out);
    // Frees a record still held and reads a new one. A read that fails (logged) keeps no
    // record; the buffer holds the reason. A copy's items get object ids of their own.
    bool ReadReplicationData(NetPacketInBuffer& in);
    // Applies the held record and frees it; without one, a warning and nothing else.
    void ApplyReplicationData();
    const ReplicationRecord* GetReplicationRecord() const { return m_replication.get(); }
    // The packet the player's image travels behind.
    std::unique_ptr<NetPacket> CreateSpawnNetPacket() const;

private:
    std::unique_ptr<ReplicationRecord> m_replication;
    // ==== End of replication =================================================================
};

}  // namespace GAME
