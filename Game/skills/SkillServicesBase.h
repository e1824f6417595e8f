// What a skill asks of the peer that drives it: announcing what it did (its replicated
// state, projectiles, spawned objects, target results) and the buffs put on or taken off
// its character. Only the controlling peer's skill manager has services; each
// announcement reaches every peer's copy of the skill, found there by reference number.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/items/ItemTypes.h"
#include "Game/skills/SkillState.h"

namespace GAME {

class Actor;
class WorldCoords;
class WorldVec3;

// The hand-over of a buff to a character: the buff's record and level, the caster's two
// modifier skills (record and level each; an empty name for none), how long it lasts and
// who cast it.
struct SkillBuffTransfer {
    std::string buffName;
    uint32_t buffLevel = 0;
    std::string modifierName1;
    uint32_t modifierLevel1 = 0;
    std::string modifierName2;
    uint32_t modifierLevel2 = 0;
    uint32_t durationMs = 0;
    uint32_t casterId = 0;
};

// A hand-over record lent for one hand-out, to be filled (its fields are those of its last
// use). The records come from a store kept per thread and go back to it with their names'
// capacity, so that handing a buff out again allocates nothing; a hand-out inside another
// gets a record of its own.
class SkillBuffTransferLease {
public:
    SkillBuffTransferLease();
    ~SkillBuffTransferLease();
    SkillBuffTransferLease(const SkillBuffTransferLease&) = delete;
    SkillBuffTransferLease& operator=(const SkillBuffTransferLease&) = delete;

    SkillBuffTransfer& operator*() const { return *m_transfer; }
    SkillBuffTransfer* operator->() const { return m_transfer; }

private:
    SkillBuffTransfer* m_transfer;
};

class SkillServicesBase {
public:
    virtual ~SkillServicesBase() = default;

    // The character whose skills these services announce for.
    virtual void SetParent(Actor* parent) = 0;
    // The character died: the buffs granted on it are forgotten.
    virtual void Dead() = 0;
    // What a skill's targeting found: every peer's copy applies it (Skill::TargetResult).
    virtual void SendTargetResult(uint32_t skillId, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                                  uint32_t seed, uint32_t weaponId, bool useWeapon) = 0;
    // The skill's state or active state changed on this peer: the other peers get it.
    virtual void SendSkillStateUpdate(uint32_t skillId, const SkillState& state) = 0;
    virtual void SendSkillActiveUpdate(uint32_t skillId, const SkillActiveState& state) = 0;
    // A projectile of the skill: every peer creates it under one fresh object id.
    virtual void SendCreateProjectile(uint32_t skillId, const WorldCoords& launch, uint32_t targetId,
                                      const WorldVec3& targetPoint, uint32_t seed, uint32_t weaponId) = 0;
    // Objects the skill spawns at these places under these ids.
    virtual void SendSpawnObject(uint32_t skillId, const WorldCoords& coords, uint32_t targetId,
                                 const std::vector<WorldCoords>& spawnCoords, const std::vector<uint32_t>& spawnIds,
                                 uint32_t seed) = 0;
    // Puts the buff on (or refreshes it on) the character, when its weapons qualify.
    virtual void CreateUpdateSkillBuff(const SkillBuffTransfer& transfer,
                                       const std::vector<Weapon_Type>& qualifyingWeapons, bool dualWieldOnly) = 0;
    // Takes every buff of that record off the character.
    virtual void RemoveSkillBuff(const std::string& buffName) = 0;

    // Starts the hit-iteration count that travels with each projectile creation and
    // target result again; each hit event of a skill raises it by one.
    void ClearHitIteration() { m_hitIteration = 0; }
    void IncHitIteration() { ++m_hitIteration; }
    uint32_t GetHitIteration() const { return m_hitIteration; }

protected:
    uint32_t m_hitIteration = 0;
};

}  // namespace GAME
