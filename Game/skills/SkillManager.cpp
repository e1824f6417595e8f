#include "Game/skills/SkillManager.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Game/skills/Skill.h"

namespace GAME {

void SkillManager::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    for (uint32_t id : m_activeList) {
        const Skill* skill = ObjectManager::Get().GetObject<Skill>(id);
        if (skill && skill->GetCurrentLevel() != 0)
            skill->CollectPassiveDefenseAttributes(accumulator);
    }
}

void SkillManager::AddToActiveList(Skill* skill)
{
    if (skill && std::find(m_activeList.begin(), m_activeList.end(), skill->GetObjectId()) == m_activeList.end())
        m_activeList.push_back(skill->GetObjectId());
}

void SkillManager::RemoveFromActiveList(Skill* skill)
{
    if (skill)
        std::erase(m_activeList, skill->GetObjectId());
}

}  // namespace GAME
