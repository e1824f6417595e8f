#include "Game/characters/Player.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Engine/Random.h"
#include "Engine/World.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/CharacterMovementManager.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Monster.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/EnumConverter.h"
#include "Game/core/foundation/Filters.h"
#include "Game/core/foundation/InstanceEntity.h"
#include "Game/items/EquipManager.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/WeaponArmor_Shield.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Player, Character)

namespace {

// Tutorial pages the player unlocks.
constexpr unsigned kTutorialPageLevelEight = 20;
constexpr unsigned kTutorialPageAlternateConfig = 17;
constexpr unsigned kTutorialPageDeath = 23;
constexpr unsigned kTutorialPageInventoryFull = 33;
constexpr uint32_t kTutorialLevel = 8;
// The side every player is on; the minor number is the player's faction.
constexpr uint32_t kPlayerTeamMajor = 2;
// The light hangs this far above a controlled player.
constexpr Vec3 kLightOffset{0.0f, 5.0f, 0.0f};
constexpr Color kDebugSphereColor{1.0f, 0.3f, 0.3f, 1.0f};
// The long idle threshold is drawn between these multiples of the record's time.
constexpr float kLongIdleMinFactor = 0.8f;
constexpr float kLongIdleMaxFactor = 1.5f;

void DestroyOwned(Object* object, int line)
{
    if (object)
        ObjectManager::Get().DestroyObjectEx(object, "Player", line);
}

template <class Entry>
const Entry* FindByName(const std::vector<Entry>& entries, const std::string& name)
{
    const auto found =
        std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) { return entry.name == name; });
    return found == entries.end() ? nullptr : &*found;
}

template <class Entry>
bool CopyByName(const std::vector<Entry>& entries, const std::string& name, Entry& out)
{
    const Entry* found = FindByName(entries, name);
    if (found)
        out = *found;
    return found != nullptr;
}

template <class Entry>
void EraseFirstByName(std::vector<Entry>& entries, const std::string& name)
{
    const auto found =
        std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) { return entry.name == name; });
    if (found != entries.end())
        entries.erase(found);
}

bool Contains(const std::vector<UniqueId>& ids, const UniqueId& id)
{
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

const char* InstanceFound(const UniqueId& id)
{
    WorldVec3 position;
    return GetInstanceEntityPosition(id, position) ? "eData Found" : "eData Not Found";
}

}  // namespace

Player::Player()
    : m_questCompleteListener("GameEvent_QuestComplete", &Player::OnQuestComplete, this),
      m_questUpdateListener("GameEvent_QuestUpdate", &Player::OnQuestUpdate, this),
      m_creatureDeathListener("GameEvent_CreatureDeath", &Player::OnCreatureDeath, this)
{
    SetPathMass(3.0f);
    m_hotSlotCtrl.SetPlayer(this);
}

Player::~Player()
{
    DestroyOwned(m_inventoryFullSound, __LINE__);
    DestroyOwned(m_pickUpSound, __LINE__);
    for (SoundPak* pak : m_lockedSounds)
        DestroyOwned(pak, __LINE__);
    for (SoundPak* pak : m_skillSounds)
        DestroyOwned(pak, __LINE__);
    DestroyPaperDoll();
    RemoveLight();
}

// ---- Record and set-up -------------------------------------------------------------------

void Player::Load(const LoadTable& table)
{
    Character::Load(table);
    if (!GetTeam().IsInitialized())
        SetTeam(TeamManager::DefaultPlayerTeam());
    LoadSoundPak(table, m_inventoryFullSound, "inventoryFullSound", nullptr);
    LoadSoundPak(table, m_pickUpSound, "pickUpSoundName", nullptr);
    LoadSoundPak(table, m_lockedSounds[LockedVox_Chest], "lockedChestSound", nullptr);
    LoadSoundPak(table, m_lockedSounds[LockedVox_Shrine], "lockedShrineSound", nullptr);
    LoadSoundPak(table, m_lockedSounds[LockedVox_Door], "lockedDoorSound", nullptr);
    LoadSoundPak(table, m_lockedSounds[LockedVox_QuestObject], "lockedQuestObjectSound", nullptr);
    LoadSoundPak(table, m_skillSounds[SkillVox_NotEnoughMana], "notEnoughManaSound", nullptr);
    LoadSoundPak(table, m_skillSounds[SkillVox_InvalidEquipment], "invalidEquipmentSound", nullptr);
    LoadSoundPak(table, m_skillSounds[SkillVox_Cooldown], "skillCooldownSound", nullptr);
    // A negative time from the record means no long idle.
    m_longIdleTriggerTime = static_cast<float>(std::max(0, table.GetInt("longIdleTriggerTime", 0)));
    GetSkillManager().LoadDefaultSkills();
    SetCurrentMoney(static_cast<uint32_t>(std::max(0, table.GetInt("defaultGold", 0))));
    for (unsigned tree = 1; tree <= kSkillTreeCount; ++tree)
        GetSkillManager().LoadSkills(table.GetString(("skillTree" + std::to_string(tree)).c_str(), ""),
                                     kSkillsPerTree);
    SetAnimation(EquipManager_Unarmed);
    m_hotSlotCtrl.SetToDefaults();

    DestroyOwned(ObjectManager::Get().GetObject(m_lightId), __LINE__);
    m_lightId = 0;
    const std::string lightRecord = table.GetString("playerLight", "");
    if (!lightRecord.empty()) {
        if (auto* light = ObjectManager::Get().CreateObjectFromFile<Light>(lightRecord)) {
            m_lightId = light->GetObjectId();
            light->SetForceShadows(true);
        }
    }
    m_playerTextures.clear();
    table.GetStringArray("playerTextures", m_playerTextures);
    m_maxMoveToRatio = table.GetFloat("maxMoveToRatio", 0.0f);
    GiveControllerTo(kStubControllerRecord);
}

void Player::PreLoad(bool flag)
{
    Character::PreLoad(flag);
    for (SoundPak* pak : {m_inventoryFullSound, m_pickUpSound})
        if (pak)
            pak->PreLoad(flag);
    for (SoundPak* pak : m_lockedSounds)
        if (pak)
            pak->PreLoad(flag);
    for (SoundPak* pak : m_skillSounds)
        if (pak)
            pak->PreLoad(flag);
}

void Player::GiveControllerTo(const char* recordName)
{
    DestroyOwned(ObjectManager::Get().GetObject(GetControllerId()), __LINE__);
    SetControllerId(0);
    if (auto* controller = ObjectManager::Get().CreateObjectFromFile<Controller>(recordName)) {
        SetControllerId(controller->GetObjectId());
        controller->AttachParent(GetObjectId());
    }
}

void Player::SetIsControllingCharacter(bool value)
{
    Character::SetIsControllingCharacter(value);
    GiveControllerTo(value ? kPlayerControllerRecord : kStubControllerRecord);
    // The player played here drives its skills: what they change goes out from here.
    if (value)
        GetSkillManager().SetAsControllingManager();
}

// A player that another peer controls gives no light of its own: its light is switched
// off rather than attached.
void Player::InitialUpdate()
{
    RandomStreamScope draws(m_ownDraws.get());
    Character::InitialUpdate();
    m_longIdleThreshold = m_longIdleTriggerTime;
    m_longIdleTime = 0.0f;
    if (!IsControllingCharacter())
        SetLifeState(Character_LifeState_Alive);
    if (auto* light = ObjectManager::Get().GetObject<Light>(m_lightId)) {
        if (IsControllingCharacter())
            Attach(light, Coords::MakeTranslation(kLightOffset), Name());
        else
            light->SetEnabled(false);
    }
    ResetPlayerTexture();
}

bool Player::CanMoveTo(const WorldVec3& point, float tolerance)
{
    return GetMovementManager().CanMoveTo(GetPathPosition(), point, tolerance, m_maxMoveToRatio);
}

WorldCoords Player::GetNearSpawnCoords() const
{
    const WorldCoords& own = GetCoords();
    const std::vector<float> radii(5, 2.0f);
    std::vector<WorldVec3> points;
    if (PathFinder::FillPointSet(own.GetPosition(), radii, points, true)) {
        // The walk check caches the path it finds; the player itself is not changed.
        Player& self = const_cast<Player&>(*this);
        for (size_t i = 1; i < points.size(); ++i) {
            if (self.CanMoveTo(points[i], 0.5f)) {
                Coords coords;
                coords.origin = points[i].GetRegionPosition();
                return WorldCoords(points[i].GetRegion(), coords);
            }
        }
    }
    return own;
}

// ---- The frame ---------------------------------------------------------------------------

bool Player::IsMainPlayer() const { return gGameEngine && gGameEngine->GetMainPlayer() == this; }

bool Player::IsLocalPlayer() const { return gGameEngine && gGameEngine->GetPlayerId() == GetObjectId(); }

void Player::TakeOwnDraws(const RandomUniform& stream) { m_ownDraws = std::make_unique<RandomUniform>(stream); }

void Player::PreAnimationUpdate(int elapsedMs)
{
    RandomStreamScope draws(m_ownDraws.get());
    Character::PreAnimationUpdate(elapsedMs);
}

void Player::AnimationCallback(const Name& event)
{
    RandomStreamScope draws(m_ownDraws.get());
    Character::AnimationCallback(event);
}

void Player::UpdateSelf(int elapsedMs)
{
    RandomStreamScope draws(m_ownDraws.get());
    Character::UpdateSelf(elapsedMs);
    if (IsMainPlayer() && GetCharLevel() == kTutorialLevel)
        gGameEngine->UnlockTutorialPage(kTutorialPageLevelEight, true);
    if (IsLocalPlayer())
        World::Get().AddFOWVisibility(GetCoords().GetPosition(), elapsedMs);
    m_hotSlotCtrl.Update(elapsedMs);
    PartyManager* parties = gGameEngine ? gGameEngine->GetPartyManager() : nullptr;
    const uint32_t faction = parties ? parties->GetPlayerFaction(GetObjectId()) : GetObjectId();
    SetTeam(TeamManager::BuildTeam(kPlayerTeamMajor, faction));
    GetCharacterBio().SetAcceleratedLifeRegen(GetActionState() == Character_ActionState_Fidget && !IsUnderAttack());
    UpdateLongIdle(elapsedMs);
    Heartbeat(elapsedMs);
    UpdatePendingTokens();
    m_autoSaveCountdown -= elapsedMs;
    if (m_autoSaveCountdown < 0)
        m_needsSave = true;
    UpdateShieldBlock();
    if (m_needsSave)
        AutoSave();
    if (m_questSavePending) {
        m_questSavePending = false;
        AutoSaveQuest(m_questSaveArgument);
    }
    BossMusicStateUpdate();
    if (IsControllingCharacter())
        CountDownVox(elapsedMs);
    if (m_paperDollRegion && m_paperDoll)
        m_paperDoll->UpdateSelf(elapsedMs);
    FeedTutorial();
    if (m_debugSphereRadius != 0.0f)
        World::Get().RenderDebugSphere(GetPathPosition(), m_debugSphereRadius, kDebugSphereColor);
}

// Nothing starts when the threshold is reached: the idle time starts again, toward a new
// threshold around the record's time.
void Player::UpdateLongIdle(int elapsedMs)
{
    if (GetActionState() != Character_ActionState_Idle) {
        m_longIdleTime = 0.0f;
        return;
    }
    m_longIdleTime += static_cast<float>(elapsedMs);
    if (m_longIdleTime >= m_longIdleThreshold) {
        m_longIdleTime = 0.0f;
        m_longIdleThreshold =
            RandFloat(kLongIdleMinFactor * m_longIdleTriggerTime, kLongIdleMaxFactor * m_longIdleTriggerTime);
    }
}

void Player::Heartbeat(int elapsedMs)
{
    if (m_heartbeatCountdown <= 0)
        m_heartbeatCountdown = kHeartbeatIntervalMs;
    else
        m_heartbeatCountdown -= elapsedMs;
}

void Player::UpdatePendingTokens()
{
    if (m_pendingTokens.empty())
        return;
    for (const TriggerToken& token : m_pendingTokens) {
        if (std::find(m_tokens.begin(), m_tokens.end(), token) != m_tokens.end())
            continue;
        m_tokens.push_back(token);
        GameEvent_GotToken event;
        event.objectId = GetObjectId();
        event.tokenName = token.GetName();
        EventManager::Get().Send(event, "GameEvent_GotToken");
    }
    m_pendingTokens.clear();
    m_needsSave = true;
}

void Player::UpdateShieldBlock()
{
    const uint32_t leftHand = GetCombatManager().GetEquipManager().GetLeftHandShield();
    if (const auto* shield = ObjectManager::Get().GetObject<WeaponArmor_Shield>(leftHand))
        GetPlayStats().SetShieldBlockChance(shield->GetShieldBlockChance());
    else
        GetPlayStats().DisableShieldBlockChance();
}

void Player::CountDownVox(int elapsedMs)
{
    for (int32_t& countdown : m_lockedCountdowns)
        if (countdown != 0)
            countdown -= elapsedMs;
    for (int32_t* countdown : {&m_skillVoxRepeatCountdown, &m_skillVoxCountdown})
        if (*countdown != 0)
            *countdown -= elapsedMs;
}

void Player::FeedTutorial()
{
    if (!IsMainPlayer())
        return;
    GameEngine::TutorialWatch& watch = gGameEngine->GetTutorialWatch();
    // The skill manager does not count regular and mastery points apart yet: the
    // character's unspent skill points stand for the regular ones.
    watch.unspentSkillPoints = static_cast<int32_t>(std::min<uint32_t>(GetSkillPoints(), INT32_MAX));
    if (!m_hotSlotCtrl.IsInDefaultState())
        watch.hotSlotsChanged = true;
}

// The engine holds saving back while its mode query answers true.
void Player::AutoSave()
{
    if (gGameEngine && !gEngine->GetThirdQuery() && IsControllingCharacter() && gGameEngine->IsSaveEnabled())
        gGameEngine->AutoSave();
    m_autoSaveCountdown = kAutoSaveIntervalMs;
    m_needsSave = false;
}

void Player::AutoSaveQuest(bool flag)
{
    if (gGameEngine && !gEngine->GetThirdQuery() && IsControllingCharacter())
        gGameEngine->AutoSaveQuest(flag);
}

void Player::OnQuestComplete(const GameEvent_QuestComplete&) { m_questSavePending = true; }

void Player::OnQuestUpdate(const GameEvent_QuestUpdate& event)
{
    m_questSavePending = true;
    m_questSaveArgument = event.flag;
}

void Player::BossMusicStateUpdate()
{
    if (!IsLocalPlayer())
        return;
    Jukebox& jukebox = Jukebox::Get();
    if (AmbianceManager::Get().TargetIsInBossMusicZone()) {
        if (!jukebox.IsPlayingBossMusic() && !m_bossMusicThisFrame.empty()) {
            jukebox.AbsoluteMusicFade();
            jukebox.InitiateBossMusic(m_bossMusicThisFrame);
        }
    } else if (jukebox.IsPlayingBossMusic()) {
        if (m_bossMusicThisFrame.empty())
            jukebox.BossMusicLeave();
        else
            jukebox.InitiateBossMusic(m_bossMusicThisFrame);
    }
    m_lastBossMusic = m_bossMusicThisFrame;
    m_bossMusicThisFrame.clear();
}

void Player::RegisterMonsterMusic(uint32_t bossId, const std::string& musicName)
{
    m_bossMusicThisFrame = musicName;
    if (musicName != m_lastBossMusic) {
        Jukebox::Get().SetTrackedBoss(bossId);
        Jukebox::Get().SetTrackedPlayer(GetObjectId());
    }
}

// ---- Name and descriptions ---------------------------------------------------------------

std::string Player::GetPlayerNameInChar() const { return LocalizationManager::ToChar(m_playerName); }

std::u16string Player::GetClassNameA() const
{
    if (m_classTag.empty())
        return {};
    return LocalizationManager::Instance().Format("SimpleStringFormat", LocalizationManager::Instance().Format(m_classTag.c_str()));
}

std::u16string Player::GetGameDescription(bool) const
{
    const std::string level = std::to_string(GetCharLevel());
    return m_playerName + u" - " + GetClassNameA() + u" (" + LocalizationManager::ToWChar(level) + u")";
}

std::u16string Player::GetRolloverDescription() const
{
    const std::u16string className = GetClassNameA();
    return className.empty() ? m_playerName : m_playerName + u" ~ " + className;
}

std::u16string Player::GetMenuDescription() const
{
    LocalizationManager& text = LocalizationManager::Instance();
    return text.Format("MenuName") + m_playerName + u"^n" +
           text.Format("MenuLevel", static_cast<int>(std::min<uint32_t>(GetCharLevel(), INT32_MAX)));
}

void Player::SetPlayerCharacterClass(const std::string& word)
{
    m_characterClass = EnumConverter::GetStringAsEnum<PlayerCharacterClassType>(word);
}

// ---- Tokens ------------------------------------------------------------------------------

bool Player::HasToken(const std::string& name) const
{
    return std::find(m_tokens.begin(), m_tokens.end(), TriggerToken(name)) != m_tokens.end();
}

void Player::RemoveToken(const TriggerToken& token)
{
    const auto found = std::find(m_tokens.begin(), m_tokens.end(), token);
    if (found != m_tokens.end())
        m_tokens.erase(found);
}

std::vector<std::string> Player::GetTriggerTokensAsString() const
{
    std::vector<std::string> names;
    names.reserve(m_tokens.size());
    for (const TriggerToken& token : m_tokens)
        names.push_back(token.GetName());
    return names;
}

// ---- Places ------------------------------------------------------------------------------

int Player::DifficultyIndex()
{
    const int difficulty = gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0;
    return std::clamp(difficulty, 0, kDifficultyCount - 1);
}

void Player::AddPlace(std::vector<UniqueId>& places, const UniqueId& id)
{
    if (Contains(places, id))
        return;
    places.push_back(id);
    m_needsSave = true;
}

void Player::AddTeleportUID(const UniqueId& id) { AddPlace(m_teleportUIDs[DifficultyIndex()], id); }

void Player::AddMarkerUID(const UniqueId& id) { AddPlace(m_markerUIDs[DifficultyIndex()], id); }

void Player::AddRespawnUID(const UniqueId& id)
{
    const int difficulty = DifficultyIndex();
    AddPlace(m_respawnUIDs[difficulty], id);
    if (!(m_currentRespawnPoint[difficulty] == id)) {
        m_currentRespawnPoint[difficulty] = id;
        m_needsSave = true;
    }
}

bool Player::IsTeleportUIDKnown(const UniqueId& id) const { return Contains(m_teleportUIDs[DifficultyIndex()], id); }
bool Player::IsMarkerUIDKnown(const UniqueId& id) const { return Contains(m_markerUIDs[DifficultyIndex()], id); }
bool Player::IsRespawnUIDKnown(const UniqueId& id) const { return Contains(m_respawnUIDs[DifficultyIndex()], id); }
bool Player::IsCurrentRespawnPoint(const UniqueId& id) const { return m_currentRespawnPoint[DifficultyIndex()] == id; }
const std::vector<UniqueId>& Player::GetTeleportUIDs() const { return m_teleportUIDs[DifficultyIndex()]; }
const std::vector<UniqueId>& Player::GetMarkerUIDs() const { return m_markerUIDs[DifficultyIndex()]; }
void Player::ClearTeleportLocations() { m_teleportUIDs[DifficultyIndex()].clear(); }
void Player::ClearRespawnLocation() { m_currentRespawnPoint[DifficultyIndex()] = UniqueId(); }

WorldCoords Player::GetClosestRespawnPoint() const
{
    const WorldCoords& spawn = GetSpawnPoint();
    WorldVec3 position;
    if (!GetInstanceEntityPosition(m_currentRespawnPoint[DifficultyIndex()], position))
        return spawn;
    Coords coords = spawn.GetRegionCoords();
    coords.origin = position.GetRegionPosition();
    return WorldCoords(position.GetRegion(), coords);
}

void Player::JumpToNextSpawnPoint()
{
    std::vector<Entity*> points;
    World::Get().GetEntities(points, FilterGetPlayerSpawnPoint(), EntityList_All);
    ++m_spawnPointIndex;
    if (points.empty())
        return;
    const size_t index = static_cast<size_t>(m_spawnPointIndex) % points.size();
    TeleportToLocation(points[index]->GetCoords());
}

void Player::DumpTeleportIds() const
{
    gEngine->Log(LOG_INFO, "^bTeleport UIDs:");
    for (const UniqueId& id : m_teleportUIDs[DifficultyIndex()])
        gEngine->Log(LOG_INFO, "^b   ID (%x:%x:%x:%x)  %s", id.GetPart(0), id.GetPart(1), id.GetPart(2), id.GetPart(3),
                     InstanceFound(id));
}

void Player::DumpRespawnIds() const
{
    const UniqueId& id = m_currentRespawnPoint[DifficultyIndex()];
    gEngine->Log(LOG_INFO, "^bRespawn UID (%x:%x:%x:%x)  %s", id.GetPart(0), id.GetPart(1), id.GetPart(2),
                 id.GetPart(3), InstanceFound(id));
}

// ---- Voice prompts -----------------------------------------------------------------------

void Player::PlayLockedVox(LockedVox kind)
{
    SoundPak* sound = m_lockedSounds[kind];
    if (!IsControllingCharacter() || !sound || m_lockedCountdowns[kind] >= 1)
        return;
    sound->Play(GetPathPosition());
    m_lockedCountdowns[kind] = kLockedObjectVoxIntervalMs;
}

void Player::PlaySkillVox(SkillVox kind, uint32_t skillId)
{
    SoundPak* sound = m_skillSounds[kind];
    if (!IsControllingCharacter() || !sound || m_skillVoxCountdown >= 1)
        return;
    if (m_skillVoxRepeatCountdown >= 1 && m_skillVoxLastSkill[kind] == skillId)
        return;
    sound->Play(GetPathPosition());
    m_skillVoxRepeatCountdown = kSkillVoxRepeatIntervalMs;
    m_skillVoxCountdown = kSkillVoxIntervalMs;
    m_skillVoxLastSkill[kind] = skillId;
}

void Player::ResetSkillVox()
{
    m_skillVoxRepeatCountdown = 0;
    m_skillVoxLastSkill.fill(0);
}

void Player::PlayInventoryFullSound()
{
    if (m_inventoryFullSound)
        m_inventoryFullSound->Play(GetPathPosition());
}

// ---- Items -------------------------------------------------------------------------------

ControllerPlayer* Player::GetPlayerController() const
{
    return ObjectManager::Get().GetObject<ControllerPlayer>(GetControllerId());
}

void Player::GiveItemToCharacter(Item* item)
{
    if (!item)
        return;
    GetInventory().AddItemToInventory(item->GetObjectId(), false);
    item->SetPose(SkeletalPose());
    item->SetPhysicsType(2);
    ControllerPlayer* controller = GetPlayerController();
    if (!controller)
        return;
    if (controller->GiveItemToPlayer(item->GetObjectId())) {
        if (m_pickUpSound)
            m_pickUpSound->Play(GetPathPosition());
        m_needsSave = true;
        return;
    }
    if (gGameEngine)
        gGameEngine->UnlockTutorialPage(kTutorialPageInventoryFull, true);
    controller->SendDropItemRandom(item->GetObjectId());
    PlayInventoryFullSound();
}

void Player::NotifyControllerItemRemovedFromInventory(uint32_t itemId)
{
    if (ControllerPlayer* controller = GetPlayerController()) {
        controller->GetEquipmentCtrl().RemoveItem(itemId);
        controller->GetInventoryCtrl().RemoveItem(itemId);
    }
    m_needsSave = true;
}

void Player::DropItem(Item* item, float a, float b)
{
    Character::DropItem(item, a, b);
    m_needsSave = true;
}

bool Player::IsInventorySpaceAvailable(const Item* item) const
{
    const ControllerPlayer* controller = GetPlayerController();
    return controller && controller->GetInventoryCtrl().IsSpaceAvailable(item);
}

void Player::SetAlternateConfig(bool alternate)
{
    m_alternateConfig = alternate;
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCharacter>(GetControllerId())) {
        if (gGameEngine)
            gGameEngine->UnlockTutorialPage(kTutorialPageAlternateConfig, true);
        controller->SetAlternateEquipment(alternate);
    }
}

void Player::AttachItemAction(uint32_t itemId, EquipLocations location)
{
    Character::AttachItemAction(itemId, location);
    if (!m_paperDoll)
        return;
    Entity* copy = CreateCopy(itemId);
    if (!copy)
        return;
    m_paperDollItems[itemId] = copy->GetObjectId();
    m_paperDoll->GetInventory().AddItemToInventory(copy->GetObjectId(), false);
    m_paperDoll->AttachItemAction(copy->GetObjectId(), location);
}

void Player::DetachItemAction(uint32_t itemId)
{
    Character::DetachItemAction(itemId);
    const auto found = m_paperDollItems.find(itemId);
    if (!m_paperDoll || found == m_paperDollItems.end())
        return;
    const uint32_t copyId = found->second;
    m_paperDollItems.erase(found);
    m_paperDoll->DetachItemAction(copyId);
    m_paperDoll->GetInventory().RemoveItemFromInventory(copyId);
    DestroyOwned(ObjectManager::Get().GetObject(copyId), __LINE__);
}

// ---- Pets --------------------------------------------------------------------------------

bool Player::CanAdoptAPet(uint32_t petId)
{
    if (static_cast<int32_t>(m_pets.size()) >= kMaxPets)
        return false;
    m_pets.push_back(petId);
    return true;
}

void Player::OnCreatureDeath(const GameEvent_CreatureDeath& event)
{
    const auto pet = std::find(m_pets.begin(), m_pets.end(), event.objectId);
    if (pet != m_pets.end())
        m_pets.erase(pet);
    const auto* dead = ObjectManager::Get().GetObject<Character>(event.objectId);
    if (!dead || ObjectManager::Get().GetObject<Player>(event.attackerId) != this)
        return;
    PlayStats& stats = GetPlayStats();
    const double best =
        static_cast<double>(stats.GetGreatestMonsterKilledLifeAndMana()) * stats.GetGreatestMonsterKilledLevel();
    const double lifeAndMana = static_cast<double>(dead->GetLifeLimit()) + dead->GetManaLimit();
    const double candidate = static_cast<double>(dead->GetCharLevel()) * lifeAndMana;
    // Truncated to what the statistics hold; a value out of range or not a number counts
    // as nothing.
    auto whole = [](double value) -> uint32_t {
        if (!(value > 0.0))
            return 0;
        return value >= static_cast<double>(UINT32_MAX) ? UINT32_MAX : static_cast<uint32_t>(value);
    };
    if (best >= static_cast<double>(whole(candidate)))
        return;
    stats.SetGreatestMonsterKilledName(dead->GetGameDescription(false));
    stats.SetGreatestMonsterKilledLevel(dead->GetCharLevel());
    stats.SetGreatestMonsterKilledLifeAndMana(whole(lifeAndMana));
}

// ---- Paper doll --------------------------------------------------------------------------

void Player::DestroyPaperDoll()
{
    for (const auto& [own, copy] : m_paperDollItems)
        DestroyOwned(ObjectManager::Get().GetObject(copy), __LINE__);
    m_paperDollItems.clear();
    if (m_paperDoll && ObjectManager::Get().GetObject<Player>(m_paperDoll->GetObjectId()) == m_paperDoll)
        DestroyOwned(m_paperDoll, __LINE__);
    m_paperDoll = nullptr;
    m_paperDollRegion.reset();
}

void Player::CreatePaperDoll()
{
    DestroyPaperDoll();
    m_paperDollRegion = std::make_unique<Region>(0, "PaperDoll", Vec3{});
    m_paperDoll = CreateCopy();
    if (!m_paperDoll) {
        m_paperDollRegion.reset();
        return;
    }
    const EquipManager& own = GetCombatManager().GetEquipManager();
    const EquipManager& copied = m_paperDoll->GetCombatManager().GetEquipManager();
    for (int slot = EquipLocation_RightHand; slot <= EquipLocation_NoBone; ++slot) {
        const auto location = static_cast<EquipLocations>(slot);
        const uint32_t ownItem = own.GetItemId(location);
        const uint32_t copyItem = copied.GetItemId(location);
        if (ownItem != 0 && copyItem != 0)
            m_paperDollItems[ownItem] = copyItem;
    }
    World::Get().SetCoords(m_paperDoll, WorldCoords(m_paperDollRegion.get(), Coords()));
    m_paperDoll->RemoveLight();
}

// ---- Game balance, caps and combat -------------------------------------------------------

// The player attribute pack's values for the game's balance difficulty.
template <class Accumulator>
void ContributePlayerPak(void (AttributePak::*contribute)(Accumulator&, unsigned) const, Accumulator& accumulator)
{
    if (gGameEngine)
        (gGameEngine->GetPlayerAttributePak().*contribute)(accumulator, gGameEngine->GetBalanceDifficulty());
}

void Player::ContributeGameBalanceCharAttributes(CharAttributeAccumulator& accumulator) const
{
    ContributePlayerPak(&AttributePak::GetCharAttributes, accumulator);
}

void Player::ContributeGameBalanceSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    ContributePlayerPak(&AttributePak::GetSkillAttributes, accumulator);
}

void Player::ContributeGameBalanceOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    ContributePlayerPak(&AttributePak::GetOffensiveDamageAttributes, accumulator);
}

void Player::ContributeGameBalanceOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    ContributePlayerPak(&AttributePak::GetOffensiveModifierAttributes, accumulator);
}

void Player::ContributeGameBalanceRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    ContributePlayerPak(&AttributePak::GetRetaliationAttributes, accumulator);
}

void Player::ContributeGameBalanceDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    ContributePlayerPak(&AttributePak::GetDefenseAttributes, accumulator);
}

float Player::GetDefenseAttributeCap() const
{
    if (!gGameEngine)
        return 0.0f;
    return gGameEngine->GetPlayerDefenseCap(DifficultyIndex());
}

float Player::CapRunSpeed(float speed) const
{
    return CapSpeed(speed, "playerRunSpeedCapMin", "playerRunSpeedCapMax", CharAttributeType_RunSpeed);
}

float Player::CapSpellCastSpeed(float speed) const
{
    return CapSpeed(speed, "playerSpellCastSpeedCapMin", "playerSpellCastSpeedCapMax",
                    CharAttributeType_SpellCastSpeed);
}

float Player::CapAttackSpeed(float speed) const
{
    return CapSpeed(speed, "playerAttackSpeedCapMin", "playerAttackSpeedCapMax", CharAttributeType_AttackSpeed);
}

float Player::CalculateStun(float damage, float life, float reduction, float threshold)
{
    const float remaining = 1.0f - reduction * 0.01f;
    const float share = damage / life;
    if (!(share * remaining * 100.0f > threshold + 15.0f))
        return 0.0f;
    return (share * 3.0f + 1000.0f) * remaining;
}

void Player::CharacterIsDying()
{
    Character::CharacterIsDying();
    if (!gGameEngine)
        return;
    const uint32_t penalty =
        gGameEngine->GetPlayerDeathExperiencePenalty(this, GetCombatManager().GetAttackerId());
    if (penalty != 0) {
        GetLevelControl().LoseExperience(penalty);
        GetPlayStats().LoseExperience(penalty);
    }
    if (IsMainPlayer()) {
        gGameEngine->UnlockTutorialPage(kTutorialPageDeath, true);
        ++gGameEngine->GetTutorialWatch().mainPlayerDeaths;
    }
}

void Player::ContactWithObject(uint32_t objectId)
{
    if (const auto* monster = ObjectManager::Get().GetObject<Monster>(objectId))
        GetPlayStats().IncrementKills(monster->GetExperienceReward(GetObjectId()),
                                      monster->GetPlayStats().GetHitsReceived());
}

// ---- Textures and light ------------------------------------------------------------------

void Player::PickNewTexture(int index)
{
    if (!m_playerTextures.empty()) {
        const int last = static_cast<int>(std::min<size_t>(m_playerTextures.size() - 1, INT32_MAX));
        m_playerTexture = m_playerTextures[static_cast<size_t>(std::clamp(index, 0, last))];
    }
    ResetPlayerTexture();
}

void Player::SetPlayerTexture(const std::string& name)
{
    if (name.empty())
        return;
    for (Player* player = this; player; player = player->m_paperDoll) {
        player->m_playerTexture = name;
        player->m_needsSave = true;
    }
}

void Player::RemoveLight()
{
    if (auto* light = ObjectManager::Get().GetObject<Light>(m_lightId)) {
        Detach(light);
        DestroyOwned(light, __LINE__);
    }
    m_lightId = 0;
}

// ---- Boat masters, NPC dialogs and illuminations ----------------------------------------

bool Player::IsBoatMaster(const std::string& name) const { return FindByName(m_boatMasters, name) != nullptr; }

bool Player::GetBoatMaster(const std::string& name, BoatMasterData& out) const
{
    return CopyByName(m_boatMasters, name, out);
}

bool Player::IsNpcDialog(const std::string& name) const { return FindByName(m_npcDialogs, name) != nullptr; }

bool Player::GetNpcDialog(const std::string& name, NpcDialogData& out) const
{
    return CopyByName(m_npcDialogs, name, out);
}

void Player::RemoveNpcDialog(const std::string& name) { EraseFirstByName(m_npcDialogs, name); }

bool Player::IsNpcIllumination(const std::string& name) const
{
    return FindByName(m_npcIlluminations, name) != nullptr;
}

bool Player::GetNpcIllumination(const std::string& name, NpcIlluminationData& out) const
{
    return CopyByName(m_npcIlluminations, name, out);
}

void Player::RemoveNpcIllumination(const std::string& name) { EraseFirstByName(m_npcIlluminations, name); }

// ---- What the save and the rest of the game read and set ---------------------------------

uint32_t Player::GetPartyId() const
{
    PartyManager* parties = gGameEngine ? gGameEngine->GetPartyManager() : nullptr;
    return parties ? parties->GetParty(GetObjectId()) : 0;
}

void Player::ClearTarget()
{
    if (ControllerPlayer* controller = GetPlayerController())
        controller->ClearTarget();
}

void Player::GetPlayerNetHeartbeatInfo(PlayerNetHeartbeatInfo& out)
{
    out.playerId = GetObjectId();
    out.life = GetCurrentLife();
    out.maxLife = GetLifeLimit();
    out.mana = GetCurrentMana();
    out.maxMana = GetTotalCharAttribute(CharAttributeType_Mana);
    out.level = static_cast<int32_t>(GetCharLevel());
    out.partyId = GetPartyId();
    out.position = GetPathPosition();
    out.classTag = GetClassTag();
    out.statusSkills.clear();
    GetActiveStatusSkills(out.statusSkills);
}

void Player::GetPlayerNetBasicInfo(PlayerNetBasicInfo& out)
{
    GetPlayerNetHeartbeatInfo(out);
    out.playerName = m_playerName;
    out.isMale = GetGender() == Character_Gender_Male;
    out.playerId = GetObjectId();
}

int32_t Player::GetGreatestDifficultyCompleted() const
{
    return m_greatestDifficultyCompleted == kNoDifficultyCompleted ? 0 : m_greatestDifficultyCompleted;
}

float Player::GetUnarmedAnimSpeed() const
{
    const AnimationSet* set = GetAnimationSet();
    return set ? set->GetAnimSpeed(AnimationSet_Attack) : 1.0f;
}

void Player::DumpExperienceLevels() { GetLevelControl().DumpLevels(); }

}  // namespace GAME
