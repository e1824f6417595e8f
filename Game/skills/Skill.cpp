#include "Game/skills/Skill.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <memory>
#include <utility>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/core/foundation/ThreadSpares.h"
#include "Engine/Entity.h"
#include "Game/characters/Character.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/world/Prop.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillServicesBase.h"
#include "Game/skills/SkillWalk.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill, Object)
GAME_IMPLEMENT_CLASS(Skill_Passive, Skill)
GAME_IMPLEMENT_CLASS(Skill_Mastery, Skill_Passive)
GAME_IMPLEMENT_CLASS(Skill_Modifier, Skill)
GAME_IMPLEMENT_CLASS(Skill_ProjectileModifier, Skill_Modifier)
GAME_IMPLEMENT_CLASS(SkillSecondary, Skill)

using skill_detail::CreateOwned;
using skill_detail::DestroyOwned;

namespace {

// Counts the changes that may change any skill's kept sums; 0 is never a current count.
// Atomic only because skills may be created on a loading thread; the sums themselves are
// used on the game thread alone.
std::atomic<uint32_t> gLinksRevision{1};
// Counts the links' changes and every other change of what a skill's passive collectors
// add (Skill::ContributionChanged).
std::atomic<uint32_t> gContributionRevision{1};

// The name of a record path in its normalised form, built in a string kept by the thread
// rather than a new one for every skill loaded (the name is made before anything else can
// use the string).
Name NormalizedPathName(std::string_view path)
{
    static thread_local std::string normalized;
    normalized.assign(path);
    NormalizePath(normalized);
    return Name(normalized);
}

}  // namespace

// ---- Loading ------------------------------------------------------------------------

void Skill::Load(const LoadTable& table)
{
    Object::Load(table);
    m_resourceName = NormalizedPathName(GetObjectName());
    LoadResources(table);
}

void Skill::LoadResources(const LoadTable& table)
{
    if (gGameEngine)
        SetSkillProfile(gGameEngine->LoadSkillResource(m_resourceName, table));
    static const char* const kRangeWords[] = {"Melee", "Short", "Moderate", "Long", "Maximum"};
    const std::string distance = table.GetString("distanceProfile", "");
    for (int32_t i = 0; i < 5; ++i)
        if (distance == kRangeWords[i])
            m_rangeProfile = static_cast<Skill_RangeProfile>(i);
    LoadSounds();
    if (const SkillProfile* profile = GetSkillProfile()) {
        DestroyOwned(m_prop1, __LINE__);
        DestroyOwned(m_prop2, __LINE__);
        m_prop1 = CreateOwned<Prop>(profile->GetPropName1());
        m_prop2 = CreateOwned<Prop>(profile->GetPropName2());
    }
}

void Skill::LoadOriginalSkillResource(const LoadTable& table)
{
    if (gGameEngine)
        gGameEngine->LoadSkillResource(NormalizedPathName(GetObjectName()), table);
}

void Skill::LoadResourcesFrom(const std::string& recordName)
{
    SetResourceName(Name(recordName));
    const LoadTable& record = ObjectManager::Get().GetRecordOrEmpty(recordName);
    LoadResources(record);
    LoadOriginalSkillResource(record);
}

SkillServicesBase* Skill::GetServices() const
{
    const SkillManagerBase* manager = GetManager();
    return manager ? manager->GetSkillServices() : nullptr;
}

uint32_t Skill::NewSeed() { return gGameEngine ? gGameEngine->GetRandomSeed() & 0xffffu : 0u; }

WorldCoords WithPosition(const WorldCoords& coords, const WorldVec3& position)
{
    Coords frame = coords.GetRegionCoords();
    frame.origin = position.GetRegionPosition();
    return WorldCoords(position.GetRegion() ? position.GetRegion() : coords.GetRegion(), frame);
}

void Skill::LoadSounds()
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile)
        return;
    const std::string* names[kSoundCount] = {
        &profile->GetWarmUpSoundName(),   &profile->GetSwipeSoundName(),      &profile->GetHitSoundName(),
        &profile->GetActivateSoundName(), &profile->GetDeactivateSoundName(), &profile->GetCastSoundName(),
        &profile->GetUnCastSoundName(),   &profile->GetSkillSound1Name(),     &profile->GetSkillSound2Name()};
    for (unsigned i = 0; i < kSoundCount; ++i) {
        // Loading again replaces what an earlier load made.
        DestroyOwned(m_sounds[i], __LINE__);
        m_sounds[i] = CreateOwned<SoundPak>(*names[i]);
    }
}

void Skill::LinksChanged()
{
    if (gLinksRevision.fetch_add(1, std::memory_order_relaxed) + 1 == 0)
        gLinksRevision.store(1, std::memory_order_relaxed);
    ContributionChanged();
}

uint32_t Skill::GetLinksRevision() { return gLinksRevision.load(std::memory_order_relaxed); }

void Skill::ContributionChanged() { gContributionRevision.fetch_add(1, std::memory_order_relaxed); }

uint32_t Skill::GetContributionRevision() { return gContributionRevision.load(std::memory_order_relaxed); }

void Skill::CheckLinkSums(unsigned level) const
{
    const uint32_t revision = gLinksRevision.load(std::memory_order_relaxed);
    if (m_sumsRevision != revision || m_sumsLevel != level) {
        m_sumsRevision = revision;
        m_sumsLevel = level;
        m_modifierSumsKept = false;
        m_attributeSumsKept = false;
    }
}

Skill::~Skill()
{
    LinksChanged();
    for (SoundPak*& sound : m_sounds) {
        DestroyOwned(sound, __LINE__);
        sound = nullptr;
    }
    DestroyOwned(m_pet, __LINE__);
    m_pet = nullptr;
    DestroyOwned(m_nextPet, __LINE__);
    m_nextPet = nullptr;
}

Skill::Skill(const Skill& other) : Object()
{
    CopyFields(other);
}

Skill& Skill::operator=(const Skill& other)
{
    if (this != &other)
        CopyFields(other);
    return *this;
}

void Skill::CopyFields(const Skill& other)
{
    m_passiveChar = other.m_passiveChar;
    m_currentLevel = other.m_currentLevel;
    m_sumsRevision = 0;
    LinksChanged();
    m_kindText = other.m_kindText;
    m_skillType = other.m_skillType;
    m_primary = other.m_primary;
    m_secondary = other.m_secondary;
    m_repeatable = other.m_repeatable;
    m_useDefaultWhenOutOfMana = other.m_useDefaultWhenOutOfMana;
    m_useDefaultWhenCooling = other.m_useDefaultWhenCooling;
    m_disruptable = other.m_disruptable;
    m_wpUsesParentResources = other.m_wpUsesParentResources;
    m_defaultSkill = other.m_defaultSkill;
    m_manager = other.m_manager;
    m_resourceName = other.m_resourceName;
    m_profile = other.m_profile;
    m_reason = other.m_reason;
    m_lacksMana = other.m_lacksMana;
    m_coolingDown = other.m_coolingDown;
    m_weaponNotQualifying = other.m_weaponNotQualifying;
    m_handStateNotQualifying = other.m_handStateNotQualifying;
    m_rangeProfile = other.m_rangeProfile;
    m_state = other.m_state;
    m_activeState = other.m_activeState;
    m_masteryId = other.m_masteryId;
    m_modifiers = other.m_modifiers;
    m_secondarySkills = other.m_secondarySkills;
    m_baseSkills = other.m_baseSkills;
    m_cooldownRemaining = other.m_cooldownRemaining;
    m_cooldownTotal = other.m_cooldownTotal;
    m_ignoreMana = other.m_ignoreMana;
    m_augmentedLevel = other.m_augmentedLevel;
    m_particleEffect1Id = other.m_particleEffect1Id;
    m_particleEffect2Id = other.m_particleEffect2Id;
    m_particleEffect3Id = other.m_particleEffect3Id;
    m_warmUpEffectId = other.m_warmUpEffectId;
    m_ragDollEffectType = other.m_ragDollEffectType;
    m_ragDollDirection = other.m_ragDollDirection;
    m_ragDollPush = other.m_ragDollPush;
    m_ragDollElevation = other.m_ragDollElevation;
    m_worldAuraId = other.m_worldAuraId;
    m_castEffectId = other.m_castEffectId;
    m_activeAuraId = other.m_activeAuraId;
    m_endBuffOtherEffectName = other.m_endBuffOtherEffectName;
    m_tempSkill = other.m_tempSkill;
    m_itemSkill = other.m_itemSkill;
}

void Skill::OnDestroy()
{
    LinksChanged();
    for (Prop** prop : {&m_prop1, &m_prop2}) {
        if (*prop) {
            if (Entity* parent = (*prop)->GetAttachParent())
                parent->Detach(*prop);
            DestroyOwned(*prop, __LINE__);
            *prop = nullptr;
        }
    }
    Object::OnDestroy();
}

void Skill::PreLoad(bool)
{
    for (SoundPak* sound : m_sounds)
        if (sound)
            sound->PreLoad(false);
    for (Prop* prop : {m_prop1, m_prop2})
        if (prop)
            prop->PreLoad(true);
}

const SkillProfile* Skill::GetSkillProfile() const
{
    if (m_profile)
        return m_profile;
    return gGameEngine ? gGameEngine->GetNullSkillResource() : nullptr;
}

unsigned Skill::GetMaxLevel() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetMaxLevel() : 0;
}

unsigned Skill::GetUltimateLevel() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetUltimateLevel() : 0;
}

namespace {
const std::string kNoText;
const std::vector<std::string> kNoTexts;
}  // namespace

const std::string& Skill::GetDisplayNameTag() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetDisplayNameTag() : kNoText;
}

const std::string& Skill::GetBaseDescriptionTag() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetBaseDescriptionTag() : kNoText;
}

const std::vector<std::string>& Skill::GetSkillDependancy() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetSkillDependancy() : kNoTexts;
}

unsigned Skill::GetMasteryLevelRequirement() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetMasteryLevelRequirement() : 0;
}

bool Skill::IsPetDisplayable() const
{
    const SkillProfile* profile = GetSkillProfile();
    return profile && profile->GetPetDisplayable();
}

// ---- Owner and installation ----------------------------------------------------------

bool Skill::IsControllingSkill() const { return m_manager && m_manager->GetSkillServices(); }

void Skill::Install(Character*) {}

void Skill::UnInstall(Character*)
{
    if (m_manager) {
        m_manager->RemoveWeaponEnchantment(GetObjectId());
        m_manager->RemoveCharFxPak(GetObjectId());
    }
}

// ---- Levels ---------------------------------------------------------------------------

unsigned Skill::ComputeCurrentLevel() const
{
    // A level received from a peer may be negative: it counts as no level at all
    // rather than wrapping to a huge one.
    if (m_state.level <= 0)
        return 0;
    const uint64_t level = static_cast<uint64_t>(m_state.level) + m_augmentedLevel;
    return static_cast<unsigned>(std::min<uint64_t>(level, GetUltimateLevel()));
}

void Skill::SetSkillLevel(unsigned level)
{
    const SkillState before = m_state;
    m_state.level = static_cast<int32_t>(std::min<unsigned>(level, 0x7fffffffu));
    if (m_state.level >= 1 && !m_tempSkill && m_manager)
        m_manager->AddToActiveList(this);
    if (m_manager && m_manager->IsMonsterSkill())
        m_state.enabled = true;
    if (!(m_state == before))
        ContributionChanged();
    RefreshPassiveContribution();
    PreLoadResources();
}

void Skill::AddSkillLevel(int n)
{
    const int64_t wanted = static_cast<int64_t>(m_state.level) + n;
    // A record's maximum level may lie past what the level's int holds.
    const int64_t top = std::min<int64_t>(GetMaxLevel(), INT32_MAX);
    const int32_t level = static_cast<int32_t>(std::clamp<int64_t>(wanted, 0, top));
    if (level != m_state.level) {
        SetSkillLevel(static_cast<unsigned>(level));
        SendStateUpdate();
    }
}

void Skill::SubtractSkillLevel(unsigned n)
{
    const int64_t level = std::max<int64_t>(static_cast<int64_t>(m_state.level) - n, 0);
    if (level != m_state.level) {
        SetSkillLevel(static_cast<unsigned>(level));
        SendStateUpdate();
    }
}

bool Skill::DecrementSkillLevel()
{
    if (m_state.level < 1)
        return false;
    SubtractSkillLevel(1);
    if (m_state.level == 0 && m_manager)
        m_manager->RemoveFromActiveList(this);
    return true;
}

void Skill::IncrementAugmentedSkillLevel(unsigned n)
{
    m_augmentedLevel += n;
    RefreshPassiveContribution();
}

void Skill::DecrementAugmentedSkillLevel(unsigned n)
{
    m_augmentedLevel = n < m_augmentedLevel ? m_augmentedLevel - n : 0;
    RefreshPassiveContribution();
}

int32_t Skill::GetMasteryLevel() const
{
    const Skill* mastery = ObjectManager::Get().GetObject<Skill>(m_masteryId);
    return mastery ? mastery->GetSkillLevel() : 0;
}

bool Skill::IsBaseSkillEnabled() const
{
    if (m_baseSkills.empty())
        return true;
    for (uint32_t id : m_baseSkills)
        if (const Skill* base = ObjectManager::Get().GetObject<Skill>(id))
            if (base->GetCurrentLevel() != 0)
                return true;
    return false;
}

std::string Skill::GetBaseNameText() const
{
    if (m_baseSkills.empty())
        return {};
    const Skill* base = ObjectManager::Get().GetObject<Skill>(m_baseSkills.front());
    return base ? base->GetDisplayNameTag() : std::string();
}

float Skill::GetRange() const
{
    if (!gGameEngine)
        return 1.0f;
    switch (GetRangeProfile()) {
    case Skill_RangeMelee: return gGameEngine->GetMeleeRange();
    case Skill_RangeShort: return gGameEngine->GetShortRange();
    case Skill_RangeModerate: return gGameEngine->GetModerateRange();
    case Skill_RangeLong: return gGameEngine->GetLongRange();
    case Skill_RangeMaximum: return gGameEngine->GetMaximumRange();
    }
    return 1.0f;
}

// ---- Modifiers and skill attributes -----------------------------------------------------

namespace {

// Every field of a fresh object (all bits zero), read field by field. Not inlined: the
// caller has just zeroed the object, and loads merged with those of the summing path
// would straddle its stores and wait for them instead of taking their values.
[[gnu::noinline]] bool IsFresh(const SkillProfile_Modifiers& sums)
{
    // The bits of every field or'ed together: one test at the end, no branch per field.
    const auto bits = [](float value) { return std::bit_cast<uint32_t>(value); };
    return (bits(sums.manaCost) | bits(sums.activeLifeCost) | bits(sums.activeManaCost) |
            bits(sums.activeDuration) | bits(sums.targetRadius) | bits(sums.targetAngle) |
            static_cast<uint32_t>(sums.targetNumber) | bits(sums.cooldownTime) | bits(sums.speedAcceleration) |
            bits(sums.explosionRadius) | bits(sums.projectileLaunchRotation) |
            static_cast<uint32_t>(sums.projectileLaunchNumber) | bits(sums.projectilePiercing)) == 0;
}

}  // namespace

void Skill::GetSkillModifierData(SkillProfile_Modifiers& out) const
{
    const unsigned level = GetCurrentLevel();
    const SkillProfile* profile = GetSkillProfile();
    if (level == 0 || !profile)
        return;
    // Summed into a fresh object (as every caller of a skill starts) the kept sums are the
    // very same numbers (0 + x is x, and no sum that starts from +0 becomes -0); into a
    // partial sum the additions run one by one as always.
    if (!IsFresh(out)) {
        out += profile->GetSkillModifierData(level);
        ForEachModifier([&](const Skill_Modifier& modifier) { modifier.GetSkillModifierData(out); });
        return;
    }
    CheckLinkSums(level);
    if (!m_modifierSumsKept) {
        SkillProfile_Modifiers sums;
        sums += profile->GetSkillModifierData(level);
        ForEachModifier([&](const Skill_Modifier& modifier) { modifier.GetSkillModifierData(sums); });
        m_modifierSums = sums;
        m_modifierSumsKept = true;
    }
    out = m_modifierSums;
}

float Skill::GetTotalSkillAttribute(SkillAttributeType type) const
{
    // One seed from the game's generator for every call, kept sums or not: the number of
    // draws from it is part of what every peer repeats. With the sums kept the seed goes
    // unused, and its draw is only stepped past.
    const bool seeded = gGameEngine != nullptr;
    CheckLinkSums(GetCurrentLevel());
    float own = 0.0f;
    if (m_attributeSumsKept) {
        if (seeded)
            gGameEngine->DiscardRandomSeed();
        own = type < kSkillAttributeTypeCount ? m_attributeSums[type] : 0.0f;
    } else {
        // Finding the sums again (rare) out of line.
        own = GetOwnSkillAttribute(type, seeded, seeded ? gGameEngine->GetRandomSeed() : 0);
    }
    return own + (m_manager ? m_manager->GetTotalSkillAttribute(type) : 0.0f);
}

[[gnu::noinline]] float Skill::GetOwnSkillAttribute(SkillAttributeType type, bool seeded, uint16_t seed) const
{
    const unsigned level = GetCurrentLevel();
    CheckLinkSums(level);
    if (m_attributeSumsKept)
        return type < kSkillAttributeTypeCount ? m_attributeSums[type] : 0.0f;
    SkillAttributeAccumulator accumulator;
    if (seeded)
        accumulator.SetSeed(seed);
    if (const SkillProfile* profile = GetSkillProfile())
        profile->GetSkillAttributes(accumulator, level);
    AddModifierSkillAttributes(accumulator);
    if (!accumulator.HasDrawn()) {
        for (uint32_t kind = 0; kind < kSkillAttributeTypeCount; ++kind)
            m_attributeSums[kind] = accumulator.GetValue(static_cast<SkillAttributeType>(kind));
        m_attributeSumsKept = true;
    }
    return accumulator.GetValue(type);
}

namespace {

// The hand-over records not lent out, of this thread.
using IdleBuffTransfers = ThreadSpares<std::unique_ptr<SkillBuffTransfer>, 8>;

}  // namespace

SkillBuffTransferLease::SkillBuffTransferLease()
{
    std::unique_ptr<SkillBuffTransfer> idle;
    m_transfer = IdleBuffTransfers::Take(idle) ? idle.release() : new SkillBuffTransfer;
}

SkillBuffTransferLease::~SkillBuffTransferLease()
{
    std::unique_ptr<SkillBuffTransfer> transfer(m_transfer);
    IdleBuffTransfers::Give(std::move(transfer));
}

void Skill::FillBuffTransfer(SkillBuffTransfer& transfer, const std::string& buffName, unsigned level,
                             int durationMs, uint32_t casterId) const
{
    transfer.buffName = buffName;
    transfer.buffLevel = level;
    transfer.modifierName1.clear();
    transfer.modifierLevel1 = 0;
    transfer.modifierName2.clear();
    transfer.modifierLevel2 = 0;
    GetModifierInfo(0, transfer.modifierName1, transfer.modifierLevel1);
    GetModifierInfo(1, transfer.modifierName2, transfer.modifierLevel2);
    transfer.durationMs = durationMs > 0 ? static_cast<uint32_t>(durationMs) : 0u;
    transfer.casterId = casterId;
}

void Skill::GetModifierInfo(unsigned index, std::string& name, unsigned& level) const
{
    if (index >= m_modifiers.size())
        return;
    if (const Skill_Modifier* modifier = ObjectManager::Get().GetObject<Skill_Modifier>(m_modifiers[index])) {
        name = modifier->GetObjectName();
        level = modifier->GetCurrentLevel();
    }
}

void Skill::AddModifierCharAttributes(CharAttributeAccumulator& accumulator) const
{
    ForEachModifier([&](const Skill_Modifier& modifier) { modifier.CollectModifierCharAttributes(accumulator); });
}

void Skill::AddModifierSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    ForEachModifier([&](const Skill_Modifier& modifier) { modifier.CollectModifierSkillAttributes(accumulator); });
}

void Skill::AddModifierOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachModifier(
        [&](const Skill_Modifier& modifier) { modifier.CollectModifierOffensiveDamageAttributes(accumulator); });
}

void Skill::AddModifierOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachModifier(
        [&](const Skill_Modifier& modifier) { modifier.CollectModifierOffensiveModifierAttributes(accumulator); });
}

void Skill::AddModifierRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachModifier(
        [&](const Skill_Modifier& modifier) { modifier.CollectModifierRetaliationAttributes(accumulator); });
}

void Skill::AddModifierDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachModifier([&](const Skill_Modifier& modifier) { modifier.CollectModifierDefenseAttributes(accumulator); });
}

void Skill::AddModifierRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const
{
    ForEachModifier([&](const Skill_Modifier& modifier) { modifier.CollectModifierRacialBonusDamage(races, bonus); });
}

void Skill::AddModifierRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const
{
    ForEachModifier([&](const Skill_Modifier& modifier) { modifier.CollectModifierRacialBonusDefense(races, bonus); });
}

// ---- Passive, mastery and modifier kinds -------------------------------------------------

template <class Own, class Relay>
void Skill::CollectEnabled(Own own, Relay relay) const
{
    const std::optional<unsigned> level = CollectedLevel();
    if (!level)
        return;
    if (const SkillProfile* profile = GetSkillProfile())
        own(*profile, *level);
    relay();
}

std::optional<unsigned> Skill::CollectedLevel() const
{
    if (!IsSkillEnabled())
        return std::nullopt;
    return GetCurrentLevel();
}

// The character attributes add those the skill takes from its owner after those it grants.
void Skill::CollectOwnCharAttributes(CharAttributeAccumulator& accumulator) const
{
    CollectEnabled(
        [&](const SkillProfile& profile, unsigned level) {
            profile.GetCharAttributes(accumulator, level);
            profile.GetCharAttrStorePenalty().AddToAccumulator(accumulator, level);
        },
        [&] { AddModifierCharAttributes(accumulator); });
}

void Skill::CollectOwnSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    CollectEnabled([&](const SkillProfile& profile, unsigned level) { profile.GetSkillAttributes(accumulator, level); },
                   [&] { AddModifierSkillAttributes(accumulator); });
}

void Skill::CollectOwnOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    CollectEnabled(
        [&](const SkillProfile& profile, unsigned level) { profile.GetOffensiveDamageAttributes(accumulator, level); },
        [&] { AddModifierOffensiveDamageAttributes(accumulator); });
}

void Skill::CollectOwnOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    CollectEnabled(
        [&](const SkillProfile& profile, unsigned level) { profile.GetOffensiveModifierAttributes(accumulator, level); },
        [&] { AddModifierOffensiveModifierAttributes(accumulator); });
}

void Skill::CollectOwnRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    CollectEnabled(
        [&](const SkillProfile& profile, unsigned level) { profile.GetRetaliationAttributes(accumulator, level); },
        [&] { AddModifierRetaliationAttributes(accumulator); });
}

void Skill::CollectOwnDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    CollectEnabled(
        [&](const SkillProfile& profile, unsigned level) { profile.GetDefenseAttributes(accumulator, level); },
        [&] { AddModifierDefenseAttributes(accumulator); });
}

void Skill::CollectOwnRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const
{
    CollectEnabled(
        [&](const SkillProfile& profile, unsigned level) { profile.GetRacialBonusDamage(races, bonus, level); },
        [&] { AddModifierRacialBonusDamage(races, bonus); });
}

void Skill::CollectOwnRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const
{
    CollectEnabled(
        [&](const SkillProfile& profile, unsigned level) { profile.GetRacialBonusDefense(races, bonus, level); },
        [&] { AddModifierRacialBonusDefense(races, bonus); });
}

Skill_Passive::Skill_Passive()
{
    m_kindText = "^bPassive Skill";
    SetIgnoreMana(true);
}

const CharAttributeContribution* Skill_Passive::FindPassiveCharContribution() const
{
    if (IsSkillEnabled() && GetSkillProfile())
        return GetSkillProfile()->GetCharContribution(GetCurrentLevel());
    return nullptr;
}

Skill_Mastery::Skill_Mastery() { m_kindText = "^bSkill Mastery"; }

void Skill_Mastery::Load(const LoadTable& table)
{
    Skill_Passive::Load(table);
    const std::string_view word = table.GetString("MasteryEnumeration", "");
    for (uint32_t i = 0; i < kEnumerationCount; ++i) {
        if (word == kEnumerationWords[i]) {
            m_enumeration = i;
            return;
        }
    }
}

Skill_Modifier::Skill_Modifier() { m_kindText = "^bSkill Modifier"; }

unsigned Skill::ResultTargetNumber() const
{
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    return modifiers.targetNumber;
}

// ---- Secondary skills --------------------------------------------------------------------

void Skill::PrimaryActivateSecondarySkills(Character& character, unsigned target,
                                           const std::vector<uint32_t>& targets, const WorldVec3& point)
{
    ForEachSecondarySkill(
        [&](SkillSecondary& secondary) { secondary.PrimaryActivateNow(character, target, targets, point); });
}

void Skill::ActivateSecondarySkills(Character& character, unsigned target, const std::vector<uint32_t>& targets,
                                    const WorldVec3& point)
{
    ForEachSecondarySkill([&](SkillSecondary& secondary) { secondary.ActivateNow(character, target, targets, point); });
}

void Skill::PrimaryStopSecondarySkills(Character& character)
{
    ForEachSecondarySkill([&](SkillSecondary& secondary) { secondary.PrimaryStop(character); });
}

// ---- Cooldown and mana ----------------------------------------------------------------

float Skill::GetCooldownTime() const
{
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    const float reduction = GetTotalSkillAttribute(SkillAttributeType_CooldownReduction);
    return modifiers.cooldownTime * 1000.0f * (1.0f - reduction * 0.01f);
}

void Skill::StartCooldown()
{
    const float time = GetCooldownTime();
    if (time > 0.1f)
        ReplaceCooldownTime(time);
}

void Skill::ReplaceCooldownTime(float ms)
{
    if (!(ms > 0.0f))
        return;
    // A record's huge or non-finite time becomes the largest whole count, not an
    // undefined conversion.
    const int32_t whole = TruncateToInt(ms);
    if (m_cooldownRemaining < ms) {
        m_cooldownRemaining = whole;
        m_cooldownTotal = whole;
    }
}

void Skill::ApplyDisruptionCooldownTime(float ms)
{
    if (m_disruptable)
        ReplaceCooldownTime(ms);
}

void Skill::EndCooldown(int ms)
{
    m_cooldownRemaining = ms <= 0 ? 0 : std::max(m_cooldownRemaining - ms, 0);
}

float Skill::GetCooldownCompletion() const
{
    if (m_cooldownTotal < 1)
        return 1.0f;
    return 1.0f - static_cast<float>(m_cooldownRemaining) / static_cast<float>(m_cooldownTotal);
}

float Skill::GetManaCost() const
{
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    const float reduction = GetTotalSkillAttribute(SkillAttributeType_ManaCostReduction);
    const float cost = modifiers.manaCost * (1.0f - reduction * 0.01f);
    return cost > 0.0f ? cost : 0.0f;
}

void Skill::SubtractManaCost()
{
    if (m_manager)
        m_manager->SubtractMana(GetManaCost());
}

// ---- Availability ----------------------------------------------------------------------

bool Skill::IsQualifyingWeapons(Weapon_Type right, Weapon_Type left, const std::vector<Weapon_Type>& qualifying)
{
    if (qualifying.empty())
        return true;
    return std::any_of(qualifying.begin(), qualifying.end(),
                       [&](Weapon_Type type) { return type == right || type == left; });
}

bool Skill::QualifyingWeapon() const
{
    // A skill that names no weapon takes any: the hands are looked at only for one that does.
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || profile->GetQualifyingWeapons().empty())
        return true;
    Weapon_Type right = Weapon_None;
    Weapon_Type left = Weapon_None;
    if (m_manager)
        m_manager->GetWeaponTypes(right, left);
    return IsQualifyingWeapons(right, left, profile->GetQualifyingWeapons());
}

bool Skill::QualifyingHandState() const
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || !profile->GetQualifyingDualWeapons())
        return true;
    return m_manager && m_manager->GetHandState() == EquipManager_DualWielded;
}

bool Skill::AllowDualWieldWeapons() const
{
    const SkillProfile* profile = GetSkillProfile();
    return GetCurrentLevel() != 0 && profile && profile->GetQualifyingDualWeapons();
}

bool Skill::SetAvailability(bool ignoreMana, bool ignoreCooldown)
{
    const float mana = m_manager ? m_manager->GetCurrentMana() : 0.0f;
    m_lacksMana = GetManaCost() > mana;
    m_coolingDown = m_cooldownRemaining > 0;
    m_weaponNotQualifying = !QualifyingWeapon();
    m_handStateNotQualifying = !QualifyingHandState();
    if (!ignoreMana && m_lacksMana)
        m_reason = Skill_NotEnoughMana;
    else if (!ignoreCooldown && m_coolingDown)
        m_reason = Skill_CoolingDown;
    else if (m_weaponNotQualifying || m_handStateNotQualifying)
        m_reason = Skill_WeaponNotQualifying;
    else if (GetCurrentLevel() == 0)
        m_reason = Skill_LevelZero;
    else
        m_reason = Skill_Usable;
    return m_reason == Skill_Usable;
}

bool Skill::UseDefaultWhenUnavailable() const
{
    if (m_weaponNotQualifying || m_handStateNotQualifying)
        return true;
    return (m_lacksMana && m_useDefaultWhenOutOfMana) || (m_coolingDown && m_useDefaultWhenCooling);
}

// ---- Update and replication --------------------------------------------------------------

void Skill::Update(Character&, int elapsedMs)
{
    if (m_cooldownRemaining > 0) {
        const int64_t remaining = static_cast<int64_t>(m_cooldownRemaining) - elapsedMs;
        m_cooldownRemaining = static_cast<int32_t>(std::max<int64_t>(remaining, INT32_MIN));
    }
    if (IsControllingSkill()) {
        const bool usable = SetAvailability(m_ignoreMana, false);
        if (usable != m_state.enabled) {
            SetSkillEnabled(usable);
            SendStateUpdate();
        }
    }
}

void Skill::SendStateUpdate()
{
    if (SkillServicesBase* services = m_manager ? m_manager->GetSkillServices() : nullptr)
        services->SendSkillStateUpdate(GetObjectId(), m_state);
}

void Skill::SendActiveStateUpdate()
{
    if (SkillServicesBase* services = m_manager ? m_manager->GetSkillServices() : nullptr)
        services->SendSkillActiveUpdate(GetObjectId(), m_activeState);
}

void Skill::ReceiveStateUpdate(const SkillState& state, bool force)
{
    const int32_t oldLevel = m_state.level;
    if (!IsControllingSkill() || force) {
        SetCollected(m_state, state);
        RefreshPassiveContribution();
        if (m_manager) {
            if (m_state.level < 1 || m_tempSkill)
                m_manager->RemoveFromActiveList(this);
            else
                m_manager->AddToActiveList(this);
        }
    }
    if (m_state.level != oldLevel)
        PreLoadResources();
}

// ---- Targets ----------------------------------------------------------------------------

// One body for foes and friends.
void Skill::TargetInformation(const ProjectileInfo&, const WorldCoords&, std::vector<uint32_t>) {}

void Skill::TargetFriendInformation(const ProjectileInfo& info, const WorldCoords& coords,
                                    std::vector<uint32_t> targets)
{
    Skill::TargetInformation(info, coords, std::move(targets));
}

// ---- Passive contributions ----------------------------------------------------------------

void Skill::CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const
{
    if (CollectsOwnValues())
        CollectOwnCharAttributes(accumulator);
    else if (const CharAttributeContribution* contribution = GetPassiveCharContribution())
        contribution->AddToAccumulator(accumulator);
}

void Skill::CollectPassiveSkillAttributes(SkillAttributeAccumulator& accumulator) const
{
    if (CollectsOwnValues())
        CollectOwnSkillAttributes(accumulator);
}

void Skill::CollectPassiveOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (CollectsOwnValues())
        CollectOwnOffensiveDamageAttributes(accumulator);
}

void Skill::CollectPassiveOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (CollectsOwnValues())
        CollectOwnOffensiveModifierAttributes(accumulator);
}

void Skill::CollectPassiveRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (CollectsOwnValues())
        CollectOwnRetaliationAttributes(accumulator);
}

void Skill::CollectPassiveDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (CollectsOwnValues())
        CollectOwnDefenseAttributes(accumulator);
}

void Skill::CollectPassiveRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const
{
    if (CollectsOwnValues())
        CollectOwnRacialBonusDamage(races, bonus);
}

void Skill::CollectPassiveRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const
{
    if (CollectsOwnValues())
        CollectOwnRacialBonusDefense(races, bonus);
}

SkillSecondary::SkillSecondary()
{
    m_kindText = "^bSecondary Skill";
    m_disruptable = true;
}

void SkillSecondary::PrimaryActivateNow(Character& user, unsigned targetId, const std::vector<uint32_t>& targets,
                                        const WorldVec3& point)
{
    PrimaryActivateSecondarySkills(user, targetId, targets, point);
}

void SkillSecondary::PrimaryStop(Character& user) { PrimaryStopSecondarySkills(user); }


}  // namespace GAME
