// The game engine's life: construction in its fixed order, the game-wide record, the
// instance-group affiliations, shutdown and destruction; and the library's entry points.
#include "Game/core/GameEngine.h"

#include <algorithm>
#include <ctime>
#include <utility>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/UniqueIdMap.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/GameServices.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/GameEngineOutboundInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PartyManager.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/ItemSet.h"
#include "Game/items/TradeManager.h"
#include "Game/items/Weapon.h"
#include "Game/quests/NpcConversation.h"
#include "Game/world/BandariTeleportPoint.h"
#include "Game/world/Decoration.h"
#include "Game/world/NpcWanderPoint.h"
#include "Game/world/PatrolPoint.h"
#include "Game/world/Proxy.h"
#include "Game/world/StrategicMovementRespawnShrine.h"
#include "Game/world/StrategicMovementTeleportShrine.h"

namespace GAME {

GameEngine* gGameEngine = nullptr;

namespace {

// Colours come from the record as text and are kept as wide text of at most 511 units.
constexpr size_t kColorTextCapacity = 512;

std::u16string ReadColorText(const LoadTable& table, const char* key)
{
    char16_t buffer[kColorTextCapacity];
    LocalizationManager::ToWChar(table.GetString(key, ""), buffer, kColorTextCapacity);
    return std::u16string(buffer);
}

template <class T>
void SafeDelete(T*& pointer)
{
    delete pointer;
    pointer = nullptr;
}

struct ItemClassificationKeys {
    ItemClassification classification;
    const char* colorKey;
    const char* sparkleKey;
    GameTextClass textClass;
};

constexpr ItemClassificationKeys kItemClassificationKeys[] = {
    {ItemClassification_Magical, "magicalItemColor", "magicalItemSparkle", GameTextClass::ItemNameMagical},
    {ItemClassification_Rare, "rareItemColor", "rareItemSparkle", GameTextClass::ItemNameRare},
    {ItemClassification_Epic, "epicItemColor", "epicItemSparkle", GameTextClass::ItemNameEpic},
    {ItemClassification_Legendary, "legendaryItemColor", "legendaryItemSparkle", GameTextClass::ItemNameLegendary},
    {ItemClassification_Broken, "brokenItemColor", "brokenItemSparkle", GameTextClass::ItemNameBroken},
    {ItemClassification_Potion, "potionItemColor", "potionItemSparkle", GameTextClass::ItemNamePotion},
    {ItemClassification_Relic, "relicItemColor", "relicItemSparkle", GameTextClass::ItemNameRelic},
    {ItemClassification_Quest, "questItemColor", "questItemSparkle", GameTextClass::ItemNameQuest},
};

constexpr const char* kMonsterColorKeys[] = {
    "commonMonsterColor", "championMonsterColor", "heroMonsterColor", "bossMonsterColor"};

constexpr const char* kMonsterWeightSuffixes[] = {"Common", "Champion", "Hero", "Boss"};
constexpr const char* kChestWeightSuffixes[] = {"CommonChest", "ChampionChest", "HeroChest"};

RandomizerWeightModifiers ReadWeightModifiers(const LoadTable& table, const std::string& suffix)
{
    auto read = [&](const char* prefix) {
        return static_cast<int32_t>(TruncateToInt(table.GetFloat((prefix + suffix).c_str(), 0.0f)));
    };
    RandomizerWeightModifiers modifiers;
    modifiers.noPrefixNoSuffix = read("noPrefixNoSuffixModifier");
    modifiers.bothPrefixSuffix = read("bothPrefixSuffixModifier");
    modifiers.prefixOnly = read("prefixOnlyModifier");
    modifiers.suffixOnly = read("suffixOnlyModifier");
    modifiers.brokenOnly = read("brokenOnlyModifier");
    return modifiers;
}

}  // namespace

GameEngine::GameEngine()
    : m_creatureDeathListener("GameEvent_CreatureDeath", &GameEngine::OnCreatureDeath)
{
    // The members above took their construction defaults in declaration order.
    m_random.Seed(static_cast<unsigned long>(std::time(nullptr)));
    m_armorDefensiveAbsorption = 0.0f;
    m_pendingBan = 0;
    ResetTutorialState();
    m_pendingPortal.pending = false;
    m_ui = nullptr;
    m_experienceEquation = nullptr;
    m_deathPenaltyEquation = nullptr;

    LoadFromDatabase(m_recordName);

    m_overlayColor = Color{1.0f, 1.0f, 1.0f, 0.0f};
    m_outboundInterface = new GameEngineOutboundInterface();
    m_inboundInterface = new GameEngineInboundInterface();
    for (bool& disabled : m_renderingDisabled)
        disabled = false;

    m_nullServerServices = new GameEngineServerServicesModuleBase();
    m_serverServices = new GameEngineServerServicesModule();
    m_clientServices = new GameEngineClientServicesModule();
    m_teamManager = new TeamManager();
    m_partyManager = new PartyManager();
    m_tradeManager = new TradeManager();

    // Each module reads the current interface through this slot at every call.
    m_nullServerServices->SetNetworkInterfaceSlot(&m_currentNetworkInterface);
    m_serverServices->SetNetworkInterfaceSlot(&m_currentNetworkInterface);
    m_clientServices->SetNetworkInterfaceSlot(&m_currentNetworkInterface);

    SetAsNetworkStub();
    m_creatureDeathListener.SetOwner(this);

    FillClassArray();
    m_autoSave = true;
    InitializeActionMatrix();
    InitializeMonsterRaceMap();

    m_needsSleepCounter = 0;
    m_mouseLocks = 0;
}

GameEngine::~GameEngine()
{
    // Activities call back into the engine (sleep counter, mouse lock, loaders) while
    // they are destroyed: end them while everything they reach is still alive.
    ActivityManager::Destroy();
    // The connection manager outlives the game: it must not call into it any more.
    ConnectionManager::Get().SetConnectionListener({});

    m_currentNetworkInterface = nullptr;
    SafeDelete(m_outboundInterface);
    SafeDelete(m_inboundInterface);

    SafeDelete(m_experienceEquation);
    SafeDelete(m_deathPenaltyEquation);
    // The current module pointers only alias the owned modules.
    m_currentClientServices = nullptr;
    m_currentServerServices = nullptr;
    SafeDelete(m_nullServerServices);
    SafeDelete(m_serverServices);
    SafeDelete(m_clientServices);

    SafeDelete(m_teamManager);
    SafeDelete(m_partyManager);
    SafeDelete(m_tradeManager);

    InstanceGroupManager::Get().Clear();
    UniqueIdMap::Get().Clear();

    m_itemSets.clear();
    m_loadedItemSets.clear();
    AttributePak::SharedValuesChanged();

    DestroyMarketSound(m_marketPurchaseSoundId);
    DestroyMarketSound(m_marketSaleSoundId);

    m_creatureDeathListener.SetOwner(nullptr);
    // The remaining members go in reverse declaration order; the listener unregisters.
}

void GameEngine::Initialize()
{
    struct Affiliation {
        const char* group;
        const RTTI_ClassInfo& classInfo;
    };
    const Affiliation affiliations[] = {
        {"Unified Proxies", Proxy::GetStaticClassInfo()},
        {"Unique Proxies", Proxy::GetStaticClassInfo()},
        {"Any Entity", Entity::GetStaticClassInfo()},
        {"Decorations", Decoration::GetStaticClassInfo()},
        {"Monsters And Weapons", Monster::GetStaticClassInfo()},
        {"Monsters And Weapons", Weapon::GetStaticClassInfo()},
        {"Patrol Points", PatrolPoint::GetStaticClassInfo()},
        {"Patrollers", Monster::GetStaticClassInfo()},
        {"ProxyPatrollers", Proxy::GetStaticClassInfo()},
        {"Wander Points", NpcWanderPoint::GetStaticClassInfo()},
        {"Npc Wanderers", Npc::GetStaticClassInfo()},
        {"TeleportShrine", StrategicMovementTeleportShrine::GetStaticClassInfo()},
        {"RespawnShrine", StrategicMovementRespawnShrine::GetStaticClassInfo()},
        {"Bandari", Monster::GetStaticClassInfo()},
        {"Bandari", Proxy::GetStaticClassInfo()},
        {"Bandari Teleport Points", BandariTeleportPoint::GetStaticClassInfo()},
        {"Terracotta Warriors", Monster::GetStaticClassInfo()},
        {"Terracotta Warriors", Proxy::GetStaticClassInfo()},
    };
    InstanceGroupManager& groups = InstanceGroupManager::Get();
    for (const Affiliation& affiliation : affiliations)
        groups.AddGroupAffiliation(affiliation.group, affiliation.classInfo);
}

void GameEngine::Shutdown()
{
    CriticalSectionLock lock(m_skillProfileLock);
    for (auto& entry : m_skillProfiles) {
        delete entry.second;
        entry.second = nullptr;   // the name stays: a later look-up yields null
    }
}

const SkillProfile* GameEngine::GetSkillResource(const Name& name) const
{
    CriticalSectionLock lock(m_skillProfileLock);
    auto it = m_skillProfiles.find(name);
    return it == m_skillProfiles.end() ? &m_nullSkillProfile : it->second;
}

std::u16string GameEngine::GetSkillDisplayName(const std::string& recordName)
{
    const LoadTable* record = ObjectManager::Get().LoadTableFile(recordName);
    if (!record)
        return {};
    const SkillProfile* profile = LoadSkillResource(Name(recordName), *record);
    if (!profile || profile->GetDisplayNameTag().empty())
        return {};
    return SimpleTagText(profile->GetDisplayNameTag());
}

const SkillProfile* GameEngine::LoadSkillResource(const Name& name, const LoadTable& record)
{
    CriticalSectionLock lock(m_skillProfileLock);
    auto it = m_skillProfiles.find(name);
    if (it != m_skillProfiles.end())
        return it->second;
    auto* profile = new SkillProfile();
    profile->LoadProfile(record);
    m_skillProfiles.emplace(name, profile);
    return profile;
}

const LoadTable& GameEngine::GetDatabase() const
{
    return ObjectManager::Get().GetRecordOrEmpty(m_recordName);
}

void GameEngine::InitializeAssertHandler(void (*handler)(const char*), bool flag1, bool flag2)
{
    m_assertHandler = handler;
    m_assertFlag1 = flag1;
    m_assertFlag2 = flag2;
}

// Only while the sound still exists: it may have been destroyed before the engine.
void GameEngine::DestroyMarketSound(uint32_t& soundId)
{
    if (SoundPak* sound = ObjectManager::Get().GetObject<SoundPak>(soundId))
        ObjectManager::Get().DestroyObjectEx(sound, "GameEngine", __LINE__);
    soundId = 0;
}

void GameEngine::LoadMarketSound(const LoadTable& table, const char* key, uint32_t& soundId)
{
    DestroyMarketSound(soundId);   // a second load replaces the first load's sound
    const std::string record = table.GetString(key, "");
    if (record.empty())
        return;
    if (SoundPak* sound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(record, 0, true))
        soundId = sound->GetObjectId();
}

SoundPak* GameEngine::GetMarketPurchaseSound() const
{
    return ObjectManager::Get().GetObject<SoundPak>(m_marketPurchaseSoundId);
}

SoundPak* GameEngine::GetMarketSaleSound() const
{
    return ObjectManager::Get().GetObject<SoundPak>(m_marketSaleSoundId);
}

void GameEngine::LoadEquation(const LoadTable& table, const char* key, DesignerEquation<float>*& slot)
{
    const std::string text = table.GetString(key, "");
    if (text.empty())
        return;
    auto* equation = new DesignerEquation_Algebra();
    if (!equation->ParseEquation(text.c_str(), this)) {
        gEngine->Log(LOG_WARNING, "-=- GameEngine Equation load failure : %s ", key);
        delete equation;
        return;
    }
    slot = equation;
}

void GameEngine::LoadFromDatabase(const std::string& recordName)
{
    const LoadTable& table = ObjectManager::Get().GetRecordOrEmpty(recordName);

    m_armorDefensiveAbsorption = table.GetFloat("armorDefensiveAbsorption", 0.0f);
    for (unsigned difficulty = 0; difficulty < kDefenseCapDifficulties; ++difficulty) {
        m_monsterDefenseCap[difficulty] = table.GetFloat("monsterDefenseCap", difficulty, 0.0f);
        m_playerDefenseCap[difficulty] = table.GetFloat("playerDefenseCap", difficulty, 0.0f);
    }
    m_meleeRange = table.GetFloat("meleeRange", 0.0f);
    m_shortRange = table.GetFloat("shortRange", 0.0f);
    m_moderateRange = table.GetFloat("moderateRange", 0.0f);
    m_longRange = table.GetFloat("longRange", 0.0f);
    m_maximumRange = table.GetFloat("maximumRange", 0.0f);
    m_minRotationSpeed = table.GetFloat("minRotationSpeed", 0.0f);
    m_maxRotationSpeed = table.GetFloat("maxRotationSpeed", 0.0f);
    m_pathSlowdownLength = table.GetFloat("pathSlowdownLength", 0.0f);
    m_minPlayerRotationSpeed = table.GetFloat("minPlayerRotationSpeed", 0.0f);
    m_maxPlayerRotationSpeed = table.GetFloat("maxPlayerRotationSpeed", 0.0f);
    m_playerPathSlowdownLength = table.GetFloat("playerPathSlowdownLength", 0.0f);

    LoadMarketSound(table, "marketPurchaseSound", m_marketPurchaseSoundId);
    LoadMarketSound(table, "marketSaleSound", m_marketSaleSoundId);

    LoadEquation(table, "experienceEquation", m_experienceEquation);
    LoadEquation(table, "deathPenaltyEquation", m_deathPenaltyEquation);

    m_deathPenaltyMin = table.GetInt("deathPenaltyMin", 0);
    m_deathPenaltyMax = table.GetInt("deathPenaltyMax", 0);

    for (const ItemClassificationKeys& row : kItemClassificationKeys) {
        ItemClassificationEntry entry;
        entry.color = ReadColorText(table, row.colorKey);
        entry.sparkle = table.GetString(row.sparkleKey, "");
        entry.textClass = row.textClass;
        m_itemClassifications.emplace(row.classification, std::move(entry));
    }

    m_itemForearmAnimationName = table.GetString("itemForearmAnimationName", "");

    for (int i = 0; i < 4; ++i)
        m_monsterColors.emplace(static_cast<MonsterClassification>(i), ReadColorText(table, kMonsterColorKeys[i]));

    const float distanceMin = table.GetFloat("CameraDistanceMin", 0.0f);
    const float distanceMax = table.GetFloat("CameraDistanceMax", 0.0f);
    const float pitchMin = table.GetFloat("CameraPitchMin", 0.0f);
    const float pitchMax = table.GetFloat("CameraPitchMax", 0.0f);
    const float distanceDefault = table.GetFloat("CameraDistanceDefault", 0.0f);
    const float pitchDefault = table.GetFloat("CameraPitchDefault", 0.0f);
    m_camera.SetCameraDistanceDefault(distanceDefault);
    m_camera.SetCameraPitchDefault(pitchDefault);
    m_camera.SetCameraDistance(distanceDefault);
    m_camera.SetCameraPitch(DegreesToRadians(pitchDefault));
    m_camera.SetMovementExtents(distanceMin, distanceMax, pitchMin, pitchMax);

    auto loadPak = [&](const char* key, AttributePak& pak) {
        const std::string record = table.GetString(key, "");
        if (!record.empty())
            pak.LoadFromDatabase(record);
    };
    loadPak("monsterAttributePak", m_monsterAttributePak);
    loadPak("playerAttributePak", m_playerAttributePak);
    loadPak("petAttributePak", m_petAttributePak);

    m_sackDims[0] = Vec2{static_cast<float>(table.GetInt("UICharWindowInventorySack0DimsX", 0)),
                         static_cast<float>(table.GetInt("UICharWindowInventorySack0DimsY", 0))};
    m_sackDims[1] = Vec2{static_cast<float>(table.GetInt("UICharWindowInventorySack1DimsX", 0)),
                         static_cast<float>(table.GetInt("UICharWindowInventorySack1DimsY", 0))};
    if (GraphicsEngine* graphics = GraphicsEngine::Get(); graphics && graphics->IsDownsizing()) {
        for (Vec2& dims : m_sackDims) {
            Rect adjusted = graphics->GetResAdjRect(Rect{0.0f, 0.0f, dims.x, dims.y});
            dims = Vec2{adjusted.width, adjusted.height};
        }
    }

    std::vector<int> tiers;
    table.GetIntArray("skillMasteryTierLevel", tiers);
    m_masteryTierLevels.clear();
    for (int tier : tiers) {
        if (tier < 0)
            gEngine->Log(LOG_WARNING, "GameEngine: skillMasteryTierLevel %d is negative, read as 0", tier);
        m_masteryTierLevels.push_back(static_cast<uint32_t>(std::max(tier, 0)));
    }

    LoadGameTextStyles(table, m_textStyles);

    for (int i = 0; i < 4; ++i)
        m_monsterWeightModifiers[static_cast<MonsterClassification>(i)] =
            ReadWeightModifiers(table, kMonsterWeightSuffixes[i]);
    for (int i = 0; i < 3; ++i)
        m_chestWeightModifiers[static_cast<ChestClassification>(i)] = ReadWeightModifiers(table, kChestWeightSuffixes[i]);
}

std::string GameEngine::GetGameTextStyleName(GameTextClass textClass) const
{
    return GAME::GetGameTextStyleName(m_textStyles, textClass);
}

float GameEngine::GetGameTextStyleIndent(GameTextClass textClass) const
{
    return GAME::GetGameTextStyleIndent(m_textStyles, textClass);
}

const GameEngine::ItemClassificationEntry* GameEngine::GetItemClassification(ItemClassification classification) const
{
    auto it = m_itemClassifications.find(classification);
    return it == m_itemClassifications.end() ? nullptr : &it->second;
}

std::u16string GameEngine::GetMonsterColor(MonsterClassification classification) const
{
    auto it = m_monsterColors.find(classification);
    return it == m_monsterColors.end() ? std::u16string() : it->second;
}

namespace {

// The modifiers of one rank copied into `out`; a rank without an entry leaves it as it was.
template <class Rank>
void CopyWeightModifiers(const std::map<Rank, RandomizerWeightModifiers>& table, Rank rank,
                         RandomizerWeightModifiers& out)
{
    if (auto it = table.find(rank); it != table.end())
        out = it->second;
}

}  // namespace

void GameEngine::GetMonsterLootWeightModifiers(MonsterClassification classification,
                                               RandomizerWeightModifiers& out) const
{
    CopyWeightModifiers(m_monsterWeightModifiers, classification, out);
}

void GameEngine::GetChestLootWeightModifiers(ChestClassification classification, RandomizerWeightModifiers& out) const
{
    CopyWeightModifiers(m_chestWeightModifiers, classification, out);
}

MonsterClassification GameEngine::ResolveMonsterClassificationEnum(const std::string& word)
{
    for (size_t i = 0; i < std::size(kMonsterWeightSuffixes); ++i)
        if (word == kMonsterWeightSuffixes[i])
            return static_cast<MonsterClassification>(i);
    return MonsterClassification_Common;
}

ChestClassification GameEngine::ResolveChestClassificationEnum(const std::string& word)
{
    if (word == "Champion")
        return ChestClassification_Champion;
    if (word == "Hero")
        return ChestClassification_Hero;
    return ChestClassification_Common;
}

}  // namespace GAME

using GAME::gGameEngine;

extern "C" void InitializeObjects()
{
    if (gGameEngine)
        return;   // one engine per process at a time
    gGameEngine = new GAME::GameEngine();
    gGameEngine->Initialize();
}

extern "C" void ShutdownObjects()
{
    if (!gGameEngine)
        return;
    gGameEngine->Shutdown();
    GAME::NpcConversationManager::Destroy();
    delete gGameEngine;   // gGameEngine stays set while the engine tears itself down
    gGameEngine = nullptr;
}
