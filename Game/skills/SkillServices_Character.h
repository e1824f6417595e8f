// The skill services of a character on the peer that drives its skills: every
// announcement of a skill becomes an actor command queued on the character, naming the
// skill by the character's reference number of it, so that it runs on every peer. It
// also keeps the buffs granted on the character, to refresh or replace them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/skills/SkillServicesBase.h"

namespace GAME {

class Character;

class SkillServices_Character : public SkillServicesBase {
public:
    // The actor when it is a character, else none: then nothing is announced.
    void SetParent(Actor* parent) override;
    Character* GetParent() const { return m_parent; }
    void Dead() override { m_buffs.clear(); }

    void SendTargetResult(uint32_t skillId, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                          uint32_t seed, uint32_t weaponId, bool useWeapon) override;
    void SendSkillStateUpdate(uint32_t skillId, const SkillState& state) override;
    void SendSkillActiveUpdate(uint32_t skillId, const SkillActiveState& state) override;
    // Takes a fresh object id for the projectile, so that every peer makes it under that id.
    void SendCreateProjectile(uint32_t skillId, const WorldCoords& launch, uint32_t targetId,
                              const WorldVec3& targetPoint, uint32_t seed, uint32_t weaponId) override;
    void SendSpawnObject(uint32_t skillId, const WorldCoords& coords, uint32_t targetId,
                         const std::vector<WorldCoords>& spawnCoords, const std::vector<uint32_t>& spawnIds,
                         uint32_t seed) override;
    // For a living character whose weapons qualify: a buff of a record not yet granted is
    // granted; the same grant again only starts the buff's time anew; another caster
    // replaces a granted buff only with a higher level total (buff and both modifiers).
    void CreateUpdateSkillBuff(const SkillBuffTransfer& transfer, const std::vector<Weapon_Type>& qualifyingWeapons,
                               bool dualWieldOnly) override;
    // Takes every grant of that record off, or the buff of that record on the character
    // when it was never granted here.
    void RemoveSkillBuff(const std::string& buffName) override;

    const std::vector<SkillBuffTransfer>& GetGrantedBuffs() const { return m_buffs; }

private:
    uint32_t ReferenceOf(uint32_t skillId) const;
    void QueueBuffCommand(const SkillBuffTransfer& transfer) const;

    Character* m_parent = nullptr;   // the owner of these services' skill manager
    std::vector<SkillBuffTransfer> m_buffs;
};

}  // namespace GAME
