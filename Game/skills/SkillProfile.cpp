#include "Game/skills/SkillProfile.h"

#include <algorithm>

namespace GAME {

void SkillProfile::LoadProfile(const LoadTable& record)
{
    m_damageAttributes.Load(record);
    m_defenseAttributes.Load(record);
    m_retaliationAttributes.Load(record);
    m_charAttributes.Load(record);
    // Past its last level an attribute keeps its last value: one contribution per level
    // with values, at least one.
    m_charContributions.assign(std::max<size_t>(m_charAttributes.GetLevelCount(), 1), {});
    for (size_t level = 0; level < m_charContributions.size(); ++level)
        m_charContributions[level].Build(m_charAttributes, static_cast<unsigned>(level + 1));
}

void SkillProfile::GetRetaliationAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const
{
    m_retaliationAttributes.AddDamageToAccumulator(accumulator, level);
    m_retaliationAttributes.AddModifierToAccumulator(accumulator, level);
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
