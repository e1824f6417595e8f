// The skill manager's command side: what the skill commands apply on every peer, by the
// skill's reference number, and the buffs put on the character by command.
#include <algorithm>
#include <memory>

#include "Engine/GameClock.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillServices_Character.h"

namespace GAME {

namespace {

Skill* SkillByReference(const SkillManager& manager, uint32_t skillNumber)
{
    return ObjectManager::Get().GetObject<Skill>(manager.GetSkillIdFromReference(skillNumber));
}

// The first hit of a use pays for it.
void ChargeUse(Skill& skill)
{
    skill.SubtractManaCost();
    skill.StartCooldown();
}

}  // namespace

void SkillManager::SetAsControllingManager()
{
    if (m_ownedSkillServices)
        return;
    m_ownedSkillServices = std::make_unique<SkillServices_Character>();
    m_ownedSkillServices->SetParent(m_parent);
    SetSkillServices(m_ownedSkillServices.get());
}

void SkillManager::SkillTargetResult(uint32_t skillNumber, const std::vector<uint32_t>& targets,
                                     const WorldCoords& origin, uint32_t seed, uint32_t weaponId, bool useWeapon,
                                     int32_t hitIteration)
{
    Skill* skill = SkillByReference(*this, skillNumber);
    if (!skill || !m_parent)
        return;
    skill->TargetResult(*m_parent, targets, origin, seed, weaponId, useWeapon);
    if (hitIteration == 1 && !targets.empty())
        ChargeUse(*skill);
}

void SkillManager::CreateProjectile(uint32_t skillNumber, uint32_t weaponId, const WorldCoords& origin,
                                    uint32_t targetId, const WorldVec3& point, uint32_t projectileId, uint32_t seed,
                                    int32_t hitIteration)
{
    Skill* skill = SkillByReference(*this, skillNumber);
    if (!skill || !m_parent)
        return;
    if (hitIteration == 1)
        ChargeUse(*skill);
    skill->CreateProjectile(*m_parent, origin, targetId, point, weaponId, projectileId, seed);
}

void SkillManager::SkillSpawnObject(uint32_t skillNumber, const WorldCoords& origin, uint32_t targetId,
                                    const std::vector<WorldCoords>& spawnCoords, const std::vector<uint32_t>& spawnIds,
                                    uint32_t value)
{
    Skill* skill = SkillByReference(*this, skillNumber);
    if (skill && m_parent)
        skill->SkillSpawnObject(*m_parent, origin, targetId, spawnCoords, spawnIds, value);
}

void SkillManager::SkillStateUpdateCommand(uint32_t skillNumber, const SkillState& state)
{
    if (Skill* skill = SkillByReference(*this, skillNumber))
        skill->ReceiveStateUpdate(state, false);
}

void SkillManager::SkillActiveStateUpdateCommand(uint32_t skillNumber, const SkillActiveState& state)
{
    Skill* skill = SkillByReference(*this, skillNumber);
    if (skill && m_parent)
        skill->ReceiveActiveUpdate(*m_parent, state, false);
}

// ---- Buffs ------------------------------------------------------------------------------

namespace {

void DestroySkill(uint32_t id)
{
    if (Object* object = ObjectManager::Get().GetObject(id))
        ObjectManager::Get().DestroyObjectEx(object, "SkillManager", __LINE__);
}

}  // namespace

SkillManager::BuffList::~BuffList()
{
    for (const BuffEntry& entry : *this)
        for (uint32_t id : {entry.buffId, entry.modifierId1, entry.modifierId2})
            DestroySkill(id);
}

bool SkillManager::IsSkillBuffActive(const std::string& buffName) const
{
    return std::any_of(m_buffs.begin(), m_buffs.end(),
                       [&](const BuffEntry& entry) { return NormalizedPathEquals(entry.name, buffName); });
}

void SkillManager::RemoveSkillBuffEntry(const std::string& normalisedName, bool restoring)
{
    auto found = std::find_if(m_buffs.begin(), m_buffs.end(),
                              [&](const BuffEntry& entry) { return entry.name == normalisedName; });
    if (found == m_buffs.end())
        return;
    const BuffEntry entry = *found;
    m_buffs.erase(found);
    if (m_endedBuffs.size() == kEndedBuffsKept)
        m_endedBuffs.erase(m_endedBuffs.begin());
    m_endedBuffs.emplace_back(entry.name, GameClock::Get().GetGameTime());
    ListsChanged();
    DestroyBuffEntry(entry, restoring);
}

std::vector<std::string> SkillManager::GetBuffsEndedSince(uint32_t gameTimeMs) const
{
    std::vector<std::string> names;
    for (const auto& [name, endedAt] : m_endedBuffs)
        if (endedAt >= gameTimeMs)
            names.push_back(name);
    return names;
}

void SkillManager::DestroyBuffEntry(const BuffEntry& entry, bool restoring)
{
    ObjectManager& objects = ObjectManager::Get();
    const SkillState off{0, false};
    const SkillActiveState inactive{0, false, false};
    for (uint32_t id : {entry.buffId, entry.modifierId1, entry.modifierId2}) {
        Skill* skill = objects.GetObject<Skill>(id);
        if (!skill)
            continue;
        skill->ReceiveStateUpdate(off, true);
        if (m_parent)
            skill->ReceiveActiveUpdate(*m_parent, inactive, restoring);
    }
    if (Skill* buff = objects.GetObject<Skill>(entry.buffId))
        buff->UnInstall(m_parent);
    for (uint32_t id : {entry.buffId, entry.modifierId1, entry.modifierId2})
        DestroySkill(id);
}

// A buff or one of its modifiers, made from a record a peer named: the record's class is
// tested before anything is created, so no other kind of object comes of it. Kept out of
// the active list; takes the replica's states. 0 when the record makes no such skill.
uint32_t SkillManager::CreateBuffSkill(const _SkillReplica& replica, bool modifier, bool restoring)
{
    ObjectManager& objects = ObjectManager::Get();
    Skill* skill = modifier ? objects.CreateObjectFromFile<Skill_Modifier>(replica.skillName)
                            : objects.CreateObjectFromFile<Skill>(replica.skillName);
    if (!skill)
        return 0;
    skill->SetAsTempSkill();
    skill->SetManager(this);
    skill->ReceiveStateUpdate(replica.state, true);
    if (m_parent)
        skill->ReceiveActiveUpdate(*m_parent, replica.activeState, restoring);
    return skill->GetObjectId();
}

void SkillManager::CreateRemoveSkillBuff(uint32_t /*skillId*/, const std::string& buffName, uint32_t level,
                                         const std::string& modifierName1, uint32_t modifierLevel1,
                                         const std::string& modifierName2, uint32_t modifierLevel2,
                                         int32_t timeToLiveMs, uint32_t casterId, bool restoring)
{
    RemoveSkillBuffEntry(GetNormalizedPath(buffName), restoring);
    if (level != 0 && m_parent && m_parent->IsAlive()) {
        // Each at its level, enabled, active and changing. A level beyond a signed level's
        // range counts as no level (Skill::GetCurrentLevel).
        auto part = [](const std::string& name, uint32_t partLevel) {
            const auto signedLevel = static_cast<int32_t>(partLevel);
            return _SkillReplica{name, SkillState{signedLevel, true}, SkillActiveState{signedLevel, true, true}};
        };
        _SkillBuffReplica replica{part(buffName, level), part(modifierName1, modifierLevel1),
                                  part(modifierName2, modifierLevel2), timeToLiveMs, casterId};
        CreateSkillBuff(replica, restoring);
    }
    RebuildTempSkillList();
}

void SkillManager::RebuildTempSkillList()
{
    m_tempSkills.clear();
    ObjectManager& objects = ObjectManager::Get();
    for (const BuffEntry& entry : m_buffs)
        if (objects.GetObject<Skill>(entry.buffId))
            m_tempSkills.push_back(entry.buffId);
}

}  // namespace GAME
