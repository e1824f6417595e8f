// A skill profile from any record text: the profile loads, then every getter, both
// modifiers' tooltip lines (this level and the next) and the stores' sums run at levels
// 0, 1, the ultimate level, one past it and the largest; then a copy, whose answers must
// equal the source's. Any number that comes out not finite, or a text showing one, is a
// failure.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/combat/SkillAttribute.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/skills/SkillProfile.h"
#include "fuzz/FuzzText.h"

using namespace GAME;

namespace {

void Require(bool ok)
{
    if (!ok)
        std::abort();
}

void RequireFinite(float value) { Require(std::isfinite(value)); }

void CheckLines(const std::vector<GameTextLine>& lines)
{
    for (const GameTextLine& line : lines)
        Require(!ShowsNonFinite(line.text));
}

// A digest of what the profile answers at a level; a copy must give the same.
struct Answers {
    std::vector<float> numbers;
    std::vector<std::string> names;
    bool operator==(const Answers& other) const = default;
};

void AddNumber(Answers& answers, float value)
{
    RequireFinite(value);
    answers.numbers.push_back(value);
}

void Sums(const SkillProfile& profile, unsigned level, Answers& answers)
{
    CombatAttributeAccumulator combat;
    combat.SetSeed(level);
    profile.GetOffensiveDamageAttributes(combat, level);
    profile.GetOffensiveModifierAttributes(combat, level);
    profile.GetRetaliationAttributes(combat, level);
    float absolute = 0.0f, overTime = 0.0f;
    combat.GetTotalDamage(absolute, overTime);
    AddNumber(answers, absolute);
    AddNumber(answers, overTime);
    CombatAttributeAccumulator defence;
    profile.GetDefenseAttributes(defence, level);
    // Each entry's own totals: a defence added onto the damage total would be a sum the
    // game never makes.
    for (const CombatAttributeList* list : {&defence.GetDefenses(), &defence.GetDefenseModifiers()})
        for (const auto& entry : *list) {
            float entryAbsolute = 0.0f, entryOverTime = 0.0f;
            entry->GetTotalDefense(entryAbsolute, entryOverTime);
            AddNumber(answers, entryAbsolute);
            AddNumber(answers, entryOverTime);
        }
    CharAttributeAccumulator character, penalty;
    profile.GetCharAttributes(character, level);
    profile.GetCharAttributesPenalty(penalty, level);
    for (uint32_t type = 0; type < kCharAttributeTypeCount; ++type)
        for (const CharAttributeAccumulator* sums : {&character, &penalty}) {
            AddNumber(answers, sums->GetValue(CharAttributeType(type)));
            AddNumber(answers, sums->GetModifier(CharAttributeType(type)));
        }
    SkillAttributeAccumulator skill;
    skill.SetSeed(level);
    profile.GetSkillAttributes(skill, level);
    for (uint32_t type = 0; type < kSkillAttributeTypeCount; ++type) {
        AddNumber(answers, skill.GetValue(SkillAttributeType(type)));
        AddNumber(answers, skill.GetModifier(SkillAttributeType(type)));
    }
    RacialBonus_Damage damage;
    RacialBonus_Defense defense;
    profile.GetRacialBonusDamage(profile.GetRacialBonus().GetRaces(), damage, level);
    profile.GetRacialBonusDefense(profile.GetRacialBonus().GetRaces(), defense, level);
    for (float value : {damage.percent, damage.absolute, defense.percent, defense.absolute})
        AddNumber(answers, value);
}

void Modifiers(const SkillProfile& profile, unsigned level, Answers& answers)
{
    const SkillProfile_Modifiers& m = profile.GetSkillModifierData(level);
    for (float value : {m.manaCost, m.activeLifeCost, m.activeManaCost, m.activeDuration, m.targetRadius,
                        m.targetAngle, m.cooldownTime, m.speedAcceleration, m.explosionRadius,
                        m.projectileLaunchRotation, m.projectilePiercing})
        AddNumber(answers, value);
    answers.numbers.push_back(static_cast<float>(m.targetNumber));
    answers.numbers.push_back(static_cast<float>(m.projectileLaunchNumber));
    const SkillProfile_ProjectileModifiers& p = profile.GetSkillProjectileModifierData(level);
    AddNumber(answers, p.explosionRadius);
    AddNumber(answers, p.piercingChance);
    Require(p.fragmentsMin <= SkillProfile_ProjectileModifiers::kMaxFragments &&
            p.fragmentsMax <= SkillProfile_ProjectileModifiers::kMaxFragments);
    answers.names.push_back(p.fragmentsName);

    std::vector<GameTextLine> lines;
    m.CreateUIText(GameTextClass::SkillStatsCurrent, lines);
    p.CreateUIText(GameTextClass::SkillStatsCurrent, lines);
    const unsigned next = level + 1u;   // the largest level wraps to 0: a next text against level 0
    profile.GetSkillModifierData(next).CreateUINextText(m, lines);
    profile.GetSkillProjectileModifierData(next).CreateUINextText(p, lines);
    CheckLines(lines);
    answers.numbers.push_back(static_cast<float>(lines.size()));
}

Answers Ask(const SkillProfile& profile, unsigned level)
{
    Answers answers;
    for (float value :
         {profile.GetLifeMonitorPercent(level), profile.GetRadiusTime(level), profile.GetActivationChance(level),
          profile.GetSpellAuraDuration(level), profile.GetChargeDuration(level), profile.GetLifeBonus(level),
          profile.GetManaBonus(level), profile.GetSparkGap(level), profile.GetSparkChance(level),
          profile.GetRagDollAmplification(level), profile.GetDamageAbsorption(level),
          profile.GetDamageAbsorptionPercent(level), profile.GetSkillEnhancement(level),
          profile.GetContagionRadius(level)})
        AddNumber(answers, value);
    for (int value : {profile.GetProjectileHitTimeToLive(level), profile.GetProjectileMissTimeToLive(level),
                      profile.GetSpawnObjectTimeToLive(level), profile.GetContagionInterval(level)})
        answers.numbers.push_back(static_cast<float>(value));
    for (unsigned value :
         {profile.GetChanceWeight(level), profile.GetSpawnObjectsNumberOfRings(level), profile.GetPetLimit(level),
          profile.GetPetBurstSpawn(level), profile.GetSparkMaxNumber(level), profile.GetMaxChargeLevel(level),
          profile.GetContagionLimit(level), profile.GetContagionMaxSpread(level)})
        answers.numbers.push_back(static_cast<float>(value));
    Require(profile.GetPetBurstSpawn(level) <= SkillProfile::kMaxPetBurst);
    for (const std::string* name :
         {&profile.GetProjectileName(level), &profile.GetSpawnObject(level), &profile.GetWeaponEnchantment(level),
          &profile.GetChargeAuraName(level), &profile.GetTargetFxPakName(level),
          &profile.GetProjModImpactFxPakName(level), &profile.GetCharFxOtherName(level),
          &profile.GetCharFxSelfName(level), &profile.GetEndBuffSelfFxPakName(level),
          &profile.GetEndBuffOtherFxPakName(level)})
        answers.names.push_back(*name);
    Modifiers(profile, level, answers);
    Sums(profile, level, answers);
    return answers;
}

// The answers that do not depend on a level.
Answers AskOnce(const SkillProfile& profile)
{
    Answers answers;
    for (const std::string* name :
         {&profile.GetDisplayNameTag(), &profile.GetBaseDescriptionTag(), &profile.GetUpBitmapName(),
          &profile.GetDownBitmapName(), &profile.GetRadiusMagicName(), &profile.GetRadiusEffectName(),
          &profile.GetWarmUpSoundName(), &profile.GetSwipeSoundName(), &profile.GetHitSoundName(),
          &profile.GetActivateSoundName(), &profile.GetDeactivateSoundName(), &profile.GetCastSoundName(),
          &profile.GetUnCastSoundName(), &profile.GetSkillSound1Name(), &profile.GetSkillSound2Name(),
          &profile.GetActiveAuraName(), &profile.GetCastAuraName(), &profile.GetSpellAuraName(),
          &profile.GetParticleEffectName1(), &profile.GetParticleEffectAttachPoint1(),
          &profile.GetParticleEffectName2(), &profile.GetParticleEffectAttachPoint2(),
          &profile.GetParticleEffectName3(), &profile.GetParticleEffectAttachPoint3(),
          &profile.GetWarmUpEffectName(), &profile.GetWarmUpEffectAttachPoint(), &profile.GetPropName1(),
          &profile.GetPropName2(), &profile.GetPuppetName(), &profile.GetBonusEffectName(),
          &profile.GetLightningName(), &profile.GetRagDollEffect(), &profile.GetRagDollDirection(),
          &profile.GetRagDollPush(), &profile.GetRagDollElevation()})
        answers.names.push_back(*name);
    for (const std::vector<std::string>* list :
         {&profile.GetConnectorsOn(), &profile.GetConnectorsOff(), &profile.GetSkillDependancy(),
          &profile.GetQualifyingDamageTags(), &profile.GetRacialProfile()})
        answers.names.insert(answers.names.end(), list->begin(), list->end());
    answers.names.push_back(profile.GetSpecialAnimationName().c_str());
    for (float value : {profile.GetActorScale(), profile.GetSpawnObjectsSpacingAngle(),
                        profile.GetSpawnObjectsDistanceInnerCircle(), profile.GetSpawnObjectsDistanceIncrement()})
        AddNumber(answers, value);
    Require(profile.GetNumberOfProjectiles() >= 1 && profile.GetNumberOfProjectiles() <= SkillProfile::kMaxProjectiles);
    Require(profile.GetUltimateLevel() >= profile.GetMaxLevel());
    for (double value :
         {double(profile.GetMaxLevel()), double(profile.GetUltimateLevel()), double(profile.GetMasteryLevelRequirement()),
          double(profile.GetActorScaleTime()), double(profile.GetNumberOfSpawnObjects()),
          double(profile.GetCharBuffFxType()), double(profile.GetQualifyingWeapons().size()),
          double(profile.GetQualifyingDualWeapons()), double(profile.AllowsWarmUp()),
          double(profile.GetNotDispelSetting()), double(profile.IncludeRacialDamage()),
          double(profile.GetPetDisplayable()), double(profile.GetProjectileTargetGroundOnly()),
          double(profile.ProjectileUsesAllDamages())})
        answers.numbers.push_back(static_cast<float>(value));
    for (uint32_t type = 0; type < kCombatAttributeTypeCount; ++type)
        answers.numbers.push_back(profile.IsQualifyingDamage(CombatAttributeType(type)) ? 1.0f : 0.0f);
    return answers;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    LoadGameTexts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    LoadTable record("Records/Fuzz/Skill.dbr");
    record.Parse(reinterpret_cast<const char*>(data), size, record.GetName());
    SkillProfile profile;
    profile.LoadProfile(record);

    const unsigned ultimate = profile.GetUltimateLevel();
    const unsigned levels[] = {0u, 1u, ultimate, ultimate + 1u, 4294967295u};
    std::vector<Answers> answers;
    for (unsigned level : levels)
        answers.push_back(Ask(profile, level));
    const Answers once = AskOnce(profile);

    // A copy answers alike, and goes on answering after its source is gone.
    auto source = std::make_unique<SkillProfile>(profile);
    const SkillProfile copy(*source);
    source.reset();
    for (size_t i = 0; i < std::size(levels); ++i)
        Require(Ask(copy, levels[i]) == answers[i]);
    Require(AskOnce(copy) == once);
    return 0;
}
