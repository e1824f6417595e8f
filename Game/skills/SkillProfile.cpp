#include "Game/skills/SkillProfile.h"

#include <algorithm>

#include "Engine/LoadTable.h"
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

// Fills `count` modifier entries for the level indexes first, first + 1, ... by the
// per-level rule: a record whose array is shorter than the levels gives its last entry
// to the levels past it (a cooldown written once holds at every level). Each key's array
// is read once, whatever the number of levels.
void LoadModifierLevels(const LoadTable& record, SkillProfile_Modifiers* levels, unsigned first, unsigned count)
{
    std::vector<float> values;
    for (const ModifierKey& key : kModifierKeys) {
        record.GetFloatArray(key.key, values);
        for (unsigned i = 0; i < count; ++i) {
            const float value = PerLevelValue(values, first + i + 1);
            if (key.real)
                levels[i].*key.real = value;
            else
                levels[i].*key.whole = TruncateToUnsigned(value);
        }
    }
}

// A non-negative whole number of a record; a negative one counts as 0.
unsigned WholeValue(const LoadTable& record, const char* key)
{
    const int value = record.GetInt(key, 0);
    return value > 0 ? static_cast<unsigned>(value) : 0u;
}

// The largest number of levels a record may give a skill; bounds the per-level tables
// a careless record could otherwise size without limit.
constexpr unsigned kMaxSkillLevels = 1000;

}  // namespace

void SkillProfile_Modifiers::Load(const LoadTable& record, unsigned index)
{
    LoadModifierLevels(record, this, index, 1);
}

void SkillProfile::LoadProfile(const LoadTable& record)
{
    m_displayNameTag = record.GetString("skillDisplayName", "");
    m_baseDescriptionTag = record.GetString("skillBaseDescription", "");
    m_petDisplayable = record.GetBool("isPetDisplayable", false);
    m_masteryLevelRequirement = gGameEngine ? gGameEngine->GetSkillMasteryLevel(WholeValue(record, "skillTier")) : 0;
    m_maxLevel = std::min(WholeValue(record, "skillMaxLevel"), kMaxSkillLevels);
    m_ultimateLevel = std::min(std::max(WholeValue(record, "skillUltimateLevel"), m_maxLevel), kMaxSkillLevels);

    static const struct {
        const char* key;
        Weapon_Type type;
    } kWeaponKeys[] = {{"Sword", Weapon_Sword}, {"Axe", Weapon_Axe},   {"Bow", Weapon_Bow},
                       {"Spear", Weapon_Spear}, {"Mace", Weapon_Mace}, {"Staff", Weapon_Staff},
                       {"Magical", Weapon_Magical}, {"Shield", Weapon_Shield}};
    m_qualifyingWeapons.clear();
    for (const auto& weapon : kWeaponKeys)
        if (record.GetBool(weapon.key, false))
            m_qualifyingWeapons.push_back(weapon.type);
    m_qualifyingDualWeapons = record.GetBool("dualWieldOnly", false);
    record.GetStringArray("skillDependancy", m_skillDependancy);
    LoadTextValues(record);   // skill texts

    m_modifiers.assign(m_ultimateLevel, {});
    LoadModifierLevels(record, m_modifiers.data(), 0, m_ultimateLevel);

    static const char* const kSoundKeys[9] = {"skillWarmUpSound",  "skillSwipeSound",       "skillHitSound",
                                              "skillActivatedSound", "skillDeactivatedSound", "skillCastSound",
                                              "skillUnCastSound",  "skillSound1",           "skillSound2"};
    for (unsigned i = 0; i < 9; ++i)
        m_soundNames[i] = record.GetString(kSoundKeys[i], "");
    m_propName1 = record.GetString("propName1", "");
    m_propName2 = record.GetString("propName2", "");
    LoadEffectsAndPets(record);

    m_skillAttributes.Load(record);
    BuildSkillAttributeLevels();
    m_damageAttributes.Load(record);
    m_defenseAttributes.Load(record);
    m_retaliationAttributes.Load(record);
    m_charAttributes.Load(record);
    m_racialBonus = RacialBonus();
    m_racialBonus.LoadFromTable(record);
    // Past its last level an attribute keeps its last value: one contribution per level
    // with values, at least one.
    m_charContributions.assign(std::max<size_t>(m_charAttributes.GetLevelCount(), 1), {});
    for (size_t level = 0; level < m_charContributions.size(); ++level)
        m_charContributions[level].Build(m_charAttributes, static_cast<unsigned>(level + 1));
}

void SkillProfile_ProjectileModifiers::Load(const LoadTable& record, unsigned index)
{
    std::vector<float> values;
    record.GetFloatArray("projectileExplosionRadius", values);
    explosionRadius = PerLevelValue(values, index + 1);
    fragmentsName = record.GetString("projectileFragmentsName", "");
    record.GetFloatArray("projectileFragmentsLaunchNumberMin", values);
    fragmentsMin = std::min(TruncateToUnsigned(PerLevelValue(values, index + 1)), kMaxFragments);
    record.GetFloatArray("projectileFragmentsLaunchNumberMax", values);
    fragmentsMax = std::min(TruncateToUnsigned(PerLevelValue(values, index + 1)), kMaxFragments);
    record.GetFloatArray("projectilePiercingChance", values);
    piercingChance = PerLevelValue(values, index + 1);
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
    const std::string buffFx = record.GetString("charBuffFxType", "");
    m_charBuffFxType = buffFx == "Fire" ? 1 : buffFx == "Poison" ? 2 : 0;
    m_specialAnimationName = record.GetString("skillSpecialAnimationName", "");
    static const char* const kRagDollKeys[4] = {"ragDollEffect", "ragDollDirection", "ragDollPush",
                                                "ragDollElevation"};
    for (unsigned i = 0; i < 4; ++i)
        m_ragDoll[i] = record.GetString(kRagDollKeys[i], "");
    record.GetFloatArray("ragDollAmplification", m_ragDollAmplification);
    m_excludeRacialDamage = record.GetBool("excludeRacialDamage", false);
    m_radiusMagicName = record.GetString("radiusMagicName", "");

    record.GetStringArray("skillProjectileName", m_projectileNames);
    m_numberOfProjectiles = std::min(std::max(WholeValue(record, "skillProjectileNumber"), 1u), kMaxProjectiles);
    m_projectileTargetGroundOnly = record.GetBool("skillProjectileTargetGroundOnly", false);
    m_projectileUsesAllDamage = record.GetBool("projectileUsesAllDamage", false);
    m_projectileModifiers.assign(m_ultimateLevel, {});
    for (unsigned i = 0; i < m_ultimateLevel; ++i)
        m_projectileModifiers[i].Load(record, i);

    record.GetStringArray("spawnObjects", m_spawnObjects);
    record.GetFloatArray("spawnObjectsTimeToLive", m_spawnObjectTimeToLive);
    record.GetFloatArray("petLimit", m_petLimit);
    record.GetFloatArray("petBurstSpawn", m_petBurstSpawn);
}

const SkillProfile_ProjectileModifiers& SkillProfile::GetSkillProjectileModifierData(unsigned level) const
{
    const SkillProfile_ProjectileModifiers* entry = PerLevelEntry(m_projectileModifiers, level);
    return entry ? *entry : m_noProjectileModifiers;
}

int SkillProfile::GetSpawnObjectTimeToLive(unsigned level) const
{
    return TruncateToInt(static_cast<double>(PerLevelValue(m_spawnObjectTimeToLive, level)) * 1000.0);
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
