#include "Game/skills/SkillProfile.h"

namespace GAME {

SkillProfile::~SkillProfile() = default;

void SkillProfile::LoadProfile(const LoadTable& record)
{
    m_defenseAttributes.Load(record);
}

void SkillProfile::GetDefenseAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const
{
    m_defenseAttributes.AddToAccumulator(accumulator, level);
}

}  // namespace GAME
