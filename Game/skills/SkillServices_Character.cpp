#include "Game/skills/SkillServices_Character.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

bool SameRecord(const std::string& a, const std::string& b) { return PathEqualsNoCase(a.c_str(), b.c_str()); }

bool SameTransfer(const SkillBuffTransfer& a, const SkillBuffTransfer& b)
{
    return SameRecord(a.buffName, b.buffName) && a.buffLevel == b.buffLevel &&
           SameRecord(a.modifierName1, b.modifierName1) && a.modifierLevel1 == b.modifierLevel1 &&
           SameRecord(a.modifierName2, b.modifierName2) && a.modifierLevel2 == b.modifierLevel2 &&
           a.durationMs == b.durationMs && a.casterId == b.casterId;
}

uint64_t LevelTotal(const SkillBuffTransfer& t)
{
    return uint64_t{t.buffLevel} + t.modifierLevel1 + t.modifierLevel2;
}

// A duration beyond a signed one's range lasts as long as a signed one can.
int32_t TimeToLive(uint32_t durationMs) { return static_cast<int32_t>(std::min<uint32_t>(durationMs, INT32_MAX)); }

}  // namespace

void SkillServices_Character::SetParent(Actor* parent) { m_parent = DynamicCast<Character>(parent); }

uint32_t SkillServices_Character::ReferenceOf(uint32_t skillId) const
{
    return m_parent->GetSkillReferenceNumber(skillId);
}

void SkillServices_Character::SendTargetResult(uint32_t skillId, const std::vector<uint32_t>& targets,
                                               const WorldCoords& coords, uint32_t seed, uint32_t weaponId,
                                               bool useWeapon)
{
    if (!m_parent)
        return;
    m_parent->Enqueue(new SkillTargetResultConfigCmd(m_parent->GetObjectId(), ReferenceOf(skillId), targets, coords,
                                                     static_cast<uint16_t>(seed), weaponId, useWeapon,
                                                     static_cast<int32_t>(m_hitIteration)));
}

void SkillServices_Character::SendSkillStateUpdate(uint32_t skillId, const SkillState& state)
{
    if (m_parent)
        m_parent->Enqueue(new SkillStateUpdateConfigCmd(m_parent->GetObjectId(), ReferenceOf(skillId), state));
}

void SkillServices_Character::SendSkillActiveUpdate(uint32_t skillId, const SkillActiveState& state)
{
    if (m_parent)
        m_parent->Enqueue(new SkillActiveStateUpdateConfigCmd(m_parent->GetObjectId(), ReferenceOf(skillId), state));
}

void SkillServices_Character::SendCreateProjectile(uint32_t skillId, const WorldCoords& launch, uint32_t targetId,
                                                   const WorldVec3& targetPoint, uint32_t seed, uint32_t weaponId)
{
    if (!m_parent)
        return;
    const uint32_t projectileId = ObjectManager::Get().CreateObjectID();
    m_parent->Enqueue(new CreateProjectileConfigCmd(m_parent->GetObjectId(), ReferenceOf(skillId), weaponId, launch,
                                                    targetId, targetPoint, projectileId, static_cast<uint16_t>(seed),
                                                    static_cast<int32_t>(m_hitIteration)));
}

void SkillServices_Character::SendSpawnObject(uint32_t skillId, const WorldCoords& coords, uint32_t targetId,
                                              const std::vector<WorldCoords>& spawnCoords,
                                              const std::vector<uint32_t>& spawnIds, uint32_t seed)
{
    if (!m_parent)
        return;
    m_parent->Enqueue(new SpawnObjectConfigCmd(m_parent->GetObjectId(), ReferenceOf(skillId), coords, targetId,
                                               spawnCoords, spawnIds, static_cast<uint16_t>(seed)));
}

void SkillServices_Character::QueueBuffCommand(const SkillBuffTransfer& t) const
{
    m_parent->Enqueue(new CreateRemoveSkillBuffConfigCmd(m_parent->GetObjectId(), 0, t.buffName, t.buffLevel,
                                                         t.modifierName1, t.modifierLevel1, t.modifierName2,
                                                         t.modifierLevel2, TimeToLive(t.durationMs), t.casterId));
}

void SkillServices_Character::CreateUpdateSkillBuff(const SkillBuffTransfer& transfer,
                                                    const std::vector<Weapon_Type>& qualifyingWeapons,
                                                    bool dualWieldOnly)
{
    if (!m_parent || !m_parent->IsAlive())
        return;
    const SkillManager& manager = m_parent->GetSkillManager();
    if (!qualifyingWeapons.empty()) {
        Weapon_Type right = Weapon_None;
        Weapon_Type left = Weapon_None;
        manager.GetWeaponTypes(right, left);
        if (!Skill::IsQualifyingWeapons(right, left, qualifyingWeapons))
            return;
    }
    if (dualWieldOnly && manager.GetHandState() != EquipManager_DualWielded)
        return;
    auto granted = std::find_if(m_buffs.begin(), m_buffs.end(), [&](const SkillBuffTransfer& t) {
        return SameRecord(t.buffName, transfer.buffName);
    });
    if (granted == m_buffs.end()) {
        m_buffs.push_back(transfer);
    } else {
        // The same grant again: the buff on the character starts its time anew, and no
        // command goes out.
        if (SameTransfer(*granted, transfer)) {
            if (auto* buff = ObjectManager::Get().GetObject<SkillBuff>(manager.FindSkillId(transfer.buffName)))
                buff->SetTimeToLive(TimeToLive(transfer.durationMs));
            return;
        }
        if (granted->casterId != transfer.casterId && LevelTotal(transfer) <= LevelTotal(*granted))
            return;
        *granted = transfer;
    }
    QueueBuffCommand(transfer);
}

void SkillServices_Character::RemoveSkillBuff(const std::string& buffName)
{
    if (!m_parent)
        return;
    size_t removed =
        std::erase_if(m_buffs, [&](const SkillBuffTransfer& t) { return SameRecord(t.buffName, buffName); });
    // A buff this peer never granted (it came with a replica) goes all the same, or it
    // would ask for its removal on every update for ever.
    if (removed == 0 && m_parent->GetSkillManager().IsSkillBuffActive(buffName))
        removed = 1;
    SkillBuffTransfer removal;
    removal.buffName = buffName;
    for (size_t i = 0; i < removed; ++i)
        QueueBuffCommand(removal);
}

}  // namespace GAME
