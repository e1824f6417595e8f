#include "Game/skills/SkillProfile.h"

#include <algorithm>
#include <cfloat>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/characters/Character.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

namespace {

// The per-level numbers of the modifiers, by record key: a float field or a whole-number
// one (a negative entry counts as 0).
struct ModifierKey {
    const char* key;
    float SkillProfile_Modifiers::*real;
    uint32_t SkillProfile_Modifiers::*whole;
};
constexpr ModifierKey kModifierKeys[] = {
    {"skillManaCost", &SkillProfile_Modifiers::manaCost, nullptr},
    {"skillActiveLifeCost", &SkillProfile_Modifiers::activeLifeCost, nullptr},
    {"skillActiveManaCost", &SkillProfile_Modifiers::activeManaCost, nullptr},
    {"skillActiveDuration", &SkillProfile_Modifiers::activeDuration, nullptr},
    {"skillTargetRadius", &SkillProfile_Modifiers::targetRadius, nullptr},
    {"skillTargetAngle", &SkillProfile_Modifiers::targetAngle, nullptr},
    {"skillTargetNumber", nullptr, &SkillProfile_Modifiers::targetNumber},
    {"skillCooldownTime", &SkillProfile_Modifiers::cooldownTime, nullptr},
    {"skillSpeedAcceleration", &SkillProfile_Modifiers::speedAcceleration, nullptr},
    {"explosionRadius", &SkillProfile_Modifiers::explosionRadius, nullptr},
    {"projectileLaunchRotation", &SkillProfile_Modifiers::projectileLaunchRotation, nullptr},
    {"projectileLaunchNumber", nullptr, &SkillProfile_Modifiers::projectileLaunchNumber},
    {"projectilePiercing", &SkillProfile_Modifiers::projectilePiercing, nullptr},
};

// The array entry `index` of a record's key, 0 past the end of the array (and for a key
// the record does not give).
float IndexedValue(const std::vector<float>& values, unsigned index)
{
    return index < values.size() ? values[index] : 0.0f;
}

// Fills `count` modifier entries for the level indexes first, first + 1, ...: each field
// is its key's array entry at the index, 0 past the array. Each key's array is read once,
// whatever the number of levels.
void LoadModifierLevels(const LoadTable& record, SkillProfile_Modifiers* levels, unsigned first, unsigned count)
{
    std::vector<float> values;
    for (const ModifierKey& key : kModifierKeys) {
        record.GetFloatArray(key.key, values);
        for (unsigned i = 0; i < count; ++i) {
            const float value = IndexedValue(values, first + i);
            if (key.real)
                levels[i].*key.real = value;
            else
                levels[i].*key.whole = TruncateToUnsigned(value);
        }
    }
}

constexpr const char* kProjectileModifierKeys[] = {"projectileExplosionRadius", "projectileFragmentsLaunchNumberMin",
                                                   "projectileFragmentsLaunchNumberMax", "projectilePiercingChance"};

// The length of the longest array of any per-level modifier key: every level index at or
// past it reads 0 everywhere, so its entries all equal the one at that index.
size_t LongestModifierArray(const LoadTable& record)
{
    std::vector<float> values;
    size_t longest = 0;
    for (const ModifierKey& key : kModifierKeys) {
        record.GetFloatArray(key.key, values);
        longest = std::max(longest, values.size());
    }
    for (const char* key : kProjectileModifierKeys) {
        record.GetFloatArray(key, values);
        longest = std::max(longest, values.size());
    }
    return longest;
}

// A fragment count of a record: past kMaxFragments it is cut to it, with a log line.
uint32_t RecordFragmentCount(const LoadTable& record, float value)
{
    using Modifiers = SkillProfile_ProjectileModifiers;
    const uint32_t count = TruncateToUnsigned(value);
    if (count <= Modifiers::kMaxFragments)
        return count;
    gEngine->Log(LOG_WARNING, "Skill %s: a fragment count of %u is cut to %u", record.GetName().c_str(), count,
                 Modifiers::kMaxFragments);
    return Modifiers::kMaxFragments;
}

// The projectile modifiers of `count` level indexes from `first`, as above; fragment
// counts are held to kMaxFragments.
void LoadProjectileModifierLevels(const LoadTable& record, SkillProfile_ProjectileModifiers* levels, unsigned first,
                                  unsigned count)
{
    using Modifiers = SkillProfile_ProjectileModifiers;
    // Every level holds the name: one longer than a record file name may be (which could
    // not name a record, nor be sent) would cost its length at every level.
    std::string fragmentsName = record.GetString("projectileFragmentsName", "");
    if (fragmentsName.size() > NetLimits::kMaxFileNameLength) {
        gEngine->Log(LOG_WARNING, "Skill %s: \"projectileFragmentsName\" is longer than a record name; no fragments",
                     record.GetName().c_str());
        fragmentsName.clear();
    }
    std::vector<float> values[4];
    for (unsigned k = 0; k < 4; ++k)
        record.GetFloatArray(kProjectileModifierKeys[k], values[k]);
    for (unsigned i = 0; i < count; ++i) {
        Modifiers& level = levels[i];
        level.explosionRadius = IndexedValue(values[0], first + i);
        level.fragmentsName = fragmentsName;
        level.fragmentsMin = RecordFragmentCount(record, IndexedValue(values[1], first + i));
        level.fragmentsMax = RecordFragmentCount(record, IndexedValue(values[2], first + i));
        level.piercingChance = IndexedValue(values[3], first + i);
    }
}

// A level or count of a record as an unsigned whole number: a negative one counts as 0,
// one past the unsigned range holds at its largest value (an int read would lose a
// number such as 4294967295 to its default).
unsigned WholeValue(const LoadTable& record, const char* key)
{
    const int value = record.GetInt(key, -1);
    if (value >= 0)
        return static_cast<unsigned>(value);
    if (value < -1)
        return 0u;
    return TruncateToUnsigned(record.GetFloat(key, 0.0f));   // -1, absent, or past an int
}

// Seconds of a record as whole milliseconds, truncated and held to the range of an int.

// A per-level entry with the getter's own default at level 0 or without entries.
float LevelValueOr(const std::vector<float>& values, unsigned level, float def)
{
    const float* value = PerLevelEntry(values, level);
    return value ? *value : def;
}

unsigned LevelWholeOr(const std::vector<float>& values, unsigned level, unsigned def)
{
    const float* value = PerLevelEntry(values, level);
    return value ? TruncateToUnsigned(*value) : def;
}

}  // namespace

void SkillProfile_Modifiers::Load(const LoadTable& record, unsigned index)
{
    LoadModifierLevels(record, this, index, 1);
}

void SkillProfile::LoadProfile(const LoadTable& record)
{
    // Names, tier and level limits.
    m_displayNameTag = record.GetString("skillDisplayName", "");
    m_baseDescriptionTag = record.GetString("skillBaseDescription", "");
    m_masteryLevelRequirement = gGameEngine ? gGameEngine->GetSkillMasteryLevel(WholeValue(record, "skillTier")) : 0;
    m_petDisplayable = record.GetBool("isPetDisplayable", false);
    m_maxLevel = WholeValue(record, "skillMaxLevel");
    m_ultimateLevel = std::max(WholeValue(record, "skillUltimateLevel"), m_maxLevel);

    // Qualifying weapons and damage kinds.
    static const struct {
        const char* key;
        Weapon_Type type;
    } kWeaponKeys[] = {{"Sword", Weapon_Sword}, {"Axe", Weapon_Axe},   {"Bow", Weapon_Bow},
                       {"Spear", Weapon_Spear}, {"Mace", Weapon_Mace}, {"Staff", Weapon_Staff},
                       {"Magical", Weapon_Magical}, {"Shield", Weapon_Shield}};
    for (const auto& weapon : kWeaponKeys)
        if (record.GetBool(weapon.key, false))
            m_qualifyingWeapons.push_back(weapon.type);
    m_qualifyingDualWeapons = record.GetBool("dualWieldOnly", false);
    LoadQualifyingDamage(record);

    record.GetStringArray("skillDependancy", m_skillDependancy);
    m_upBitmapName = record.GetString("skillUpBitmapName", "");
    m_downBitmapName = record.GetString("skillDownBitmapName", "");
    record.GetStringArray("skillConnectionOn", m_connectorsOn);
    record.GetStringArray("skillConnectionOff", m_connectorsOff);
    m_specialAnimationName = Name(record.GetString("skillSpecialAnimationName", ""));

    LoadProjectileAndRadius(record);

    // One modifier entry per level up to the ultimate level, but none past the first
    // level index that every modifier array has ended before: later levels would only
    // repeat it, and a lookup past the stored entries gives the last one.
    const size_t entries = std::min<size_t>(m_ultimateLevel, LongestModifierArray(record) + 1);
    m_modifiers.assign(entries, {});
    LoadModifierLevels(record, m_modifiers.data(), 0, static_cast<unsigned>(entries));
    m_projectileModifiers.assign(entries, {});
    LoadProjectileModifierLevels(record, m_projectileModifiers.data(), 0, static_cast<unsigned>(entries));

    static const char* const kSoundKeys[9] = {"skillWarmUpSound",  "skillSwipeSound",       "skillHitSound",
                                              "skillActivatedSound", "skillDeactivatedSound", "skillCastSound",
                                              "skillUnCastSound",  "skillSound1",           "skillSound2"};
    for (unsigned i = 0; i < 9; ++i)
        m_soundNames[i] = record.GetString(kSoundKeys[i], "");
    LoadEffectsAndPets(record);
    LoadTextValues(record);

    // The stores, each from the same record.
    m_charAttributes.Load(record);
    m_charAttributesPenalty.Load(record);
    m_skillAttributes.Load(record);
    m_damageAttributes.Load(record);
    m_retaliationAttributes.Load(record);
    m_defenseAttributes.Load(record);
    m_racialBonus.LoadFromTable(record);
    BuildSkillAttributeLevels();
    // Past its last level an attribute keeps its last value: one contribution per level
    // with values, at least one.
    m_charContributions.assign(std::max<size_t>(m_charAttributes.GetLevelCount(), 1), {});
    for (size_t level = 0; level < m_charContributions.size(); ++level)
        m_charContributions[level].Build(m_charAttributes, static_cast<unsigned>(level + 1));

    m_excludeRacialDamage = record.GetBool("excludeRacialDamage", false);
    record.GetStringArray("racialProfile", m_racialProfile);
    m_notDispelable = record.GetBool("notDispelable", false);
    record.GetFloatArray("contagionInterval", m_contagionInterval);
    record.GetFloatArray("contagionRadius", m_contagionRadius);
    record.GetFloatArray("contagionLimit", m_contagionLimit);
    record.GetFloatArray("contagionMaxSpread", m_contagionMaxSpread);
}

void SkillProfile::LoadQualifyingDamage(const LoadTable& record)
{
    // One flag per damage kind the skill works on; each that is set adds its type and
    // names its text. The elemental flag adds fire, cold and lightning under one text.
    static const struct {
        const char* key;
        const char* tag;
        uint32_t types[3];
        unsigned count;
    } kQualifiers[] = {
        {"physicalDamageQualifier", "tagQualifyingDamagePhysical", {2}, 1},
        {"pierceDamageQualifier", "tagQualifyingDamagePierce", {4}, 1},
        {"lightningDamageQualifier", "tagQualifyingDamageLightning", {8}, 1},
        {"fireDamageQualifier", "tagQualifyingDamageFire", {6}, 1},
        {"coldDamageQualifier", "tagQualifyingDamageCold", {5}, 1},
        {"poisonDamageQualifier", "tagQualifyingDamagePoison", {7}, 1},
        {"lifeDamageQualifier", "tagQualifyingDamageLife", {9}, 1},
        {"bleedingDamageQualifier", "tagQualifyingDamageBleeding", {13}, 1},
        {"elementalDamageQualifier", "tagQualifyingDamageElemental", {6, 5, 8}, 3},
    };
    for (const auto& qualifier : kQualifiers) {
        if (!record.GetBool(qualifier.key, false))
            continue;
        for (unsigned i = 0; i < qualifier.count; ++i)
            m_qualifyingDamage.push_back(static_cast<CombatAttributeType>(qualifier.types[i]));
        m_textValues.qualifyingDamageTags.push_back(qualifier.tag);
    }
}

bool SkillProfile::IsQualifyingDamage(CombatAttributeType type) const
{
    return m_qualifyingDamage.empty() ||
        std::find(m_qualifyingDamage.begin(), m_qualifyingDamage.end(), type) != m_qualifyingDamage.end();
}

void SkillProfile::LoadProjectileAndRadius(const LoadTable& record)
{
    m_numberOfProjectiles = std::min(std::max(WholeValue(record, "skillProjectileNumber"), 1u), kMaxProjectiles);
    m_projectileTargetGroundOnly = record.GetBool("skillProjectileTargetGroundOnly", false);
    record.GetStringArray("skillProjectileName", m_projectileNames);
    m_projectileUsesAllDamage = record.GetBool("projectileUsesAllDamage", false);
    record.GetFloatArray("skillProjectileHitTimeToLive", m_projectileHitTimeToLive);
    record.GetFloatArray("skillProjectileMissTimeToLive", m_projectileMissTimeToLive);
    record.GetFloatArray("expansionTime", m_expansionTime);
    m_radiusMagicName = record.GetString("radiusMagicName", "");
    m_radiusEffectName = record.GetString("radiusEffectName", "");
    m_actorScaleTime = ExactSecondsToMs(record.GetFloat("actorScaleTime", 0.0f));
    m_actorScale = record.GetFloat("actorScale", 0.0f);
}

void SkillProfile_ProjectileModifiers::Load(const LoadTable& record, unsigned index)
{
    LoadProjectileModifierLevels(record, this, index, 1);
}

const std::string& SkillProfile::PerLevelName(const std::vector<std::string>& names, unsigned level)
{
    static const std::string kNone;
    const std::string* name = PerLevelEntry(names, level);
    return name ? *name : kNone;
}

float SkillProfile::LevelValue(const std::vector<float>& values, unsigned level)
{
    return PerLevelValue(values, level);
}

float SkillProfile::MillisecondsOf(const std::vector<float>& seconds, unsigned level)
{
    const double ms = static_cast<double>(PerLevelValue(seconds, level)) * 1000.0;
    return static_cast<float>(std::clamp(ms, -double(FLT_MAX), double(FLT_MAX)));
}

void SkillProfile::LoadEffectsAndPets(const LoadTable& record)
{
    record.GetStringArray("charFxPakSelfNames", m_charFxSelfNames);
    record.GetStringArray("charFxPakOtherNames", m_charFxOtherNames);
    record.GetStringArray("weaponEnchantment", m_weaponEnchantments);
    record.GetStringArray("endBuffSelfNames", m_endBuffSelfNames);
    record.GetStringArray("endBuffOtherNames", m_endBuffOtherNames);
    record.GetStringArray("targetFxPakName", m_targetFxPakNames);
    static const char* const kEffectKeys[4][2] = {{"particleEffectName1", "particleEffectAttachPoint1"},
                                                  {"particleEffectName2", "particleEffectAttachPoint2"},
                                                  {"particleEffectName3", "particleEffectAttachPoint3"},
                                                  {"warmUpEffectName", "warmUpEffectAttachPoint"}};
    for (unsigned i = 0; i < 4; ++i) {
        m_particleEffects[i] = record.GetString(kEffectKeys[i][0], "");
        m_particleAttachPoints[i] = record.GetString(kEffectKeys[i][1], "");
    }
    m_castAuraName = record.GetString("skillCastAuraName", "");
    m_activeAuraName = record.GetString("skillActivatedAuraName", "");
    record.GetStringArray("skillChargeAura", m_chargeAuraNames);
    m_spellAuraName = record.GetString("skillSpellAura", "");
    record.GetFloatArray("skillSpellAuraDuration", m_spellAuraDuration);
    record.GetStringArray("projModImpactFxPakName", m_projModImpactFxPakNames);
    if (const std::string buffFx = record.GetString("charBuffFxType", ""); !buffFx.empty())
        m_charBuffFxType = Character::ConvertFxBuffName(buffFx);
    m_propName1 = record.GetString("propName1", "");
    m_propName2 = record.GetString("propName2", "");
    m_puppetName = record.GetString("puppetName", "");
    record.GetFloatArray("skillChargeDuration", m_chargeDuration);
    m_allowsWarmUp = record.GetBool("skillAllowsWarmUp", false);
    m_bonusEffectName = record.GetString("skillBonusEffectName", "");
    static const char* const kRagDollKeys[4] = {"ragDollEffect", "ragDollDirection", "ragDollPush",
                                                "ragDollElevation"};
    for (unsigned i = 0; i < 4; ++i)
        m_ragDoll[i] = record.GetString(kRagDollKeys[i], "");
    record.GetFloatArray("ragDollAmplification", m_ragDollAmplification);

    record.GetStringArray("spawnObjects", m_spawnObjects);
    record.GetFloatArray("spawnObjectsTimeToLive", m_spawnObjectTimeToLive);
    record.GetFloatArray("spawnObjectsNumberOfRings", m_spawnRings);
    m_spawnSpacingAngle = record.GetFloat("spawnObjectsSpacingAngle", 0.0f);
    m_spawnInnerCircleDistance = record.GetFloat("spawnObjectsDistanceInnerCircle", 0.0f);
    m_spawnDistanceIncrement = record.GetFloat("spawnObjectsDistanceIncrement", 0.0f);
    record.GetFloatArray("petLimit", m_petLimit);
    record.GetFloatArray("petBurstSpawn", m_petBurstSpawn);
    record.GetFloatArray("sparkGap", m_sparkGap);
    record.GetFloatArray("sparkChance", m_sparkChance);
    record.GetFloatArray("sparkMaxNumber", m_sparkMaxNumber);
    m_lightningName = record.GetString("lightningName", "");
}

int SkillProfile::GetProjectileHitTimeToLive(unsigned level) const
{
    return ExactSecondsToMs(LevelValue(m_projectileHitTimeToLive, level));
}

int SkillProfile::GetProjectileMissTimeToLive(unsigned level) const
{
    return ExactSecondsToMs(LevelValue(m_projectileMissTimeToLive, level));
}

unsigned SkillProfile::GetSpawnObjectsNumberOfRings(unsigned level) const { return LevelWholeOr(m_spawnRings, level, 0); }
unsigned SkillProfile::GetSparkMaxNumber(unsigned level) const { return LevelWholeOr(m_sparkMaxNumber, level, 0); }
float SkillProfile::GetSpellAuraDuration(unsigned level) const { return LevelValueOr(m_spellAuraDuration, level, 1.0f); }

int SkillProfile::GetContagionInterval(unsigned level) const
{
    const float* seconds = PerLevelEntry(m_contagionInterval, level);
    return seconds ? ExactSecondsToMs(*seconds) : 1000;
}

float SkillProfile::GetContagionRadius(unsigned level) const { return LevelValueOr(m_contagionRadius, level, 2.0f); }
unsigned SkillProfile::GetContagionLimit(unsigned level) const { return LevelWholeOr(m_contagionLimit, level, 1); }
unsigned SkillProfile::GetContagionMaxSpread(unsigned level) const
{
    return LevelWholeOr(m_contagionMaxSpread, level, 1);
}

void SkillProfile::GetCharAttributesPenalty(CharAttributeAccumulator& accumulator, unsigned level) const
{
    m_charAttributesPenalty.AddToAccumulator(accumulator, level);
}

const SkillProfile_ProjectileModifiers& SkillProfile::GetSkillProjectileModifierData(unsigned level) const
{
    const SkillProfile_ProjectileModifiers* entry = PerLevelEntry(m_projectileModifiers, level);
    return entry ? *entry : m_noProjectileModifiers;
}

int SkillProfile::GetSpawnObjectTimeToLive(unsigned level) const
{
    return ExactSecondsToMs(PerLevelValue(m_spawnObjectTimeToLive, level));
}

unsigned SkillProfile::GetPetLimit(unsigned level) const
{
    return TruncateToUnsigned(PerLevelValue(m_petLimit, level));
}

unsigned SkillProfile::GetPetBurstSpawn(unsigned level) const
{
    return std::min(TruncateToUnsigned(PerLevelValue(m_petBurstSpawn, level)), kMaxPetBurst);
}

const SkillProfile_Modifiers& SkillProfile::GetSkillModifierData(unsigned level) const
{
    if (level == 0 || m_modifiers.empty())
        return m_noModifiers;
    return m_modifiers[std::min<size_t>(level, m_modifiers.size()) - 1];
}

void SkillProfile::BuildSkillAttributeLevels()
{
    const auto& attributes = m_skillAttributes.GetAttributes();
    unsigned levels = 1;
    for (const auto& attribute : attributes)
        levels = std::max(levels, attribute->GetLevelCount());
    m_skillAttributeCount = static_cast<uint32_t>(attributes.size());
    m_skillAttributeLevels.assign(levels + 1, {});
    m_skillAttributeAdditions.clear();
    m_skillAttributeAdditions.reserve(static_cast<size_t>(levels + 1) * attributes.size());
    RandomUniform unused;   // a roll-free total is the same whatever the draws
    for (unsigned level = 0; level <= levels; ++level) {
        SkillAttributeLevel& entry = m_skillAttributeLevels[level];
        entry.rollFree = std::all_of(attributes.begin(), attributes.end(),
                                     [&](const auto& attribute) { return attribute->IsRollFree(level); });
        entry.first = static_cast<uint32_t>(m_skillAttributeAdditions.size());
        if (entry.rollFree)
            for (const auto& attribute : attributes)
                m_skillAttributeAdditions.push_back(
                    {attribute->GetType(), attribute->IsModifier(), attribute->GetTotalValue(unused, level)});
    }
}

void SkillProfile::GetSkillAttributes(SkillAttributeAccumulator& accumulator, unsigned level) const
{
    if (m_skillAttributeCount == 0)
        return;
    const SkillAttributeLevel* entry = m_skillAttributeLevels.empty()
        ? nullptr
        : &m_skillAttributeLevels[std::min<size_t>(level, m_skillAttributeLevels.size() - 1)];
    if (!entry || !entry->rollFree) {
        m_skillAttributes.AddToAccumulator(accumulator, level);
        return;
    }
    for (uint32_t i = entry->first; i < entry->first + m_skillAttributeCount; ++i) {
        const SkillAttributeAddition& addition = m_skillAttributeAdditions[i];
        if (addition.modifier)
            accumulator.AddModifier(addition.type, addition.total);
        else
            accumulator.AddValue(addition.type, addition.total);
    }
    accumulator.SkipDraws(m_skillAttributeCount * SkillAttribute::kDrawsPerTotal);
}

void SkillProfile::GetRetaliationAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const
{
    m_retaliationAttributes.AddDamageToAccumulator(accumulator, level);
    m_retaliationAttributes.AddModifierToAccumulator(accumulator, level);
}

void SkillProfile::GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const
{
    m_damageAttributes.AddDamageToAccumulator(accumulator, level);
}

void SkillProfile::GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const
{
    m_damageAttributes.AddModifierToAccumulator(accumulator, level);
}

void SkillProfile::GetRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus,
                                        unsigned level) const
{
    m_racialBonus.ContributeDamage(races, bonus, level);
}

void SkillProfile::GetRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus,
                                         unsigned level) const
{
    m_racialBonus.ContributeDefense(races, bonus, level);
}

void SkillProfile::GetDefenseAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const
{
    m_defenseAttributes.AddToAccumulator(accumulator, level);
}

const CharAttributeContribution* SkillProfile::GetCharContribution(unsigned level) const
{
    if (level == 0 || m_charContributions.empty())
        return nullptr;
    return &m_charContributions[std::min<size_t>(level, m_charContributions.size()) - 1];
}

void SkillProfile::GetCharAttributes(CharAttributeAccumulator& accumulator, unsigned level) const
{
    if (const CharAttributeContribution* contribution = GetCharContribution(level))
        contribution->AddToAccumulator(accumulator);
}

}  // namespace GAME
