#include "Game/characters/Character.h"

#include <algorithm>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/RecordKept.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/ai/SlotManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/CharacterMovementManager.h"
#include "Game/characters/DeathHandler.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/GarmentManager.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Bonus.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/EnumConverter.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/ItemEquipment.h"
#include "Game/skills/AuraManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/world/PFxManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Character, Actor)

namespace {


constexpr const char* kSplashSoundDefault = "records/sounds/soundpak/bodyfalls/FallMdGooPak.dbr";

// The entry at `index` of a string array in a record; empty when absent.
std::string StringEntry(const LoadTable& table, const char* key, unsigned index)
{
    const LoadTable::Value* value = table.FindValue(key);
    const std::string* entry = value ? value->GetEntry(index) : nullptr;
    return entry ? *entry : std::string();
}

// The game-wide record's keys of the sixteen damage effect packs, in field order.
constexpr const char* kDamageFxKeys[Character::kDamageFxCount] = {
    "coldDamageFxPak",
    "lightningDamageFxPak",
    "fireDamageFxPak",
    "poisonDamageFxPak",
    "lifeDamageFxPak",
    "bleedingDamageFxPak",
    "attackSpeedDamageFxPak",
    "spellCastSpeedDamageFxPak",
    "runSpeedDamageFxPak",
    "offensiveAbilityDamageFxPak",
    "defensiveAbilityDamageFxPak",
    "offensiveReductionDamageFxPak",
    "defensiveReductionDamageFxPak",
    "lifeLeachDamageFxPak",
    "manaLeachDamageFxPak",
    "fumbleDamageFxPak",
};

// The hit effects of the game-wide record and the combat attribute type each shows.
struct AbsEffectKey {
    const char* key;
    const char* soundKey;
    CombatAttributeType type;
};
constexpr AbsEffectKey kAbsEffectKeys[] = {
    {"absColdFx", "absColdFxSound", static_cast<CombatAttributeType>(5)},
    {"absFireFx", "absFireFxSound", static_cast<CombatAttributeType>(6)},
    {"absPoisonFx", "absPoisonFxSound", static_cast<CombatAttributeType>(7)},
    {"absLightningFx", "absLightningFxSound", static_cast<CombatAttributeType>(8)},
    {"absLifeFx", "absLifeFxSound", static_cast<CombatAttributeType>(9)},
    {"absManaBurnFx", "absManaBurnFxSound", static_cast<CombatAttributeType>(10)},
    {"absDisruptionFx", "absDisruptionFxSound", static_cast<CombatAttributeType>(11)},
    {"absPercentCurrentLifeFx", "absPercentCurrentLifeFxSound", static_cast<CombatAttributeType>(12)},
};
constexpr size_t kAbsEffectCount = std::size(kAbsEffectKeys);

// The game-wide record's effect names for one pathing size: the same for every character
// of that size, so read once and kept with the record.
struct CharacterEffectPackNames {
    std::string damage[Character::kDamageFxCount];
    std::string fireBuff;
    std::string poisonBuff;
    std::string absEffect[kAbsEffectCount];
    std::string absSound[kAbsEffectCount];
};
constexpr char kKeptCharacterEffectPacks = 0;

CharacterEffectPackNames ReadCharacterEffectPackNames(const LoadTable& database, unsigned index)
{
    CharacterEffectPackNames names;
    for (int i = 0; i < Character::kDamageFxCount; ++i)
        names.damage[i] = StringEntry(database, kDamageFxKeys[i], index);
    names.fireBuff = StringEntry(database, "fireBuffFxPak", index);
    names.poisonBuff = StringEntry(database, "poisonBuffFxPak", index);
    for (size_t i = 0; i < kAbsEffectCount; ++i) {
        names.absEffect[i] = StringEntry(database, kAbsEffectKeys[i].key, index);
        names.absSound[i] = StringEntry(database, kAbsEffectKeys[i].soundKey, index);
    }
    return names;
}

// The sound pack record keys in the order they are read (not quite field order), each
// with its field; only the splash sound has a default record.
struct SoundKey {
    const char* key;
    Character::SoundSlot slot;
};
constexpr SoundKey kSoundKeys[Character::kSoundSlotCount] = {
    {"footGrass", Character::Sound_FootGrass},
    {"footDirt", Character::Sound_FootDirt},
    {"footSand", Character::Sound_FootSand},
    {"footSnow", Character::Sound_FootSnow},
    {"footStone", Character::Sound_FootStone},
    {"footWood", Character::Sound_FootWood},
    {"footWater", Character::Sound_FootWater},
    {"loopingRunningSound", Character::Sound_LoopingRunning},
    {"attackSound", Character::Sound_Attack},
    {"swipeSound", Character::Sound_Swipe},
    {"criticalHitSound", Character::Sound_CriticalHit},
    {"stunSound", Character::Sound_Stun},
    {"lootSound", Character::Sound_Loot},
    {"levelUpSound", Character::Sound_LevelUp},
    {"lowHealthSound", Character::Sound_LowHealth},
    {"impactSound", Character::Sound_Impact},
    {"splashSound", Character::Sound_Splash},
};

// The animation sounds: the sound key (also the event name) and its chance key, or a
// fixed chance when there is no key.
struct AnimationSoundKey {
    const char* soundKey;
    const char* chanceKey;
    float fixedChance;
};
constexpr AnimationSoundKey kAnimationSoundKeys[] = {
    {"voxSound", "voxSoundChance", 0.0f},
    {"criticalHitSound", nullptr, 100.0f},
    {"specialAttackSound1", "specialAttackSound1Chance", 0.0f},
    {"specialAttackSound2", "specialAttackSound2Chance", 0.0f},
    {"specialAttackSound3", "specialAttackSound3Chance", 0.0f},
    {"specialAttackSound4", "specialAttackSound4Chance", 0.0f},
    {"genericSound1", "genericSound1Chance", 0.0f},
    {"genericSound2", "genericSound2Chance", 0.0f},
    {"genericSound3", "genericSound3Chance", 0.0f},
    {"genericSound4", "genericSound4Chance", 0.0f},
    {"deathSound1", nullptr, 100.0f},
    {"deathSound2", nullptr, 100.0f},
    {"deathSound3", nullptr, 100.0f},
    {"bodyFallSound", "bodyFallSoundChance", 0.0f},
    {"voiceSound1", "voiceSound1Chance", 0.0f},
    {"voiceSound2", "voiceSound2Chance", 0.0f},
    {"voiceSound3", "voiceSound3Chance", 0.0f},
};

void DestroyOwned(Object* object, int line)
{
    if (object)
        ObjectManager::Get().DestroyObjectEx(object, "Character", line);
}

}  // namespace

Character::Character()
    : m_combatManager(std::make_unique<CombatManager>()),
      m_skillManager(std::make_unique<SkillManager>()),
      m_bio(std::make_unique<CharacterBio>()),
      m_auraManager(std::make_unique<AuraManager>()),
      m_garmentManager(std::make_unique<GarmentManager>()),
      m_inventory(std::make_unique<Inventory>()),
      m_pfxManager(std::make_unique<PFxManager>()),
      m_spineCurveRate(DegreesToRadians(180.0f)),
      m_maxSpineCurve(DegreesToRadians(40.0f)),
      m_levelControl(std::make_unique<ExperienceLevelControl>())
{
    SetPhysicsType(kPhysicsTypeCharacter);
    m_combatManager->AssignParent(this);
    m_pfxManager->AttachActor(this);
    m_pfxManager->KeepBusyFlag(&m_pfxBusy);
    m_auraManager->KeepBusyFlag(&m_aurasBusy);
    m_skillManager->Initialize(*m_combatManager, *this);
    m_levelControl->SetParent(this);
    m_movementManager = std::make_unique<CharacterMovementManager>(this);
    m_attackSlots = std::make_unique<SlotManager>(*this);
    m_defenseSlots = std::make_unique<SlotManager>(*this);
    SetActionHandler(new CharacterActionHandler());
    m_buffFx[CharacterBuff_Fire] = &m_fireBuffFx;
    m_buffFx[CharacterBuff_Poison] = &m_poisonBuffFx;
    m_disallowMovement = false;
    m_updateTimer.Reset();
    m_updateTimer.Update();
    m_frameElapsed = 0;
}

// The objects the character holds through the object manager (controller, sound packs)
// go back to it; the owned parts follow, then the members in reverse order.
Character::~Character()
{
    m_actionHandler.reset();
    ForEachFxPak([](CharFxPak& pak) { pak.SetParent(0); });
    DestroyOwned(ObjectManager::Get().GetObject(m_controllerId), __LINE__);
    DestroySoundPaks();
    DestroyOwned(ObjectManager::Get().GetObject<SoundPak>(m_spawnSoundId), __LINE__);
    m_spawnSoundId = 0;
    m_movementManager.reset();
    m_attackSlots.reset();
    m_defenseSlots.reset();
    m_deathManager.reset();
    m_currentAnimationSet = nullptr;
    for (std::unique_ptr<AnimationSet>& set : m_animationSets)
        set.reset();
    if (m_registeredForForcedUpdates) {
        gEngine->UnregisterForcedUpdate(GetObjectId());
        m_registeredForForcedUpdates = false;
    }
}

void Character::DestroySoundPaks()
{
    for (SoundPak*& pak : m_sounds) {
        DestroyOwned(pak, __LINE__);
        pak = nullptr;
    }
    for (auto& [type, effect] : m_absEffects) {
        DestroyOwned(effect.sound, __LINE__);
        effect.sound = nullptr;
    }
}

void Character::SetActionHandler(CharacterActionHandler* handler) { m_actionHandler.reset(handler); }

CharFxPak* Character::GetBuffFx(CharacterBuff buff) const
{
    const auto found = m_buffFx.find(buff);
    return found != m_buffFx.end() ? found->second : nullptr;
}

void Character::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_skillManager->Load(table);
    m_bio->Load(table);

    m_turnRate = table.GetFloat("turnRate", 0.0f);
    m_avoidForce = table.GetFloat("avoidForce", 0.0f);
    m_pathMass = table.GetFloat("pathMass", m_pathMass);
    m_disallowRotation = table.GetBool("disallowRotation", false);
    m_rotateWhenChatting = table.GetBool("rotateWhenChatting", true);
    m_deathAnimBlendTime = table.GetFloat("deathAnimBlendTime", 250.0f);

    m_levelControl->Load(table);
    m_causesAnger = table.GetBool("causesAnger", true);
    m_angerMultiplier = table.GetFloat("angerMultiplier", 1.0f);
    m_weaponScale = table.GetFloat("weaponScale", 0.0f);

    m_combatManager->Load(table);
    std::string combatRecord = table.GetString("combatManagerRecord", "");
    if (combatRecord.empty() && gGameEngine)
        combatRecord = gGameEngine->GetDatabase().GetString("defaultCombatManagerRecord", "");
    m_combatManager->LoadRecord(combatRecord);

    m_gender = EnumConverter::GetStringAsEnum<Character_Gender>(table.GetString("characterGenderProfile", ""));

    // A character that rolls its loot makes its animation sets after it: the hands decide
    // which set a creature needs.
    if (ShouldLoadLoot()) {
        LoadLootFromSeed(gGameEngine ? gGameEngine->GetRandomSeed() : 0, 0);
    } else {
        AllocateAnimSets();
        LoadAnimations();
    }

    for (const SoundKey& entry : kSoundKeys)
        LoadSoundPak(table, m_sounds[entry.slot], entry.key,
                     entry.slot == Sound_Splash ? kSplashSoundDefault : nullptr);

    m_levelUpFx = table.GetString("levelUpFx", "");
    m_descriptionTag = table.GetString("description", "");
    m_dyingFxPak = table.GetString("dyingFxPak", "");
    m_lowHealthTriggerLevel = table.GetFloat("lowHealthTriggerLevel", 0.0f);
    m_lowHealthResetLevel = table.GetFloat("lowHealthResetLevel", 0.0f);
    m_impactSoundChance = table.GetFloat("impactSoundChance", 0.0f);

    LoadAnimationSounds(table);

    m_loopingRunningSoundFadeTime = table.GetInt("loopingRunningSoundFadeTime", 500);
    m_pathingSize = EnumConverter::GetStringAsEnum<CharacterPathingSize>(table.GetString("pathingSize", "Small"));
    table.GetStringArray("characterRacialProfile", m_races);

    m_spawnEffect = table.GetString("spawnEffect", "");
    m_prespawnEffect = table.GetString("prespawnEffect", "");
    DestroyOwned(ObjectManager::Get().GetObject<SoundPak>(m_spawnSoundId), __LINE__);
    m_spawnSoundId = 0;
    if (const std::string spawnSound = table.GetString("spawnSoundEffect", ""); !spawnSound.empty())
        if (SoundPak* pak = ObjectManager::Get().CreateObjectFromFile<SoundPak>(spawnSound))
            m_spawnSoundId = pak->GetObjectId();

    const std::string teamMajor = table.GetString("defaultTeamMajor", "");
    const std::string teamMinor = table.GetString("defaultTeamMinor", "");
    if (!teamMajor.empty() || !teamMinor.empty())
        m_team.ConvertFromHistoricalTeam(teamMajor, teamMinor);

    m_inventory->SetOwner(GetObjectId());
    m_inventory->SetGender(GetGender());

    m_attackSlots->SetNumSlots(table.GetInt("numAttackSlots", 4));
    m_defenseSlots->SetNumSlots(table.GetInt("numDefenseSlots", 4));

    m_tweakSpineOnTurn = table.GetBool("tweakSpineOnTurn", false);
    m_pathGenerationStyle =
        EnumConverter::GetStringAsEnum<CharacterPathGenerationStyle>(table.GetString("pathGenerationStyle", ""));

    LoadDeathPresentation(table);
    if (gGameEngine)
        LoadEffectPacks(gGameEngine->GetDatabase());
    ForEachFxPak([this](CharFxPak& pak) {
        pak.SetParent(GetObjectId());
        pak.InitializeFxPak();
    });

    m_portraitName = table.GetString("portraitName", "");
    m_goldGeneratorChance = table.GetFloat("goldGeneratorChance", 0.0f);
    m_goldGenerator = table.GetString("goldGenerator", "");

    if (!table.GetBool("startVisible", true))
        SetVisibility(false);
    m_observerCheatMode = table.GetBool("hiddenFromCombat", false);

    LoadDistressAndRotation(table);
}

void Character::LoadSoundPak(const LoadTable& table, SoundPak*& field, const char* key, const char* defaultRecord)
{
    DestroyOwned(field, __LINE__);
    field = nullptr;
    const std::string name = table.GetString(key, defaultRecord ? defaultRecord : "");
    if (!name.empty())
        field = ObjectManager::Get().CreateObjectFromFile<SoundPak>(name);
}

void Character::LoadAnimationSounds(const LoadTable& table)
{
    for (const AnimationSoundKey& entry : kAnimationSoundKeys) {
        if (entry.chanceKey)
            LoadAnimationSound(table, entry.soundKey, entry.chanceKey);
        else
            LoadAnimationSound(table, entry.soundKey, entry.fixedChance);
    }
}

void Character::LoadDeathPresentation(const LoadTable& table)
{
    m_deleteBehavior = table.GetString("deleteBehavior", "");
    m_actorToSpawnOnDeath = table.GetString("actorToSpawnOnDeath", "");
    m_waitForCallbackToSpawn = table.GetBool("waitForCallbackToSpawn", false);
    m_actorToSpawnForMyBones = table.GetString("actorToSpawnForMyBones", "");
    m_dissolveEffect = table.GetString("dissolveEffect", "");
    m_dissolveLight = table.GetString("dissolveLight", "");
    m_dissolveTime = table.GetFloat("dissolveTime", 0.0f);
    m_dissolveTexture = table.GetString("dissolveTexture", "");
    m_dissolveColorRed = table.GetInt("dissolveColorR", 0);
    m_dissolveColorGreen = table.GetInt("dissolveColorG", 0);
    m_dissolveColorBlue = table.GetInt("dissolveColorB", 0);
    m_deathEffect = table.GetString("deathEffect", "");
    m_ragDollBehaviorOverride = table.GetString("overrideRagdollBehavior", "");
    m_ragDollSpeedOverride = table.GetFloat("overrideRagdollSpeed", 0.0f);
    m_doLateCrumple = table.GetBool("doLateCrumple", false);
}

// The game-wide record's per-size entries: the damage and buff effect packs, then the hit
// effects with their sounds.
void Character::LoadEffectPacks(const LoadTable& database)
{
    const auto index = static_cast<unsigned>(m_pathingSize);
    const auto names = RecordKept::Get<CharacterEffectPackNames>(
        database, &kKeptCharacterEffectPacks, index,
        [index](const LoadTable& table) { return ReadCharacterEffectPackNames(table, index); });
    for (int i = 0; i < kDamageFxCount; ++i)
        m_damageFx[i].LoadFromDatabase(names->damage[i]);
    m_fireBuffFx.LoadFromDatabase(names->fireBuff);
    m_poisonBuffFx.LoadFromDatabase(names->poisonBuff);

    for (auto& [type, effect] : m_absEffects)
        DestroyOwned(effect.sound, __LINE__);
    m_absEffects.clear();
    for (size_t i = 0; i < kAbsEffectCount; ++i) {
        CharacterAbsEffect effect;
        effect.effect = names->absEffect[i];
        if (!names->absSound[i].empty())
            effect.sound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(names->absSound[i]);
        m_absEffects[kAbsEffectKeys[i].type] = std::move(effect);
    }
}

void Character::LoadDistressAndRotation(const LoadTable& table)
{
    m_distressCall = table.GetBool("distressCall", true);
    m_distressCallRange = table.GetFloat("distressCallRange", 15.0f);
    m_distressCallTime = table.GetInt("distressCallTime", 5000);
    m_distressCallsLeft = table.GetInt("maxDistressCalls", 1);
    m_distressCallWhenDying = table.GetBool("distressCallWhenDying", true);
    m_minRotationSpeed = table.GetFloat("minRotationSpeed", 9.0f);
    m_maxRotationSpeed = table.GetFloat("maxRotationSpeed", 12.0f);
    m_invincible = table.GetBool("invincible", false);
}

void Character::PreLoad(bool flag)
{
    Actor::PreLoad(flag);
    for (const std::unique_ptr<AnimationSet>& set : m_animationSets)
        if (set)
            set->PreLoad();
    for (int slot = 0; slot < kSoundSlotCount; ++slot)
        if (slot != Sound_Splash && m_sounds[slot])
            m_sounds[slot]->PreLoad(flag);
    m_animationSounds.PreLoad();
    for (const auto& [type, effect] : m_absEffects)
        if (effect.sound)
            effect.sound->PreLoad(flag);
    ForEachFxPak([](CharFxPak& pak) { pak.PreLoad(); });
    m_skillManager->PreLoad(flag);
    m_combatManager->PreLoad(flag);
    if (m_deathManager)
        m_deathManager->PreLoad();
    if (m_forcedUpdates && !m_registeredForForcedUpdates) {
        gEngine->RegisterForcedUpdate(GetObjectId());
        m_registeredForForcedUpdates = true;
    }
}

// Only lets go of what the character holds in the world. A character may be destroyed
// inside its own update (a death handler's PostProcess) with its death manager, action
// handler, movement manager and statistics still on the stack: those go in the
// destructor, which the object manager runs only after the frame's walk.
void Character::OnDestroy()
{
    Actor::OnDestroy();
    // What it carries and what it wears go with it; an item dropped or handed on was
    // taken from both lists first.
    m_inventory->DestroyAllObjects();
    m_combatManager->GetEquipManager().DestroyAllObjects();
    m_skillManager->OnDestroy();
}

void Character::OnAddToLevel()
{
    Actor::OnAddToLevel();
    m_bio->FillBeforeFirstUpdate(*this);
}

// ---- Life and action states ----------------------------------------------------------------

std::string Character::GetLifeStateAsText() const
{
    static constexpr const char* kTexts[] = {"Life: Unknown", "Life: Initializing", "Life: Alive",
                                             "Life: Dying",   "Life: Dead",         "Life: Respawning"};
    const auto state = static_cast<uint32_t>(m_lifeState);
    return state < std::size(kTexts) ? kTexts[state] : "Life: Illegal";
}

std::string Character::GetActionStateAsText(Character_ActionState state)
{
    static constexpr const char* kTexts[] = {
        "Action State: Unknown", "Action State: Forced Stop", nullptr,
        "Action State: Idle",    "Action State: Fidget",      "Action State: Move",
        "Action State: Walk",    "Action State: Attack",      "Action State: Stun",
        "Action State: Immobilize", "Action State: Trap",     "Action State: Pickup",
        "Action State: Chatting", "Action State: Fallen",     "Action State: Dying",
    };
    const auto index = static_cast<uint32_t>(state);
    return index < std::size(kTexts) && kTexts[index] ? kTexts[index] : "Illegal";
}

bool Character::IsAlive() const
{
    return !m_observerMode &&
           (m_lifeState == Character_LifeState_Alive || m_lifeState == Character_LifeState_Unknown);
}

bool Character::IsHiding() const
{
    return !GetVisibility() || m_observerCheatMode || m_lifeState == Character_LifeState_Unknown;
}

// ---- Constant answers ---------------------------------------------------------------------

void Character::NotifyControllerItemRemovedFromInventory(uint32_t) {}
std::u16string Character::GetGameDescription(bool) const
{
    return m_descriptionTag.empty() ? LocalizationManager::ToWChar(GetObjectName()) : SimpleTagText(m_descriptionTag);
}
void Character::CreateUISummaryText(std::vector<std::u16string>&) {}
bool Character::WillYouChat(uint32_t) { return false; }
bool Character::ChatWith(uint32_t) { return false; }
bool Character::AllocateAllAnimSets() { return false; }
bool Character::ShouldLoadLoot() const { return false; }
void Character::ContributeGameBalanceCharAttributes(CharAttributeAccumulator&) const {}
void Character::ContributeGameBalanceSkillAttributes(SkillAttributeAccumulator&) const {}
void Character::ContributeGameBalanceOffensiveDamageAttributes(CombatAttributeAccumulator&) const {}
void Character::ContributeGameBalanceOffensiveModifierAttributes(CombatAttributeAccumulator&) const {}

// ---- Combat -------------------------------------------------------------------------

DurationDamageManager& Character::GetDurationDamageMgr() { return m_combatManager->GetDurationDamageMgr(); }


void Character::GetAllDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    GetAllDefenseAttributes(accumulator, EquippedItems(m_combatManager->GetEquipManager()));
}

void Character::GetAllDefenseAttributes(CombatAttributeAccumulator& accumulator, const EquippedItems& items) const
{
    for (const ItemEquipment* item : items.GetItems())
        item->GetDefenseAttributes(accumulator);
    m_skillManager->GetDefenseAttributes(accumulator);
    m_bio->GetDefenseAttributes(accumulator);
    ContributeItemSetDefenseAttributes(accumulator);
    ContributeGameBalanceDefenseAttributes(accumulator);
}

void Character::ContributeGameBalanceDefenseAttributes(CombatAttributeAccumulator&) const {}

void Character::GetEquipRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    GetEquipRetaliationAttributes(accumulator, EquippedItems(m_combatManager->GetEquipManager()));
}

void Character::GetEquipRetaliationAttributes(CombatAttributeAccumulator& accumulator,
                                              const EquippedItems& items) const
{
    for (const ItemEquipment* item : items.GetItems())
        item->GetRetaliationAttributes(accumulator);
}

void Character::ContributeGameBalanceRetaliationAttributes(CombatAttributeAccumulator&) const {}

void Character::ControllerAddSkillBuff(const SkillBuffTransfer& transfer,
                                       const std::vector<Weapon_Type>& qualifyingWeapons, bool dualWieldOnly)
{
    if (SkillServicesBase* services = m_skillManager->GetSkillServices())
        services->CreateUpdateSkillBuff(transfer, qualifyingWeapons, dualWieldOnly);
}

void Character::AddCombatFilter(CombatFilter* filter) { m_combatManager->AddCombatFilter(filter); }
void Character::RemoveCombatFilter(CombatFilter* filter) { m_combatManager->RemoveCombatFilter(filter); }

void Character::JoinMe(uint32_t, int, bool) {}

// ---- Gold, items given and quest commands ----------------------------------------------

// In 64 bits, so that a sum past 2^32 cannot wrap before the clamp.
void Character::AddMoney(uint32_t amount)
{
    m_money = static_cast<uint32_t>(std::min<uint64_t>(uint64_t{m_money} + amount, kMaxMoney));
}

// In 64 bits, so that amounts of 2^31 and more stop the purse at 0 as well.
uint32_t Character::SubtractMoney(uint32_t amount)
{
    const int64_t left = int64_t{m_money} - int64_t{amount};
    m_money = left < 0 ? 0 : static_cast<uint32_t>(left);
    return m_money;
}

void Character::GiveItemToCharacter(Item*) {}

const std::vector<uint32_t>& Character::GetInventoryItems() const { return m_inventory->GetInventoryItems(); }



void Character::AddToSkillLevel(const std::string& skillRecordName, unsigned levels)
{
    if (Skill* skill = ObjectManager::Get().GetObject<Skill>(m_skillManager->FindSkillId(skillRecordName)))
        skill->IncrementSkillLevel(levels);
}

}  // namespace GAME
