#include "Game/skills/SkillManager.h"

#include <algorithm>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/skills/Skill.h"

namespace GAME {

namespace {

// A whole-number array of the record, taken as unsigned numbers.
void ReadUnsignedArray(const LoadTable& table, const char* key, std::vector<uint32_t>& out)
{
    std::vector<int> values;
    table.GetIntArray(key, values);
    out.clear();
    for (int value : values)
        out.push_back(static_cast<uint32_t>(value));
}

}  // namespace

void SkillManager::Initialize(CombatManager& combatManager, Character& parent)
{
    m_combatManager = &combatManager;
    m_parent = &parent;
}

void SkillManager::Load(const LoadTable& table)
{
    ReadUnsignedArray(table, "masteryIncrementLevel", m_masteryIncrementLevels);
    ReadUnsignedArray(table, "reclamationPointTiers", m_reclamationPointTiers);
    ReadUnsignedArray(table, "reclamationPointCosts", m_reclamationPointCosts);
}

// The manager creates no skills of its own yet, so its frame, preload, death and
// destruction have none to pass on to.
void SkillManager::PreLoad(bool /*preloadNow*/) {}

void SkillManager::Update(int /*elapsedMs*/) {}

void SkillManager::ImDead() {}

void SkillManager::OnDestroy() {}

template <class Collect>
void SkillManager::ForEachSkillInForce(Collect collect) const
{
    const ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_activeList) {
        const Skill* skill = objects.GetObject<Skill>(id);
        if (skill && skill->GetCurrentLevel() != 0)
            collect(*skill);
    }
}

void SkillManager::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    ForEachSkillInForce([&](const Skill& skill) { skill.CollectPassiveDefenseAttributes(accumulator); });
}

void SkillManager::GetCharAttributes(CharAttributeAccumulator& accumulator) const
{
    ForEachSkillInForce([&](const Skill& skill) { skill.CollectPassiveCharAttributes(accumulator); });
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
