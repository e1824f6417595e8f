#include "Game/combat/RacialBonus.h"

#include <algorithm>

#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/core/GameEngine.h"

namespace GAME {

namespace {

constexpr const char* kRaceKey = "racialBonusRace";
constexpr const char* kPercentDamageKey = "racialBonusPercentDamage";
constexpr const char* kAbsoluteDamageKey = "racialBonusAbsoluteDamage";
constexpr const char* kPercentDefenseKey = "racialBonusPercentDefense";
constexpr const char* kAbsoluteDefenseKey = "racialBonusAbsoluteDefense";

constexpr const char* kPercentDamageTag = "RacialBonusPercentDamage";
constexpr const char* kAbsoluteDamageTag = "RacialBonusAbsoluteDamage";
constexpr const char* kPercentDefenseTag = "RacialBonusPercentDefense";
constexpr const char* kAbsoluteDefenseTag = "RacialBonusAbsoluteDefense";

// The race's plural display name: the text of its plural tag.
std::u16string RacePlural(const std::string& race)
{
    if (!gGameEngine)
        return LocalizationManager::ToWChar(race);
    return LocalizationManager::Instance().Format(gGameEngine->GetMonsterRaceTagPlural(race).c_str());
}

}  // namespace

RacialBonus::~RacialBonus() = default;

void RacialBonus::LoadFromTable(const LoadTable& table)
{
    table.GetStringArray(kRaceKey, m_races);
    table.GetFloatArray(kPercentDamageKey, m_percentDamage);
    table.GetFloatArray(kAbsoluteDamageKey, m_absoluteDamage);
    table.GetFloatArray(kPercentDefenseKey, m_percentDefense);
    table.GetFloatArray(kAbsoluteDefenseKey, m_absoluteDefense);
}

bool RacialBonus::IsEmpty() const
{
    return m_races.empty() && m_percentDamage.empty() && m_absoluteDamage.empty() && m_percentDefense.empty() &&
           m_absoluteDefense.empty();
}

std::unique_ptr<RacialBonus> RacialBonus::CreateFromTable(const LoadTable& table)
{
    auto bonus = std::make_unique<RacialBonus>();
    bonus->LoadFromTable(table);
    if (bonus->IsEmpty())
        return nullptr;
    return bonus;
}

std::unique_ptr<RacialBonus> RacialBonus::CreateFromFile(const std::string& recordName)
{
    if (recordName.empty())
        return nullptr;
    const LoadTable* table = ObjectManager::Get().LoadTableFile(recordName);
    return table ? CreateFromTable(*table) : nullptr;
}

float RacialBonus::GetPercentDamage(unsigned level) const { return PerLevelValue(m_percentDamage, level); }
float RacialBonus::GetAbsoluteDamage(unsigned level) const { return PerLevelValue(m_absoluteDamage, level); }
float RacialBonus::GetPercentDefense(unsigned level) const { return PerLevelValue(m_percentDefense, level); }
float RacialBonus::GetAbsoluteDefense(unsigned level) const { return PerLevelValue(m_absoluteDefense, level); }

bool RacialBonus::MatchesAny(const std::vector<std::string>& races) const
{
    return std::any_of(races.begin(), races.end(), [this](const std::string& race) {
        return std::find(m_races.begin(), m_races.end(), race) != m_races.end();
    });
}

void RacialBonus::ContributeDamage(const std::vector<std::string>& targetRaces, RacialBonus_Damage& out,
                                   unsigned level) const
{
    if (!MatchesAny(targetRaces))
        return;
    out.percent = AddInRange(out.percent, GetPercentDamage(level));
    out.absolute = AddInRange(out.absolute, GetAbsoluteDamage(level));
}

void RacialBonus::ContributeDefense(const std::vector<std::string>& attackerRaces, RacialBonus_Defense& out,
                                    unsigned level) const
{
    if (!MatchesAny(attackerRaces))
        return;
    out.percent = AddInRange(out.percent, GetPercentDefense(level));
    out.absolute = AddInRange(out.absolute, GetAbsoluteDefense(level));
}

void RacialBonus::AppendLines(const char* tag, float value, GameTextClass textClass,
                              std::vector<GameTextLine>& lines) const
{
    if (value == 0.0f)
        return;
    for (const std::string& race : m_races)
        lines.emplace_back(textClass,
                           LocalizationManager::Instance().Format(tag, static_cast<double>(value), RacePlural(race)),
                           false);
}

namespace {

// The four values in the order of their lines, with the tag of each.
struct RacialBonusLine {
    const char* tag;
    float (RacialBonus::*value)(unsigned) const;
};
constexpr RacialBonusLine kLines[] = {
    {kPercentDamageTag, &RacialBonus::GetPercentDamage},
    {kAbsoluteDamageTag, &RacialBonus::GetAbsoluteDamage},
    {kPercentDefenseTag, &RacialBonus::GetPercentDefense},
    {kAbsoluteDefenseTag, &RacialBonus::GetAbsoluteDefense},
};

}  // namespace

void RacialBonus::CreateText(unsigned level, GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    for (const RacialBonusLine& line : kLines)
        AppendLines(line.tag, (this->*line.value)(level), textClass, lines);
}

void RacialBonus::CreateNextText(unsigned level, unsigned nextLevel, GameTextClass textClass,
                                 std::vector<GameTextLine>& lines) const
{
    for (const RacialBonusLine& line : kLines) {
        const float next = (this->*line.value)(nextLevel);
        if (next != (this->*line.value)(level))
            AppendLines(line.tag, next, textClass, lines);
    }
}

}  // namespace GAME
