// The spells cast at one target: a direct strike that may leave a timed aura on it, a
// strike after swapping places with it, a move of the caster to a chosen point, and a
// beam from the caster's left hand that grows to the target, strikes it if it is still
// within reach, and shrinks away. The driving peer decides and sends a target result;
// every peer applies it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/World.h"
#include "Game/skills/SkillActivated.h"

namespace GAME {

class ChaosBeam;

// A spell reaches a target this far (the gap between the two bodies).
inline constexpr float kSpellAttackRange = 20.0f;

class Skill_AttackSpell : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackSpell)

public:
    Skill_AttackSpell();

    // Every listed character is struck in order, each with the hit sound and the spell's
    // aura; the secondary skills start once with the whole list.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    // A character within reach is the result's one target.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

// Caster and target swap places, then the target is struck.
class Skill_AttackSpellTeleport : public Skill_AttackSpell {
    GAME_DECLARE_CLASS(Skill_AttackSpellTeleport)

public:
    Skill_AttackSpellTeleport();

    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
};

// The caster moves to the chosen point; a monster's controller hears of it.
class Skill_AttackSpellTeleportSelf : public Skill_AttackSpell {
    GAME_DECLARE_CLASS(Skill_AttackSpellTeleportSelf)

public:
    Skill_AttackSpellTeleportSelf();

    // The result's coordinates are the point, unturned; it names no target.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    bool ResultMovesUser() const override { return true; }
};

class Skill_AttackSpellChaos : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackSpellChaos)

public:
    enum BeamState : int32_t {
        Beam_Idle = 0,
        Beam_Requested = 1,   // the driving peer sent the cast
        Beam_ToMake = 2,
        Beam_Extending = 3,   // the head flies to the target
        Beam_Retracting = 4,  // the tail follows (the head too, after a miss)
        Beam_Finishing = 5,
    };

    Skill_AttackSpellChaos();

    // The activated skill's keys, then "maxDistance", "headVelocity", "tailVelocity" and
    // "chaosBeamName".
    void Load(const LoadTable& table) override;
    // Runs the beam through its states.
    void Update(Character& caster, int elapsedMs) override;
    // Busy (cooling down) while a beam runs; otherwise mana and cooldown both count.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
    // An empty list starts the beam at the result's target (`weaponId`); a list is the
    // strike at the beam's end.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    // Lets the beam go and is idle again.
    void StopSkill(Character& caster) override;
    // A foe is required.
    bool GetValidTarget(const Character& caster, unsigned& targetId, const WorldVec3& point, bool fromUser,
                        float range) const override;
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    uint32_t ResultChosenTarget(uint32_t value) const override { return value; }

    BeamState GetBeamState() const { return m_beamState; }
    uint32_t GetBeamTarget() const { return m_beamTarget; }
    uint32_t GetBeamId() const { return m_beamId; }
    float GetHead() const { return m_head; }
    float GetTail() const { return m_tail; }
    const WorldVec3& GetHitPoint() const { return m_hitPoint; }
    float GetMaxDistance() const { return m_maxDistance; }

private:
    ChaosBeam* GetBeam() const;
    void ReleaseBeam();
    void MakeBeam(Character& caster);
    void ExtendHead(Character& caster, float seconds);
    void RetractTail(Character& caster, float seconds);

    uint32_t m_beamTarget = 0;
    WorldVec3 m_hitPoint;
    BeamState m_beamState = Beam_Idle;
    float m_head = 0.0f;   // 0 .. 1
    float m_tail = 0.0f;   // 0 .. 1
    float m_maxDistance = 0.0f;
    float m_headVelocity = 0.0f;   // of the beam's length per second
    float m_tailVelocity = 0.0f;
    std::string m_chaosBeamName;
    uint32_t m_beamId = 0;
};

}  // namespace GAME
