// The skill manager's points, masteries and reclamation.
#include "Game/skills/SkillManager.h"

#include <algorithm>
#include <span>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Weapon.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManagerVisit.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillOnDeath.h"
#include "Game/skills/SkillWeaponPool.h"
#include "Game/world/CharFxPak.h"
#include "Game/world/Prop.h"

namespace GAME {

// ---- Points, masteries and reclamation ----------------------------------------------------

void SkillManager::IncrementSkill(uint32_t skillId, uint32_t amount)
{
    if (Skill* skill = ObjectManager::Get().GetObject<Skill>(skillId))
        skill->IncrementSkillLevel(amount);
}

uint32_t SkillManager::GetNumRegularSkillPoints() const
{
    uint32_t points = 0;
    ForEachSkillOf(m_activeList, [&](const Skill& skill) {
        const uint32_t id = skill.GetObjectId();
        if (id != m_defaultSkillId && id != m_defaultWPSkillId && !skill.IsSkillTheMasterySkill())
            points += static_cast<uint32_t>(std::max(0, skill.GetSkillLevel()));
    });
    return points;
}

uint32_t SkillManager::GetNumMasteryPoints() const
{
    uint32_t points = 0;
    ForEachSkillOf(m_activeList, [&](const Skill& skill) {
        const uint32_t id = skill.GetObjectId();
        if (id != m_defaultSkillId && id != m_defaultWPSkillId && skill.IsSkillTheMasterySkill())
            points += static_cast<uint32_t>(std::max(0, skill.GetSkillLevel()));
    });
    return points;
}

uint32_t SkillManager::GetNumOfNonMasterySkillsWithPoints() const
{
    uint32_t count = 0;
    ForEachSkillInForce(m_activeList, [&](const Skill& skill) {
        const uint32_t id = skill.GetObjectId();
        if (!skill.IsMasteryKind() && id != m_defaultSkillId && id != m_defaultWPSkillId)
            ++count;
    });
    return count;
}

uint32_t SkillManager::GetSkillMasteriesActive() const
{
    uint32_t count = 0;
    ForEachSkillInForce(m_activeList, [&](const Skill& skill) { count += skill.IsMasteryKind() ? 1 : 0; });
    return count;
}

void SkillManager::GetSkillMasteries(std::vector<uint32_t>& out) const
{
    ForEachSkillInForce(m_activeList, [&](const Skill& skill) {
        if (skill.IsMasteryKind())
            out.push_back(skill.GetEnumeration());
    });
}

void SkillManager::UpdateMasteriesAllowed(uint32_t level)
{
    if (m_masteriesAllowed >= m_masteryIncrementLevels.size())
        return;
    const uint32_t next = m_masteryIncrementLevels[m_masteriesAllowed];
    if (next != 0 && level >= next) {
        ++m_masteriesAllowed;
        if (gGameEngine)
            gGameEngine->AutoSave();
    }
}

void SkillManager::AddMasteryAllowedIncrementLevel(uint32_t level)
{
    if (level != 0)
        m_masteryIncrementLevels.push_back(level);
}

// The record need not give as many costs as tiers: a tier past the costs takes the last
// cost, and no costs cost nothing.
uint32_t SkillManager::GetCurrentSkillReclamationCost() const
{
    const std::vector<uint32_t>& costs = m_reclamationPointCosts;
    const std::vector<uint32_t>& tiers = m_reclamationPointTiers;
    if (costs.empty())
        return 0;
    const auto costAt = [&](size_t index) { return costs[std::min(index, costs.size() - 1)]; };
    if (tiers.size() < 2)
        return costs[0];
    const uint32_t used = m_reclamationPointsUsed;
    for (size_t i = 1; i < tiers.size(); ++i)
        if (tiers[i - 1] <= used && used < tiers[i])
            return costAt(i - 1);
    return costAt(tiers.size() - 1);
}

bool SkillManager::UseReclamationPoints(int32_t n)
{
    if (n > 0) {
        const uint32_t before = m_reclamationPointsUsed;
        uint64_t total = 0;
        for (int32_t step = 0; step < n; ++step) {
            total += GetCurrentSkillReclamationCost();
            ++m_reclamationPointsUsed;
        }
        const int64_t money = m_parent ? static_cast<int32_t>(m_parent->GetCurrentMoney()) : 0;
        if (money < static_cast<int64_t>(total)) {
            m_reclamationPointsUsed = before;
            return false;
        }
        m_parent->SubtractMoney(static_cast<uint32_t>(total));
        return true;
    }
    // Never more given back than was bought: the counter would wrap and refund money
    // never paid.
    const uint32_t steps = std::min(static_cast<uint32_t>(-static_cast<int64_t>(n)), m_reclamationPointsUsed);
    uint64_t total = 0;
    for (uint32_t step = 0; step < steps; ++step) {
        --m_reclamationPointsUsed;
        total += GetCurrentSkillReclamationCost();
    }
    if (m_parent && total != 0)
        m_parent->AddMoney(static_cast<uint32_t>(std::min<uint64_t>(total, 0xFFFFFFFFu)));
    return true;
}

}  // namespace GAME
