// The game engine: the game's one global object. It owns the game-wide managers and
// services modules, holds the values of the game-wide record, the game's random
// generator, the camera and the network role, and runs the per-frame update.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/DropTally.h"
#include "Engine/EventManager.h"
#include "Engine/LoadTable.h"
#include "Engine/Math.h"
#include "Engine/Name.h"
#include "Engine/UniqueId.h"
#include "Engine/World.h"
#include "Engine/WorldCamera.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/CharacterTypes.h"
#include "Game/combat/AttributePak.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/core/GameCamera.h"
#include "Game/core/GameEvents.h"
#include "Game/core/GameTypes.h"
#include "Game/core/foundation/DesignerEquation.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/ItemTypes.h"
#include "Game/quests/DialogManager.h"
#include "Game/skills/SkillProfile.h"
#include "Game/world/FixedItemTeleportInfo.h"
#include "Game/world/ZoneManager.h"

namespace GAME {

struct Bonus;
class Character;
class Entity;
class GameEngineClientServicesModule;
class GameEngineInboundInterface;
class GameEngineNetworkInterface;
class GameEngineOutboundInterface;
class GameEngineServerServicesModule;
class GameEngineServerServicesModuleBase;
class GameUIInterface;
struct InstanceGroup;
class InventorySack;
struct NetConnectionEvent;
class ItemSet;
struct ItemReplicaInfo;
class Jukebox;
class NetworkRegionLoaderBase;
class PartyManager;
class Player;
class PlayerManagerClient;
class PlayerManagerServer;
class Proxy;
class Skill;
class SoundPak;
struct MinimapGameNugget;
class Team;
class TeamManager;
class TradeManager;
enum Market_TypeEnum : int32_t;

// How this game takes part in a networked game: alone, serving it (host 0), or as one of
// its clients.
enum class NetworkRole : uint8_t { Single, Server, Client };

// The game-wide record and its tuning values.
inline constexpr const char* kGameEngineRecordName = "Records/Game/GameEngine.dbr";
inline constexpr int kTutorialPageCount = 36;
inline constexpr int kActionTypeCount = 20;
inline constexpr int kMasteryCount = 8;

// Dialog parties whose yes/no answers the game engine collects, and the dialog type of a
// yes/no question.
inline constexpr int kBanDialogParty = 4;
inline constexpr int kPortalDialogParty = 5;
inline constexpr int kYesNoDialogType = 1;

// Party answers waiting for the user interface to take them.
inline constexpr size_t kMaxPartyRequestResponses = 32;
// Notifications and chat lines waiting for the user interface, and the portals known: a
// peer's messages and portals fill them, so past these they are dropped (and logged).
inline constexpr size_t kMaxQueuedNotifications = 64;
inline constexpr size_t kMaxQueuedChatMessages = 256;
inline constexpr size_t kMaxKnownPortals = 64;

// Tutorial pages the frame update unlocks from the tutorial watch state.
inline constexpr unsigned kTutorialPagePlayTime = 28;
inline constexpr unsigned kTutorialPageSkillPointsWaiting = 29;
inline constexpr unsigned kTutorialPageDeathsWithoutPotion = 30;
inline constexpr unsigned kTutorialPageUnspentPoints = 31;
inline constexpr unsigned kTutorialPageMasteryPoints = 32;

// Why a skill cannot be raised or lowered, one flag per position: 0 no points to add,
// 1 mastery level too low, 2 base skill needed, 3 no text past the current level unless
// reclaiming, 4 no requirement text, 5 a required skill missing, 6 too little gold to
// reclaim, 7 the base level cannot be reclaimed, 8 no points to reclaim.
using SkillReasons = std::array<bool, 9>;

class GameEngine : public EquationInterface<float> {
public:
    GameEngine();
    ~GameEngine() override;
    GameEngine(const GameEngine&) = delete;
    GameEngine& operator=(const GameEngine&) = delete;

    // ---- Lifecycle -----------------------------------------------------------------
    void Initialize();
    void Shutdown();
    void LoadFromDatabase(const std::string& recordName);
    const LoadTable& GetDatabase() const;
    void InitializeAssertHandler(void (*handler)(const char*), bool flag1, bool flag2);

    // ---- Frame ---------------------------------------------------------------------
    void Update(int elapsedMilliseconds);
    void GetFrustumForPlayer(WorldFrustum& out, const WorldVec3& position) const;

    // ---- Network role --------------------------------------------------------------
    void SetAsNetworkStub();
    // Serving the game is host 0's part: the connection manager's local host becomes 0.
    void SetAsNetworkServer();
    void SetAsNetworkClient();
    // The role set last; an interface installed to watch the operations keeps it.
    NetworkRole GetNetworkRole() const { return m_networkRole; }
    bool IsServerOrSingle() const;
    GameEngineNetworkInterface* GetNetworkInterface() { return m_currentNetworkInterface; }
    GameEngineNetworkInterface* GetInboundNetworkInterface();
    // Routes game-wide operations through another interface (not owned) until the next
    // role change; tests and tools watch the operations this way.
    void InstallNetworkInterface(GameEngineNetworkInterface* network);
    GameEngineClientServicesModule* GetClientServices() const { return m_currentClientServices; }
    GameEngineServerServicesModuleBase* GetServerServices() const { return m_currentServerServices; }
    PlayerManagerClient* GetPlayerManagerClient() const;
    PlayerManagerServer* GetPlayerManagerServer() const;

    // ---- Players and the game ------------------------------------------------------
    uint32_t GetPlayerId() const;
    // The name in the client roster; empty when the player has no record.
    std::u16string GetPlayerName(uint32_t playerId) const;
    // The first player of a network host; null when there is none.
    Player* GetHostPlayer(int hostId) const;
    void GetPlayerInfo(PlayerInfo& out) const;
    GameDifficulty GetGameDifficulty() const;
    // Item sets by record name (compared as record paths). LoadItemSet makes and loads
    // the set of a record the first time it is named and keeps it; a set registered from
    // outside is not owned. GetItemSet gives null when none is held.
    void LoadItemSet(const std::string& recordName);
    ItemSet* GetItemSet(const std::string& name) const;
    void RegisterItemSet(const std::string& name, ItemSet* set);
    // The item classification table of the game-wide record: a classification without an
    // entry (Common always) gives the empty colour, no sparkle and ItemNameCommon.
    std::u16string GetItemColorText(ItemClassification classification) const;
    std::string GetItemSparkleName(ItemClassification classification) const;
    GameTextClass GetItemTextClass(ItemClassification classification) const;
    // "Common" 0 ... "Quest" 9, written exactly; any other word is Common.
    static ItemClassification ResolveItemClassificationEnum(const std::string& word);
    void SetGameDifficulty(GameDifficulty difficulty);
    static std::string GetGameDifficultyAsString(GameDifficulty difficulty);
    // Stores the level and announces it with "GameEvent_GameBalanceLevel".
    void SetGameBalanceLevel(int level);
    uint32_t GetBalanceDifficulty() const { return m_balanceDifficulty; }
    // The players of a network host leave the game: both rosters, its portals, the party
    // it led, and their player objects, destroyed.
    void RemovePlayerFromGame(int hostId);
    // A host's connection changed (the network roles set this as the connection
    // manager's listener): a host that left or timed out leaves the game as a player who
    // leaves does, and the server tells the other clients, which remove it alike; a
    // client that lost its server notes it (HasLostServer) for the host program to end
    // the game.
    void HandleConnectionEvent(const NetConnectionEvent& event);
    bool HasLostServer() const { return m_serverLost; }
    // Leaves the game being played: rosters, pets, ambiance, proxies, portals,
    // activities and camera back to their starting state.
    void ExitPlayingMode();
    void BanPlayer(uint32_t playerId, bool ask);
    void InvitePlayerToParty(uint32_t playerId, int partyId);
    // Sends a text tag naming `aboutPlayer` to every player in the client roster.
    void BroadcastMessageRemote(uint32_t aboutPlayer, bool asNotification, const std::string& textTag);
    // Sends every known portal to a newcomer.
    void SendFixedItemTeleports(uint32_t target);

    // ---- Game-wide operations through the current interface ------------------------
    void CreateItem(const WorldCoords& coords, const ItemReplicaInfo& item);
    void CreateItemForCharacter(uint32_t characterId, const WorldCoords& coords, const ItemReplicaInfo& item,
                                std::u16string* nameOut);
    // An id of 0 is replaced by a fresh one first, so every peer uses the same id.
    void CreateEntity(const WorldCoords& coords, const std::string& recordName, uint32_t objectId);
    void CreateFixedItemTeleport(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                 const std::string& text, uint32_t target);
    void DestroyFixedItemTeleport(uint32_t portalId);
    void HandleBonusToServerOutbound(const Bonus& bonus, const WorldVec3& where, uint32_t playerId);
    void AddPlayerToParty(uint32_t playerId, int partyId);
    void DisplayMessageRemote(uint32_t toPlayer, uint32_t aboutPlayer, bool asNotification,
                              const std::string& textTag);
    void DisplayWMessageRemote(uint32_t toPlayer, bool asNotification, const std::u16string& text);
    void SendQuestPacket(const std::vector<uint32_t>& message, uint32_t value, bool isConditionSet);
    void SendChatMessage(const std::u16string& sender, const std::u16string& text, unsigned char kind,
                         std::vector<uint32_t> recipients);
    void QuestCommandMove(uint32_t characterId, uint32_t value, WorldVec3 target, bool flag);
    void QuestCommandWalk(uint32_t characterId, uint32_t value, WorldVec3 target, bool flag);
    void QuestCommandPlayAnimation(uint32_t characterId, uint32_t value, bool first, bool second);
    void QuestCommandUseSkill(uint32_t characterId, const std::string& skillName, uint32_t value, bool flag);
    void QuestCommandLockFixedItem(uint32_t fixedItemId, bool locked);

    // ---- Operations that send their own packet --------------------------------------
    void SendPartyRequestResponse(uint32_t playerId, uint32_t inviterId, bool answer);
    void CtoS_StartTeleportOutbound(uint32_t playerId, int x, int y, int z);
    void StoC_StartTeleportOutbound(uint32_t playerId, int x, int y, int z);
    void ServerPropegateTeleport(uint32_t playerId, int x, int y, int z);
    // The network region loaders by player id, in registration order (not owned).
    // Creation: an NRLoaderServer on the server or alone, an NRLoaderClient on a client,
    // initialised (so registered) at the position. Destroying a loader (null is ignored)
    // unregisters it: Unregister removes every entry of the loader; Find gives the first
    // entry's loader of a player, or null.
    NetworkRegionLoaderBase* CreateNetworkLoader(uint32_t playerId, const WorldVec3& position);
    void DestroyNetworkLoader(NetworkRegionLoaderBase* loader);
    void RegisterNRLoader(uint32_t playerId, NetworkRegionLoaderBase* loader);
    void UnregisterNRLoader(NetworkRegionLoaderBase* loader);
    NetworkRegionLoaderBase* FindNRLoader(uint32_t playerId) const;

    void CtoS_HandleNRLoaderStateChangeOutbound(uint32_t playerId, NRLoaderState state);
    void StoC_HandleNRLoaderStateChangeOutbound(uint32_t playerId, NRLoaderState state);
    void CtoS_InitiateServerRespawnLoaderOutbound(const WorldVec3& position);

    // ---- Received operations (called by whoever dispatches received packets) --------
    void StoC_StartTeleportInbound(uint32_t playerId, int x, int y, int z);
    void CtoS_StartTeleportInbound(uint32_t playerId, int x, int y, int z);
    void CtoS_HandleNRLoaderStateChangeInbound(uint32_t playerId, NRLoaderState state);
    void StoC_HandleNRLoaderStateChangeInbound(uint32_t playerId, NRLoaderState state);
    void CtoS_StartServerRespawnInbound(uint32_t playerId, const WorldVec3& position);
    // The server's word that a client host left: its players leave this game too. Only a
    // client applies it, and never for its own host or the server's.
    void StoC_RemovePlayerFromGameInbound(int hostId);
    // Shared on the host (single-player and server roles); ignored on a pure client.
    void HandleBonusToServerInbound(const Bonus& bonus, const WorldVec3& where, uint32_t playerId);
    // On a client an NRLoaderClient; on the server an NRLoaderHost for its own player
    // and an NRLoaderServer for any other; registered under the player.
    void CreateNetworkLoaderInbound(uint32_t playerId, const WorldVec3& position);
    void CreateNetworkLoaderOutbound(uint32_t playerId, const WorldVec3& position);
    void DestroyNetworkLoaderInbound(uint32_t playerId);
    void DestroyNetworkLoaderOutbound(uint32_t playerId);
    void DefaultSpawn(uint32_t playerId);
    void HandleSpawnCharacter(uint32_t playerId);
    void HandleSpawnCharacter(uint32_t playerId, uint32_t value);
    void HandleRespawnCharacter(uint32_t playerId, uint32_t value);
    void InvokeSpawnCharacter(const std::string& recordName);
    void InvokeSpawnCharacter(const std::string& recordName, uint32_t value);

    // ---- Portals, teleports and respawns applied on this peer -----------------------
    // The personal portals known to this peer, at most one per owner.
    // The main player asks for a portal near it: at once when it owns none, else through
    // the "tagPortalDialog" question (sent by the frame on a yes). Nothing without a main
    // player or while a question is pending.
    void CreateFixedItemTeleport();
    // A portal creation applied here: a portal id already listed is ignored; the owner's
    // earlier portals go. On the host roles the portal object is made and placed when its
    // region is loaded.
    void CreateFixedItemTeleportNetHook(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                        const std::string& text);
    // Removes every portal whose portal id or owner is `id`.
    void DestroyFixedItemTeleportNetHook(uint32_t id);
    void RemovePortalsFor(uint32_t ownerId);
    const std::vector<FixedItemTeleportInfo>& GetTeleportInfoList() const { return m_teleports; }
    // The portal of that id (null when none); valid until the list changes.
    const FixedItemTeleportInfo* GetTeleportInfo(uint32_t portalId) const;
    bool ValidateArtifactPortal(uint32_t portalId) const { return GetTeleportInfo(portalId) != nullptr; }
    bool MainPlayerHasPersonalTeleport() const { return HasFixedItemTeleport(GetPlayerId()); }
    // The act of the region of the main player's first portal standing in a loaded
    // region; 0 when there is none.
    ZonePage GetMainPlayersPersonalPortalZone() const;
    // The text a portal made now carries (the cinematic being shown, if any).
    const std::string& GetCinematicText() const { return m_cinematicText; }
    void SetCinematicText(const std::string& text) { m_cinematicText = text; }

    // The teleport activity of the player's kind (this machine's own or another's) for
    // this machine's side, set to the point (whole world units) and installed.
    void InstallTeleportActivity(uint32_t playerId, int x, int y, int z);
    // Teleports this machine's own player to the point (whole world units).
    void InitiatePlayerTeleport(int x, int y, int z);
    // A pending question before a portal is created (answered through dialog party 5).
    void SetPendingPortalRequest(const WorldCoords& coords, uint32_t ownerId, uint32_t portalId,
                                 const std::string& text);
    // Starts the main player's respawn at the position: the local activity for this
    // role (a client also asks the server to load for it), installed at once. Its id, or
    // 0 when it could not be made (then nothing is installed and nothing sent).
    uint32_t StartRespawnForLocalPlayer(const WorldVec3& position);
    // Whether the respawn activity of that id still runs.
    bool IsDeathLoaderActive(uint32_t activityId) const;

    // ---- Experience rewards, damage register, designer variables, game events -------
    // The designer inputs of the two experience formulas, by their exact names; any
    // other name (another letter case included) gives false and 0.
    bool GetDesignerVariable(const char* name, float& value) override;
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;
    // What a creature of that level and base experience is worth to the party of the
    // player: the experience formula, or the base experience without one.
    uint32_t CalculateExperienceReward(uint32_t monsterLevel, uint32_t playerId, uint32_t monsterExperience);
    // The experience the player loses when killed by `killerId`: the death penalty
    // formula (0 without one), held within "deathPenaltyMin" and "deathPenaltyMax".
    uint32_t GetPlayerDeathExperiencePenalty(Player* player, uint32_t killerId) const;
    // Damage done to creatures, by attacker (a pet's damage counts for its master), so
    // that rewards can be shared. Kept on the host only; damage to players is not kept.
    void RegisterDamage(uint32_t victim, uint32_t attacker, float damage);
    // The amounts of one hit in one go, added one by one in order (the same sums).
    void RegisterDamage(uint32_t victim, uint32_t attacker, std::span<const float> amounts);
    void RemoveDamageEntry(uint32_t victim);
    float GetTotalDamageDone(uint32_t victim) const;
    float GetDamageByAttacker(uint32_t attacker, uint32_t victim) const;
    // The attacker's share of the damage done to the victim, from 0 to 1.
    float GetPlayerDamagePercent(uint32_t attacker, uint32_t victim) const;
    // The master of a pet; any other id is its own attacker.
    uint32_t GetMasterAttacker(uint32_t id) const;
    // A creature died: the host shares its reward and forgets its damage.
    void OnCreatureDeath(const GameEvent_CreatureDeath& event);

    // ---- Action permissions, class tags, races -------------------------------------
    CharacterActionPermission CheckPlayerAction(CharacterActionType requested, CharacterActionType running) const;
    const std::string& GetClassTag(unsigned a, unsigned b) const;
    const std::string& GetClassTag(unsigned a) const;
    std::string GetMonsterRaceTagSingular(const std::string& race) const;
    std::string GetMonsterRaceTagPlural(const std::string& race) const;

    // ---- Tutorial pages ------------------------------------------------------------
    void ResetTutorialState();
    void UnlockTutorialPage(unsigned page, bool notify);
    void UnlockAllTutorials();
    const std::vector<uint32_t>& GetTutorialUnlockList() const { return m_tutorialUnlockList; }
    bool GetDisableTutorialAutoPop() const { return m_disableTutorialAutoPop; }
    void SetDisableTutorialAutoPop(bool disable) { m_disableTutorialAutoPop = disable; }

    // The tutorial watch state other subsystems feed.
    struct TutorialWatch {
        int32_t unspentSkillPoints = 0;
        int32_t unspentMasteryPoints = 0;
        bool potionReceived = false;
        bool potionUsed = false;
        int32_t playTimer = 0;
        bool playTimerStopped = false;
        int32_t itemsReceived = 0;
        int32_t modifierPointsTimer = 0;
        bool hotSlotsChanged = false;
        int32_t skillPointsTimer = 0;
        int32_t mainPlayerDeaths = 0;
        int32_t unspentPointsTimer = 0;
    };
    TutorialWatch& GetTutorialWatch() { return m_tutorialWatch; }
    const TutorialWatch& GetTutorialWatch() const { return m_tutorialWatch; }

    // ---- Notifications, chat, party answers ----------------------------------------
    void AddUINotificationTag(UINotificationType type, const std::string& tag, bool clearFirst);
    void AddUINotificationTag(UINotificationType type, const std::vector<std::string>& tags, bool clearFirst);
    void AddUINotification(UINotificationType type, const std::u16string& text, bool clearFirst);
    void AddUINotification(UINotificationType type, const std::vector<std::u16string>& texts, bool clearFirst);
    size_t GetNumNotifications() const { return m_notifications.size(); }
    UINotification TakeTopNotification();

    void AddChatMessage(const std::u16string& sender, const std::u16string& text, unsigned char channel);
    void RemovePendingMessages(std::vector<ChatMessage>& out);

    // Queues the answer for the user interface; past kMaxPartyRequestResponses waiting
    // answers, a new one is dropped (logged).
    void RegisterPartyRequestResponse(uint32_t playerId, bool answer);
    size_t GetNumPartyRequestResponses() const { return m_partyRequestResponses.size(); }
    PartyRequestResponse GetTopPartyRequestResponse();

    // ---- Saving and the user interface ---------------------------------------------
    bool SaveGame();
    bool SaveGame(GameDifficulty difficulty);
    bool SaveQuest(bool flag);
    bool BackupGame();
    bool DisplaySkillReallocationWindow(uint32_t playerId);
    bool AutoSave();
    bool AutoSaveQuest(bool flag);
    bool UIExists() const { return m_ui != nullptr; }
    GameUIInterface* GetUI() const { return m_ui; }
    void SetUI(GameUIInterface* ui) { m_ui = ui; }

    // ---- Main player, pets, random numbers -----------------------------------------
    Player* GetMainPlayer() const;
    bool IsPlayerAlive();
    bool IsGameWaiting();
    void RegisterLocalPet(uint32_t id);
    void UnregisterLocalPet(uint32_t id);
    bool IsLocalPet(uint32_t id) const;
    void ClearPetList() { m_localPets.clear(); }
    const std::vector<uint32_t>& GetLocalPetList() const { return m_localPets; }
    void SetPlayer(Player* player);
    void TryJump(uint32_t entityId);
    // The generator of the game rules: the shared one, or on this thread the stream that a
    // RandomStreamScope names while it lives.
    RandomUniform& GetRandomGen();
    uint16_t GetRandomSeed();
    // The draw of a seed that would go unused: the generator steps past it all the same
    // (the number of draws is part of what every peer repeats), the shared one without the lock.
    void DiscardRandomSeed();
    // The range GetRandomSeed draws from; generators that seed identities with their own
    // random draw from the same range.
    static constexpr int32_t kSeedMin = 1;
    static constexpr int32_t kSeedMax = 32767;

    // ---- Managers and accessors ----------------------------------------------------
    DialogManager& GetDialogManager() { return m_dialogManager; }
    PartyManager* GetPartyManager() { return m_partyManager; }
    TradeManager* GetTradeManager() { return m_tradeManager; }
    TeamManager* GetTeamManager() { return m_teamManager; }
    GameCamera& GetCamera() { return m_camera; }
    Jukebox& GetJukebox();
    const Color& GetOverlayColor() const { return m_overlayColor; }
    void SetOverlayColor(const Color& color) { m_overlayColor = color; }

    // ---- Switches ------------------------------------------------------------------
    bool IsRenderingEnabled() const;
    void SetRenderingEnabled(bool enabled, RenderingDisable reason);
    void ForceRenderingEnabled();
    // Both are counted: every raise is paired with one lowering by whoever raised it, so
    // overlapping activities do not release each other's. A lowering with none raised is
    // ignored.
    void IncrementNeedsSleepCounter() { ++m_needsSleepCounter; }
    void DecrementNeedsSleepCounter()
    {
        if (m_needsSleepCounter > 0)
            --m_needsSleepCounter;
    }
    bool NeedsSleep() const { return m_needsSleepCounter > 0; }
    int32_t GetNeedsSleepCounter() const { return m_needsSleepCounter; }
    void LockMouse() { ++m_mouseLocks; }
    void UnlockMouse()
    {
        if (m_mouseLocks > 0)
            --m_mouseLocks;
    }
    bool IsMouseLocked() const { return m_mouseLocks > 0; }
    int32_t GetMouseLockCount() const { return m_mouseLocks; }
    void SetPlayerCompletedLevel(bool completed) { m_playerCompletedLevel = completed; }
    bool GetPlayerCompletedLevel() const { return m_playerCompletedLevel; }
    void SetPlayerUnlockedLevel(bool unlocked) { m_playerUnlockedLevel = unlocked; }
    bool GetPlayerUnlockedLevel() const { return m_playerUnlockedLevel; }
    void SetGameLoading(bool loading) { m_gameLoading = loading; }
    bool IsGameLoading() const { return m_gameLoading; }
    void SetSaveEnabled(bool enabled) { m_saveEnabled = enabled; }
    bool IsSaveEnabled() const { return m_saveEnabled; }
    // The debug display: target searches draw the sphere they search and radius attacks
    // their growing ring.
    void SetShowTargetSpheres(bool show) { m_showTargetSpheres = show; }
    bool GetShowTargetSpheres() const { return m_showTargetSpheres; }
    void SetAutoSave(bool autoSave) { m_autoSave = autoSave; }
    bool GetAutoSave() const { return m_autoSave; }

    // ---- Host conveniences ---------------------------------------------------------
    void SetCameraFOV(float degrees);
    void UnloadWorld();
    static void SuperPreRun();

    // ---- Values of the game-wide record --------------------------------------------
    float GetArmorDefensiveAbsorption() const { return m_armorDefensiveAbsorption; }
    float GetMeleeRange() const { return m_meleeRange; }
    float GetShortRange() const { return m_shortRange; }
    float GetModerateRange() const { return m_moderateRange; }
    float GetLongRange() const { return m_longRange; }
    float GetMaximumRange() const { return m_maximumRange; }
    float GetMinRotationSpeed() const { return m_minRotationSpeed; }
    float GetMaxRotationSpeed() const { return m_maxRotationSpeed; }
    float GetPathSlowdownLength() const { return m_pathSlowdownLength; }
    // "monsterDefenseCap" and "playerDefenseCap" at a difficulty (0 for none or another
    // difficulty), read with the record like the values above: every attack reads one.
    float GetMonsterDefenseCap(int difficulty) const { return DefenseCapAt(m_monsterDefenseCap, difficulty); }
    float GetPlayerDefenseCap(int difficulty) const { return DefenseCapAt(m_playerDefenseCap, difficulty); }
    float GetMinPlayerRotationSpeed() const { return m_minPlayerRotationSpeed; }
    float GetMaxPlayerRotationSpeed() const { return m_maxPlayerRotationSpeed; }
    float GetPlayerPathSlowdownLength() const { return m_playerPathSlowdownLength; }
    // ---- Markets: forwarded to this peer's market client of the id; without one the
    // operation does nothing and answers 0, false or null ------------------------------
    void CreateMarketClient(uint32_t market);
    void DestroyMarketClient(uint32_t market);
    void ForceMarketRefresh(uint32_t market);
    MarketItemStatus GetMarketItemStatus(uint32_t market, uint32_t item) const;
    InventorySack* GetMarketInventorySack(uint32_t market, Market_TypeEnum page);
    const InventorySack* GetMarketInventorySack(uint32_t market, Market_TypeEnum page) const;
    bool GetMarketIsItemAffordable(uint32_t market, uint32_t item) const;
    void OpenMarket(uint32_t market, Market_TypeEnum& page, const Vec2& position);
    void CloseMarket(uint32_t market);
    void CreateUIPlayerSellText(uint32_t market, uint32_t item, std::vector<GameTextLine>& lines) const;
    void CreateUIPlayerBuyText(uint32_t market, uint32_t item, std::vector<GameTextLine>& lines) const;
    bool PlayerPurchaseRequest(uint32_t market, uint32_t item);
    bool PlayerSaleRequest(uint32_t market, uint32_t item, bool silent);
    void PlayMarketPurchaseSound();
    void PlayMarketSaleSound();

    // ---- Skill and map texts ----------------------------------------------------------
    // A skill's rollover in the skill window: heading, current and next level, and the
    // line telling why it can or cannot be raised (or, reclaiming, lowered for `gold`).
    static void GenerateUISkillText(const Skill* skill, std::vector<GameTextLine>& lines,
                                    const SkillReasons* reasons, bool headingOnly, bool reclaiming, int gold);
    // A skill's rollover on a hot slot: heading, current level and whether it is usable now.
    static void GenerateUISkillInfo(const Skill* skill, std::vector<GameTextLine>& lines);
    // "mod ~ level" for a mod's map, else the default map's localised name.
    std::u16string GetMapName() const;
    // The detail map's entries: those of the entities in the frustum, then one per player
    // in the game (kind kMinimapPlayer, or kMinimapPartyMember for the local player's party).
    void GetDetailMapData(std::vector<MinimapGameNugget>& out, const WorldFrustum& frustum) const;
    static constexpr int kMinimapPlayer = 0;
    static constexpr int kMinimapPartyMember = 1;
    // Null when the record names none, or once the sound is destroyed.
    SoundPak* GetMarketPurchaseSound() const;
    SoundPak* GetMarketSaleSound() const;
    const DesignerEquation<float>* GetExperienceEquation() const { return m_experienceEquation; }
    const DesignerEquation<float>* GetDeathPenaltyEquation() const { return m_deathPenaltyEquation; }
    int GetDeathPenaltyMin() const { return m_deathPenaltyMin; }
    int GetDeathPenaltyMax() const { return m_deathPenaltyMax; }
    const std::string& GetItemForearmAnimationName() const { return m_itemForearmAnimationName; }
    const std::vector<uint32_t>& GetMasteryTierLevels() const { return m_masteryTierLevels; }
    // The mastery level a skill of that tier asks for: 0 for tier 0 or without tiers, the
    // last tier's past the end.
    uint32_t GetSkillMasteryLevel(unsigned tier) const
    {
        const uint32_t* level = PerLevelEntry(m_masteryTierLevels, tier);
        return level ? *level : 0;
    }
    const Vec2& GetInventorySackDims(int sack) const { return m_sackDims[sack == 0 ? 0 : 1]; }
    const AttributePak& GetMonsterAttributePak() const { return m_monsterAttributePak; }
    const AttributePak& GetPlayerAttributePak() const { return m_playerAttributePak; }
    const AttributePak& GetPetAttributePak() const { return m_petAttributePak; }
    std::string GetGameTextStyleName(GameTextClass textClass) const;
    float GetGameTextStyleIndent(GameTextClass textClass) const;

    // One row of the item classification table.
    struct ItemClassificationEntry {
        std::u16string color;
        std::string sparkle;
        GameTextClass textClass = GameTextClass::Default;
    };
    const ItemClassificationEntry* GetItemClassification(ItemClassification classification) const;
    std::u16string GetMonsterColor(MonsterClassification classification) const;
    // Copy the rank's loot weight modifiers into `out`; a rank without an entry leaves
    // `out` as it was.
    void GetMonsterLootWeightModifiers(MonsterClassification classification, RandomizerWeightModifiers& out) const;
    void GetChestLootWeightModifiers(ChestClassification classification, RandomizerWeightModifiers& out) const;
    // "Common" 0, "Champion" 1, "Hero" 2, "Boss" 3; any other word is Common.
    static MonsterClassification ResolveMonsterClassificationEnum(const std::string& word);
    // "Common" 0, "Champion" 1, "Hero" 2; any other word is Common.
    static ChestClassification ResolveChestClassificationEnum(const std::string& word);

    // ---- Proxy pools and the hero and boss registry ---------------------------------
    // Spawn proxies of one instance group act as one: a "Unified Proxies" group shares one
    // pool index, a "Unique Proxies" group lets one chosen member spawn. A proxy may load
    // on a level-loading thread: the maps are guarded by the proxy pool lock.
    enum ProxyType : int { ProxyType_None = 0, ProxyType_Unified = 1, ProxyType_Unique = 2 };
    ProxyType GetProxyType(const Proxy* proxy) const;
    bool IsUniqueProxySelected(const Proxy* proxy);
    bool GetUnifiedProxyPool(const Proxy* proxy, unsigned& index) const;
    void SetUnifiedProxyPool(const Proxy* proxy, unsigned index);
    void RegisterProxyHeroBoss(const std::string& name);
    void UnregisterProxyHeroBoss(const std::string& name);
    bool IsProxyHeroBossInGame(const std::string& name) const;
    // Forgets the unique selections and the unified pool indices.
    void ClearProxyInfo();
    // Writes the unified and unique proxy groups to the log.
    void DumpGroupProxyData() const;

    // ---- Skill profile cache -------------------------------------------------------
    // The profile cached under a name; null after Shutdown for a name that was cached,
    // the empty profile for a name never cached.
    const SkillProfile* GetSkillResource(const Name& name) const;
    // The profile cached under the name; one made from the record and cached when there
    // is none yet.
    const SkillProfile* LoadSkillResource(const Name& name, const LoadTable& record);
    // The profile that was never loaded, answered for a skill without one of its own.
    const SkillProfile* GetNullSkillResource() const { return &m_nullSkillProfile; }
    // The localized display name of a skill record, from its profile (loaded and cached
    // when it is not yet); empty for a record that does not exist or names no skill.
    std::u16string GetSkillDisplayName(const std::string& recordName);

    // ---- Target searches -------------------------------------------------------------
    // Each appends to `out`, in the world's order, the ids of the living, visible
    // characters (not non-player characters) that have had their first update, are foes
    // of `team` (friends when `friends`; a dynamic barrier is never a friend) and are not
    // `exclude`.
    void GetTargetsInRadius(const Team& team, const WorldVec3& centre, float radius, std::vector<unsigned>& out,
                            unsigned exclude, bool friends) const;
    void GetTargetsInRadius(const Character& character, const WorldVec3& centre, float radius,
                            std::vector<unsigned>& out, unsigned exclude, bool friends) const;
    // Friends first, then foes.
    void GetAllTargetsInRadius(const Team& team, const WorldVec3& centre, float radius, std::vector<unsigned>& out,
                               unsigned exclude) const;
    // Along the ray up to `length`, nearest first.
    void GetTargetsAlongRay(const Team& team, const WorldRay& ray, float length, std::vector<unsigned>& out,
                            unsigned exclude, bool friends) const;
    // Within `angleDegrees` of `direction` from the apex, up to `length`.
    void GetTargetsInCone(const Team& team, const WorldVec3& apex, const Vec3& direction, float angleDegrees,
                          float length, std::vector<unsigned>& out, unsigned exclude, bool friends) const;
    // One of the candidates not excluded, drawn with the game's generator; 0 when none.
    unsigned PickObject(const std::vector<unsigned>& candidates, const std::vector<unsigned>& excluded);

protected:
    UniqueId LoadAndSelectOneProxy(const InstanceGroup* group);
    bool GetUnifiedProxyPoolName(const std::string& group, unsigned& index) const;
    void SetUnifiedProxyPoolName(const std::string& group, unsigned index);
    bool HasFixedItemTeleport(uint32_t ownerId) const;
    void FilterInvalidTargets(const Team& team, const std::vector<Entity*>& candidates, std::vector<unsigned>& out,
                              unsigned exclude, bool friends) const;
    void SetClassEntry(int a, int b, const std::string& tag);
    void FillClassArray();
    void InitializeActionMatrix();
    void InitializeMonsterRaceMap();

private:
    void LoadMarketSound(const LoadTable& table, const char* key, uint32_t& soundId);
    void DestroyMarketSound(uint32_t& soundId);
    void LoadEquation(const LoadTable& table, const char* key, DesignerEquation<float>*& slot);
    void QueueNotification(UINotification notification, bool clearFirst);
    void UpdateTutorialTimers(int ms, Player* mainPlayer);
    void UpdatePendingPortal();
    void UpdateMusicTracking();
    void UpdatePendingBan();
    void UpdateAmbiance(Player* mainPlayer);

    // Members in the order the game engine declares them.
    int32_t m_seedMin = kSeedMin;
    int32_t m_seedMax = kSeedMax;
    TutorialWatch m_tutorialWatch;
    bool m_autoSave = true;
    DialogManager m_dialogManager;
    std::vector<UINotification> m_notifications;
    DropTally m_droppedNotifications{"GameEngine: a notification"};
    std::vector<FixedItemTeleportInfo> m_teleports;
    PartyManager* m_partyManager = nullptr;
    TradeManager* m_tradeManager = nullptr;
    TeamManager* m_teamManager = nullptr;
    Color m_overlayColor;
    // Held as a string, so that reading the record (GetDatabase) makes no name on the heap.
    std::string m_recordName = kGameEngineRecordName;
    std::map<Name, const SkillProfile*> m_skillProfiles;
    SkillProfile m_nullSkillProfile;
    std::vector<uint32_t> m_masteryTierLevels;
    uint32_t m_marketPurchaseSoundId = 0;   // owned, kept by id and looked up
    uint32_t m_marketSaleSoundId = 0;
    RandomUniformLocked m_random;
    float m_armorDefensiveAbsorption = 0.0f;
    static constexpr size_t kDefenseCapDifficulties = 3;
    using DefenseCaps = std::array<float, kDefenseCapDifficulties>;
    static float DefenseCapAt(const DefenseCaps& caps, int difficulty)
    {
        return difficulty >= 0 && static_cast<size_t>(difficulty) < caps.size() ? caps[static_cast<size_t>(difficulty)]
                                                                                 : 0.0f;
    }
    DefenseCaps m_monsterDefenseCap{};
    DefenseCaps m_playerDefenseCap{};
    float m_meleeRange = 0.4f;
    float m_shortRange = 2.0f;
    float m_moderateRange = 4.0f;
    float m_longRange = 8.0f;
    float m_maximumRange = 12.0f;
    float m_minRotationSpeed = 3.0f;
    float m_maxRotationSpeed = 10.0f;
    float m_pathSlowdownLength = 0.3f;
    float m_minPlayerRotationSpeed = 3.0f;
    float m_maxPlayerRotationSpeed = 10.0f;
    float m_playerPathSlowdownLength = 0.3f;
    GameCamera m_camera;
    GameUIInterface* m_ui = nullptr;
    // Group name to the shared pool index, and to the member chosen to spawn; both
    // under m_proxyPoolLock, as is the hero and boss registry.
    std::map<std::string, unsigned> m_unifiedProxyPools;
    std::map<std::string, UniqueId> m_uniqueProxySelections;
    const char* m_unifiedGroupName = "Unified Proxies";
    const char* m_uniqueGroupName = "Unique Proxies";
    std::map<std::string, uint32_t> m_heroAndBossProxies;
    DesignerEquation<float>* m_experienceEquation = nullptr;
    DesignerEquation<float>* m_deathPenaltyEquation = nullptr;
    // Designer inputs: filled by an evaluation and read back by the formula within it.
    mutable PlayerInfo m_playerInfo;
    mutable uint32_t m_monsterLevel = 0;
    mutable uint32_t m_averagePartyLevel = 0;
    mutable uint32_t m_monsterExperience = 0;
    mutable uint32_t m_currentPlayerLevel = 0;
    int32_t m_deathPenaltyMin = 0;
    int32_t m_deathPenaltyMax = 0;
    std::map<uint32_t, std::vector<std::pair<uint32_t, float>>> m_damageRegister;
    std::map<ItemClassification, ItemClassificationEntry> m_itemClassifications;
    std::string m_itemForearmAnimationName;
    std::map<std::string, ItemSet*> m_itemSets;               // by normalized name
    std::vector<std::unique_ptr<ItemSet>> m_loadedItemSets;   // the sets LoadItemSet made
    AttributePak m_monsterAttributePak;
    AttributePak m_playerAttributePak;
    AttributePak m_petAttributePak;
    Vec2 m_sackDims[2];
    std::map<MonsterClassification, std::u16string> m_monsterColors;
    GameEventListener<GameEngine, GameEvent_CreatureDeath> m_creatureDeathListener;
    NetworkRole m_networkRole = NetworkRole::Single;
    bool m_serverLost = false;
    GameEngineNetworkInterface* m_currentNetworkInterface = nullptr;
    GameEngineOutboundInterface* m_outboundInterface = nullptr;
    GameEngineInboundInterface* m_inboundInterface = nullptr;
    GameEngineClientServicesModule* m_currentClientServices = nullptr;
    GameEngineServerServicesModuleBase* m_currentServerServices = nullptr;
    GameEngineServerServicesModuleBase* m_nullServerServices = nullptr;
    GameEngineServerServicesModule* m_serverServices = nullptr;
    GameEngineClientServicesModule* m_clientServices = nullptr;
    mutable CriticalSection m_skillProfileLock;
    mutable CriticalSection m_proxyPoolLock;
    std::array<std::array<std::string, kMasteryCount>, kMasteryCount> m_classTags;
    std::vector<uint32_t> m_localPets;
    CharacterActionPermission m_actionMatrix[kActionTypeCount][kActionTypeCount];
    GameTextStyleTable m_textStyles;
    uint32_t m_pendingBan = 0;
    bool m_disableTutorialAutoPop = false;
    struct PendingPortalRequest {
        WorldCoords coords;
        uint32_t ownerId = 0;
        uint32_t portalId = 0;
        std::string text;
        bool pending = false;
    } m_pendingPortal;
    std::map<std::string, std::pair<std::string, std::string>> m_monsterRaces;
    std::vector<ChatMessage> m_chatMessages;
    DropTally m_droppedChatMessages{"GameEngine: a chat line"};
    DropTally m_droppedPortals{"GameEngine: a portal"};
    std::map<MonsterClassification, RandomizerWeightModifiers> m_monsterWeightModifiers;
    std::map<ChestClassification, RandomizerWeightModifiers> m_chestWeightModifiers;
    std::vector<uint32_t> m_tutorialUnlockList;
    std::vector<bool> m_tutorialUnlockBits;
    std::vector<std::pair<NetworkRegionLoaderBase*, uint32_t>> m_networkRegionLoaders;   // not owned
    bool m_renderingDisabled[kRenderingDisableReasons] = {};
    int32_t m_needsSleepCounter = 0;
    bool m_playerCompletedLevel = false;
    bool m_playerUnlockedLevel = false;
    int32_t m_mouseLocks = 0;
    std::vector<PartyRequestResponse> m_partyRequestResponses;
    uint32_t m_balanceDifficulty = 0;
    bool m_gameLoading = true;
    bool m_saveEnabled = true;
    bool m_showTargetSpheres = false;

    void (*m_assertHandler)(const char*) = nullptr;
    bool m_assertFlag1 = false;
    bool m_assertFlag2 = false;
    std::string m_cinematicText;
};

// The one game engine, between InitializeObjects and ShutdownObjects; null outside.
extern GameEngine* gGameEngine;

}  // namespace GAME

// The library's entry points, called by the host by name.
extern "C" {
void InitializeObjects();
void ShutdownObjects();
}
