#include "Game/skills/SkillProfile.h"

namespace GAME {

void SkillProfile::LoadProfile(const LoadTable& record)
{
    m_damageAttributes.Load(record);
    m_retaliationAttributes.Load(record);
}

void SkillProfile::GetRetaliationAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const
{
    m_retaliationAttributes.AddDamageToAccumulator(accumulator, level);
    m_retaliationAttributes.AddModifierToAccumulator(accumulator, level);
}

}  // namespace GAME
