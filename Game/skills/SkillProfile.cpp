#include "Game/skills/SkillProfile.h"

namespace GAME {

void SkillProfile::LoadProfile(const LoadTable& record)
{
    m_damageAttributes.Load(record);
    m_defenseAttributes.Load(record);
    m_retaliationAttributes.Load(record);
    m_charAttributes.Load(record);
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

void SkillProfile::GetCharAttributes(CharAttributeAccumulator& accumulator, unsigned level) const
{
    m_charAttributes.AddToAccumulator(accumulator, level);
}

}  // namespace GAME
