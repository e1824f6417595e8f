// A skill's texts for the user interface: its name and heading, the values of its current
// level and what changes at the next, its kind's own values, its modifiers and its pets.
// Every builder appends styled lines to the caller's list; the wording comes from the
// localization data by tag.
#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillProfile.h"
#include "Game/skills/SkillWeaponPool.h"
#include "Game/skills/Skill_Teleport.h"
namespace GAME {

namespace {

using Lines = std::vector<GameTextLine>;
using Strings = std::vector<std::u16string>;

template <class... Args>
std::u16string Text(const char* tag, const Args&... args)
{
    return LocalizationManager::Instance().Format(tag, args...);
}

template <class... Args>
void Line(Lines& lines, GameTextClass textClass, const char* tag, const Args&... args)
{
    lines.emplace_back(textClass, Text(tag, args...), false);
}

// The text of a tag a record names (a name, a description, a damage kind); empty for none.
std::u16string Tagged(const std::string& tag)
{
    return tag.empty() ? std::u16string() : Text(tag.c_str());
}

// A float reaches the formatter as a double.
double Real(float value) { return static_cast<double>(value); }

// The shown enhancement: a whole number, and 0 for a value that is not a number (a careless
// record must not make the conversion undefined).
int Enhancement(float value) { return TruncateToInt(value); }

// The attribute stores of a profile at one level (or the change from one level to the
// next), in the order the texts show them; the skill attribute store is left out of the
// short summary.
void AppendStoreLines(const SkillProfile& profile, unsigned level, GameTextClass textClass, bool withSkillStore,
                      Lines& lines)
{
    Strings a, b, c;
    const auto flush = [&](Strings& strings) {
        AppendGameTextLines(strings, textClass, lines);
        strings.clear();
    };
    profile.GetDamageAttrStore().CreateText(a, b, c, level);
    flush(a), flush(b), flush(c);
    profile.GetCharAttrStore().CreateText(a, b, level);
    flush(a), flush(b);
    profile.GetCharAttrStorePenalty().CreateText(a, b, level);
    flush(a), flush(b);
    if (withSkillStore) {
        profile.GetSkillAttrStore().CreateText(a, level);
        flush(a);
    }
    profile.GetRetaliationAttrStore().CreateText(a, b, c, level);
    flush(a), flush(b), flush(c);
    profile.GetDefenseAttrStore().CreateText(a, b, level);
    flush(a), flush(b);
    profile.GetRacialBonus().CreateText(level, textClass, lines);
}

void AppendNextStoreLines(const SkillProfile& profile, unsigned level, unsigned next, Lines& lines)
{
    constexpr GameTextClass kNext = GameTextClass::SkillStatsNext;
    Strings a, b, c;
    const auto flush = [&](Strings& strings) {
        AppendGameTextLines(strings, kNext, lines);
        strings.clear();
    };
    profile.GetDamageAttrStore().CreateNextText(a, b, c, level, next);
    flush(a), flush(b), flush(c);
    profile.GetCharAttrStore().CreateNextText(a, b, level, next);
    flush(a), flush(b);
    profile.GetCharAttrStorePenalty().CreateNextText(a, b, level, next);
    flush(a), flush(b);
    profile.GetSkillAttrStore().CreateNextText(a, level, next);
    flush(a);
    profile.GetRetaliationAttrStore().CreateNextText(a, b, c, level, next);
    flush(a), flush(b), flush(c);
    profile.GetDefenseAttrStore().CreateNextText(a, b, level, next);
    flush(a), flush(b);
    profile.GetRacialBonus().CreateNextText(level, next, kNext, lines);
}

// A per-level count: truncated, 0 for a negative entry or one that is not a number.
unsigned LevelWhole(const std::vector<float>& values, unsigned level)
{
    return TruncateToUnsigned(PerLevelValue(values, level));
}

// The modifier numbers and their lines, in the order they are shown: a format tag, the
// tag of the words passed after the value (null for none), and when the line shows at a
// level (a value not 0, or above 0) and at the next level (a value that differs from the
// current level's, or grows). Cooldown time and launch rotation show no line.
enum class ShowWhen { NotZero, AboveZero, Differs, Grows };
struct ModifierText {
    const char* tag;
    const char* valueTag;
    float SkillProfile_Modifiers::*real;
    uint32_t SkillProfile_Modifiers::*whole;
    ShowWhen current;
    ShowWhen next;
};
using M = SkillProfile_Modifiers;
constexpr ModifierText kModifierTexts[] = {
    {"SkillCostFormat", "ManaCost", &M::manaCost, nullptr, ShowWhen::NotZero, ShowWhen::Differs},
    {"SkillCostFormat", "ActiveLifeCost", &M::activeLifeCost, nullptr, ShowWhen::AboveZero, ShowWhen::Grows},
    {"SkillCostFormat", "ActiveManaCost", &M::activeManaCost, nullptr, ShowWhen::AboveZero, ShowWhen::Grows},
    {"SkillSecondFormat", "ActiveDuration", &M::activeDuration, nullptr, ShowWhen::AboveZero, ShowWhen::Grows},
    {"SkillDistanceFormat", "TargetRadius", &M::targetRadius, nullptr, ShowWhen::AboveZero, ShowWhen::Grows},
    {"TargetAngle", nullptr, &M::targetAngle, nullptr, ShowWhen::AboveZero, ShowWhen::Grows},
    {"TargetNumber", nullptr, nullptr, &M::targetNumber, ShowWhen::NotZero, ShowWhen::Differs},
    {"SkillSecondFormat", "RunSpeedAcceleration", &M::speedAcceleration, nullptr, ShowWhen::AboveZero,
     ShowWhen::Grows},
    {"ProjectileLaunchNumber", nullptr, nullptr, &M::projectileLaunchNumber, ShowWhen::NotZero, ShowWhen::Differs},
    {"ProjectilePiercingChance", nullptr, &M::projectilePiercing, nullptr, ShowWhen::AboveZero, ShowWhen::Grows},
    {"SkillDistanceFormat", "ExplosionRadius", &M::explosionRadius, nullptr, ShowWhen::AboveZero, ShowWhen::Differs},
};

// Whether a line shows: `value` against 0, or against the current level's `base`.
bool Shows(ShowWhen when, double value, double base)
{
    switch (when) {
    case ShowWhen::NotZero:
        return value != 0.0;
    case ShowWhen::AboveZero:
        return value > 0.0;
    case ShowWhen::Differs:
        return value != base;
    case ShowWhen::Grows:
        return value - base > 0.0;
    }
    return false;
}

double FieldValue(const ModifierText& text, const SkillProfile_Modifiers& data)
{
    return text.real ? static_cast<double>(data.*text.real) : static_cast<double>(data.*text.whole);
}

void ModifierLine(const ModifierText& text, const SkillProfile_Modifiers& data, GameTextClass textClass, Lines& lines)
{
    if (text.whole)
        Line(lines, textClass, text.tag, data.*text.whole);
    else if (text.valueTag)
        Line(lines, textClass, text.tag, Real(data.*text.real), Text(text.valueTag));
    else
        Line(lines, textClass, text.tag, Real(data.*text.real));
}

// The fragment line: one count when the fewest and the most agree, else both.
void FragmentsLine(const SkillProfile_ProjectileModifiers& data, GameTextClass textClass, Lines& lines)
{
    if (data.fragmentsMin == data.fragmentsMax)
        Line(lines, textClass, "ProjectileFragmentsLaunchNumber", data.fragmentsMin);
    else
        Line(lines, textClass, "ProjectileFragmentsLaunchNumberMinMax", data.fragmentsMin, data.fragmentsMax);
}

}  // namespace

// ---- Profile values ----------------------------------------------------------------------

void SkillProfile::LoadTextValues(const LoadTable& record)
{
    record.GetFloatArray("skillChargeLevel", m_textValues.maxChargeLevel);
    record.GetFloatArray("skillChanceWeight", m_textValues.chanceWeight);
    record.GetFloatArray("lifeMonitorPercent", m_textValues.lifeMonitorPercent);
    record.GetFloatArray("onHitActivationChance", m_textValues.activationChance);
    record.GetFloatArray("skillLifeBonus", m_textValues.lifeBonus);
    record.GetFloatArray("skillManaBonus", m_textValues.manaBonus);
    record.GetFloatArray("damageAbsorption", m_textValues.damageAbsorption);
    record.GetFloatArray("damageAbsorptionPercent", m_textValues.damageAbsorptionPercent);
    record.GetFloatArray("allSkillEnhancement", m_textValues.skillEnhancement);
}

unsigned SkillProfile::GetMaxChargeLevel(unsigned level) const { return LevelWhole(m_textValues.maxChargeLevel, level); }
unsigned SkillProfile::GetChanceWeight(unsigned level) const { return LevelWhole(m_textValues.chanceWeight, level); }
float SkillProfile::GetLifeMonitorPercent(unsigned level) const
{
    return PerLevelValue(m_textValues.lifeMonitorPercent, level);
}
float SkillProfile::GetActivationChance(unsigned level) const
{
    return PerLevelValue(m_textValues.activationChance, level);
}
float SkillProfile::GetLifeBonus(unsigned level) const { return PerLevelValue(m_textValues.lifeBonus, level); }
float SkillProfile::GetManaBonus(unsigned level) const { return PerLevelValue(m_textValues.manaBonus, level); }
float SkillProfile::GetDamageAbsorption(unsigned level) const
{
    return PerLevelValue(m_textValues.damageAbsorption, level);
}
float SkillProfile::GetDamageAbsorptionPercent(unsigned level) const
{
    return PerLevelValue(m_textValues.damageAbsorptionPercent, level);
}
float SkillProfile::GetSkillEnhancement(unsigned level) const
{
    return PerLevelValue(m_textValues.skillEnhancement, level);
}

// ---- Modifier lines ----------------------------------------------------------------------

void SkillProfile_Modifiers::CreateUIText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    for (const ModifierText& text : kModifierTexts)
        if (Shows(text.current, FieldValue(text, *this), 0.0))
            ModifierLine(text, *this, textClass, lines);
}

void SkillProfile_Modifiers::CreateUINextText(const SkillProfile_Modifiers& current,
                                              std::vector<GameTextLine>& lines) const
{
    for (const ModifierText& text : kModifierTexts)
        if (Shows(text.next, FieldValue(text, *this), FieldValue(text, current)))
            ModifierLine(text, *this, GameTextClass::SkillStatsNext, lines);
}

void SkillProfile_ProjectileModifiers::CreateUIText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    if (explosionRadius > 0.0f)
        Line(lines, textClass, "SkillDistanceFormat", Real(explosionRadius), Text("ExplosionRadius"));
    if (fragmentsMin != 0)
        FragmentsLine(*this, textClass, lines);
    if (piercingChance > 0.0f)
        Line(lines, textClass, "ProjectilePiercingChance", Real(piercingChance));
}

void SkillProfile_ProjectileModifiers::CreateUINextText(const SkillProfile_ProjectileModifiers& current,
                                                        std::vector<GameTextLine>& lines) const
{
    constexpr GameTextClass kNext = GameTextClass::SkillStatsNext;
    if (explosionRadius != current.explosionRadius)
        Line(lines, kNext, "SkillDistanceFormat", Real(explosionRadius), Text("ExplosionRadius"));
    if (fragmentsMin != current.fragmentsMin || fragmentsMax != current.fragmentsMax)
        FragmentsLine(*this, kNext, lines);
    if (piercingChance != current.piercingChance)
        Line(lines, kNext, "ProjectilePiercingChance", Real(piercingChance));
}

// ---- Name and heading --------------------------------------------------------------------

std::u16string Skill::CreateUISkillName() const
{
    std::u16string name = Text("SimpleStringFormat", Tagged(GetDisplayNameTag()));
    if (IsItemSkill())
        name += Text("tagItemSkillShort");
    return name;
}

void Skill::CreateUISkillName(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    Line(lines, textClass, "SimpleStringFormat", Tagged(GetDisplayNameTag()));
}

void Skill::CreateUINameText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    Line(lines, textClass, "SimpleStringFormat", Tagged(GetDisplayNameTag()));
}

void Skill::CreateUISkillHeading(std::vector<GameTextLine>& lines) const
{
    std::u16string name = Text("SimpleStringFormat", Tagged(GetDisplayNameTag()));
    if (IsItemSkill())
        name += Text("tagItemSkill");
    lines.emplace_back(GameTextClass::SkillName, name, false);
    lines.emplace_back(GameTextClass::SkillDescription, Text("SimpleStringFormat", Tagged(GetBaseDescriptionTag())),
                       true);
}

std::u16string Skill::GetBaseNamesText() const
{
    std::u16string names;
    for (uint32_t id : m_baseSkills)
        if (const Skill* base = ObjectManager::Get().GetObject<Skill>(id))
            names += Text("SkillBaseNamesFormat", Tagged(base->GetDisplayNameTag()));
    return names;
}

// ---- Current and next level --------------------------------------------------------------

void Skill::CreateUIParameterText(std::vector<GameTextLine>& lines) const
{
    const unsigned level = GetCurrentLevel();
    const SkillProfile* profile = GetSkillProfile();
    if (level == 0 || !profile)
        return;
    constexpr GameTextClass kCurrent = GameTextClass::SkillStatsCurrent;
    Line(lines, GameTextClass::SkillLevelTitles, "tagCurrentLevel", level);
    CreateUISpecializedText(kCurrent, lines);
    CreateUIModifierText(kCurrent, lines);
    AppendStoreLines(*profile, level, kCurrent, true, lines);
}

void Skill::CreateUINextParameterText(std::vector<GameTextLine>& lines) const
{
    const unsigned level = GetCurrentLevel();
    const unsigned next = level + 1;
    Line(lines, GameTextClass::SkillLevelTitles, "tagNextLevel", next);
    CreateUINextSpecializedText(lines);
    CreateUINextModifierText(lines);
    if (const SkillProfile* profile = GetSkillProfile())
        AppendNextStoreLines(*profile, level, next, lines);
}

void Skill::CreateUIShortSummaryText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    const bool next = textClass == GameTextClass::SkillStatsNext;
    const GameTextClass nameClass = next ? GameTextClass::PetSkillNameNext : GameTextClass::PetSkillNameCurrent;
    const GameTextClass bodyClass = next ? GameTextClass::PetSkillStatsNext : GameTextClass::PetSkillStatsCurrent;
    CreateUINameText(nameClass, lines);
    CreateUISpecializedText(bodyClass, lines);
    CreateUIModifierText(bodyClass, lines);
    const unsigned level = GetCurrentLevel();
    if (const SkillProfile* profile = GetSkillProfile(); profile && level != 0)
        AppendStoreLines(*profile, level, bodyClass, false, lines);
}

// ---- The kind's own values ---------------------------------------------------------------

void Skill::CreateUISpecializedText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    const unsigned level = GetCurrentLevel();
    const SkillProfile* profile = GetSkillProfile();
    if (level == 0 || !profile)
        return;
    if (const unsigned charge = profile->GetMaxChargeLevel(level); charge != 0)
        Line(lines, textClass, "SkillIntFormat", charge, Text("SkillChargeMax"));
    if (const unsigned projectiles = profile->GetNumberOfProjectiles(); projectiles > 1)
        Line(lines, textClass, "SkillNumProjectilesFormat", projectiles);
    if (const unsigned weight = profile->GetChanceWeight(level); weight != 0)
        Line(lines, textClass, "SkillChanceWeight", weight);
    if (const float monitor = profile->GetLifeMonitorPercent(level); monitor > 0.0f)
        Line(lines, textClass, "LifeMonitorPercent", Real(monitor));
    if (const float chance = profile->GetActivationChance(level); chance > 0.0f)
        Line(lines, textClass, "SkillPercentFormat", Real(chance), Text("SkillActivationChance"));
    if (const float life = profile->GetLifeBonus(level); life > 0.0f)
        Line(lines, textClass, "SkillLifeBonus", Real(life));
    if (const float mana = profile->GetManaBonus(level); mana > 0.0f)
        Line(lines, textClass, "SkillManaBonus", Real(mana));
    if (const float absorption = profile->GetDamageAbsorption(level); absorption > 0.0f)
        Line(lines, textClass, "SkillDamageAbsorption", Real(absorption));
    if (const float percent = profile->GetDamageAbsorptionPercent(level); percent > 0.0f)
        Line(lines, textClass, "SkillDamageAbsorptionPercent", Real(percent));
    if (const std::vector<std::string>& tags = profile->GetQualifyingDamageTags(); !tags.empty()) {
        Line(lines, textClass, "tagDamageAbsorptionTitle");
        for (const std::string& tag : tags)
            Line(lines, textClass, "formatQualifyingDamage", Tagged(tag));
    }
    if (const unsigned limit = profile->GetPetLimit(level); limit > 1)
        Line(lines, textClass, "SkillPetLimit", limit);
    if (m_pet) {
        Line(lines, textClass, "SkillPetDescriptionHeading", m_pet->GetGameDescription(false));
        CreateUIPetText(m_pet, level, textClass, lines);
    }
    if (const int enhancement = Enhancement(profile->GetSkillEnhancement(level)); enhancement != 0)
        Line(lines, textClass, "SkillEnhancement", enhancement);
}

void Skill::CreateUINextSpecializedText(std::vector<GameTextLine>& lines) const
{
    const unsigned level = GetCurrentLevel();
    const unsigned next = level + 1;
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || next > GetUltimateLevel())
        return;
    constexpr GameTextClass kNext = GameTextClass::SkillStatsNext;
    // A float value shows its next level only when it rises.
    const auto rises = [&](float (SkillProfile::*value)(unsigned) const) {
        return (profile->*value)(next) - (profile->*value)(level) > 0.0f;
    };
    if (const unsigned charge = profile->GetMaxChargeLevel(next); charge != profile->GetMaxChargeLevel(level))
        Line(lines, kNext, "SkillIntFormat", charge, Text("SkillChargeMaxMod"));
    if (const unsigned weight = profile->GetChanceWeight(next); weight != profile->GetChanceWeight(level))
        Line(lines, kNext, "SkillChanceWeight", weight);
    if (rises(&SkillProfile::GetLifeMonitorPercent))
        Line(lines, kNext, "LifeMonitorPercent", Real(profile->GetLifeMonitorPercent(next)));
    if (rises(&SkillProfile::GetActivationChance))
        Line(lines, kNext, "SkillPercentFormat", Real(profile->GetActivationChance(next)),
             Text("SkillActivationChance"));
    if (rises(&SkillProfile::GetLifeBonus))
        Line(lines, kNext, "SkillLifeBonus", Real(profile->GetLifeBonus(next)));
    if (rises(&SkillProfile::GetManaBonus))
        Line(lines, kNext, "SkillManaBonus", Real(profile->GetManaBonus(next)));
    if (rises(&SkillProfile::GetDamageAbsorption))
        Line(lines, kNext, "SkillDamageAbsorption", Real(profile->GetDamageAbsorption(next)));
    if (rises(&SkillProfile::GetDamageAbsorptionPercent))
        Line(lines, kNext, "SkillDamageAbsorptionPercent", Real(profile->GetDamageAbsorptionPercent(next)));
    const unsigned limit = profile->GetPetLimit(level);
    const unsigned nextLimit = profile->GetPetLimit(next);
    if ((limit > 1 || nextLimit > 1) && limit != nextLimit)
        Line(lines, kNext, "SkillPetLimit", nextLimit);
    if (m_nextPet) {
        Line(lines, kNext, "SkillPetDescriptionHeading", m_nextPet->GetGameDescription(false));
        CreateUIPetText(m_nextPet, next, kNext, lines);
    }
    const int enhancement = Enhancement(profile->GetSkillEnhancement(level));
    if (const int nextEnhancement = Enhancement(profile->GetSkillEnhancement(next)); nextEnhancement != enhancement)
        Line(lines, kNext, "SkillEnhancement", nextEnhancement);
}

// ---- Modifiers and pets ------------------------------------------------------------------

void Skill::CreateUIModifierText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    const unsigned level = GetCurrentLevel();
    const SkillProfile* profile = GetSkillProfile();
    if (level == 0 || !profile)
        return;
    SkillProfile_Modifiers modifiers;
    GetSkillModifierData(modifiers);
    modifiers.CreateUIText(textClass, lines);
    profile->GetSkillProjectileModifierData(level).CreateUIText(textClass, lines);
}

void Skill::CreateUINextModifierText(std::vector<GameTextLine>& lines) const
{
    const unsigned level = GetCurrentLevel();
    const unsigned next = level + 1;
    const SkillProfile* profile = GetSkillProfile();
    if (!profile || next > GetUltimateLevel())
        return;
    profile->GetSkillModifierData(next).CreateUINextText(profile->GetSkillModifierData(level), lines);
    profile->GetSkillProjectileModifierData(next).CreateUINextText(profile->GetSkillProjectileModifierData(level),
                                                                   lines);
}

void Skill::CreateUIPetText(Character* pet, unsigned level, GameTextClass textClass,
                            std::vector<GameTextLine>& lines) const
{
    if (const SkillProfile* profile = GetSkillProfile()) {
        if (const int ms = profile->GetSpawnObjectTimeToLive(level); ms > 0)
            Line(lines, textClass, "tagSkillPetTimeToLive", static_cast<double>(ms) * 0.001);
    }
    Strings summary;
    pet->CreateUISummaryText(summary);
    AppendGameTextLines(summary, textClass, lines);
}

// A linear charge shows what its full charge grants: the charge level stands in for the
// skill level in the heading and the stores.
void Skill_WeaponPool_ChargedLinear::CreateUIParameterText(std::vector<GameTextLine>& lines) const
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile)
        return;
    constexpr GameTextClass kCurrent = GameTextClass::SkillStatsCurrent;
    const unsigned full = profile->GetMaxChargeLevel(GetCurrentLevel());
    if (full > 0)
        Line(lines, GameTextClass::SkillLevelTitles, "tagCurrentLevel", full);
    CreateUISpecializedText(kCurrent, lines);
    CreateUIModifierText(kCurrent, lines);
    AppendStoreLines(*profile, full, kCurrent, true, lines);
}

void Skill_WeaponPool_ChargedLinear::CreateUINextParameterText(std::vector<GameTextLine>& lines) const
{
    const SkillProfile* profile = GetSkillProfile();
    if (!profile)
        return;
    const unsigned full = profile->GetMaxChargeLevel(GetCurrentLevel() + 1);
    Line(lines, GameTextClass::SkillLevelTitles, "tagNextLevel", full);
    CreateUINextModifierText(lines);
    CreateUINextSpecializedText(lines);
    AppendStoreLines(*profile, full, GameTextClass::SkillStatsNext, true, lines);
}

// ---- Cooldown refresh ----------------------------------------------------------------------

namespace {

// The refresh line: the time taken off each cooldown in seconds, or that every cooldown ends.
void RefreshLine(int refreshMs, GameTextClass textClass, Lines& lines)
{
    if (refreshMs > 0)
        Line(lines, textClass, "tagSkillRefreshTime", static_cast<double>(refreshMs) * 0.001);
    else
        Line(lines, textClass, "SimpleStringFormat", Text("tagSkillRefreshTimeInfinate"));
}

}  // namespace

void Skill_RefreshCooldown::CreateUISpecializedText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    if (const unsigned level = GetCurrentLevel(); level > 0)
        RefreshLine(GetRefreshTime(level), textClass, lines);
    SkillActivatedBuffSelf::CreateUISpecializedText(textClass, lines);
}

void Skill_RefreshCooldown::CreateUINextSpecializedText(std::vector<GameTextLine>& lines) const
{
    const unsigned level = GetCurrentLevel();
    const unsigned next = level + 1;
    if (next <= GetUltimateLevel() && GetRefreshTime(next) != GetRefreshTime(level))
        RefreshLine(GetRefreshTime(next), GameTextClass::SkillStatsNext, lines);
    SkillActivatedBuffSelf::CreateUINextSpecializedText(lines);
}

}  // namespace GAME
