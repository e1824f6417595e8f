// Spells that strike every foe around a point. The radius attack sends a ring out from
// its caster that strikes the foes it found as it reaches them; the lightning radius
// attack strikes a chosen target and the foes around it together, once its bolt has
// arrived. The controlling peer picks the foes and sends them as target results, which
// every peer applies with the seed they carry.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/World.h"
#include "Game/skills/SkillActivated.h"

namespace GAME {

class Skill_AttackRadius : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackRadius)

public:
    Skill_AttackRadius();

    // Grows the ring and strikes the foes it reaches.
    void Update(Character& caster, int elapsedMs) override;
    // Busy (cooling down) while the ring still has foes to reach.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    // The ring needs no target.
    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                        float range) const override
    {
        return Skill::GetValidTarget(user, target, point, fromUser, range);
    }
    // The ring's start on every peer: its cost, its sound and its look.
    void ReceiveActiveUpdate(Character& caster, const SkillActiveState& state, bool restoring) override;
    // Starts the ring from the caster on the controlling peer.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    virtual void CreateVisualEffect(const WorldCoords& coords, float radius, int timeMs);

    // Strikes every foe its area holds: the record's target number plays no part.
    unsigned ResultTargetNumber() const override { return 0; }
    const std::vector<uint32_t>& GetPendingTargets() const { return m_ring.pendingTargets; }
    float GetFinalRadius() const { return m_finalRadius; }

private:
    ExpandingRing m_ring;
    float m_finalRadius = 0.0f;   // world units
};

class Skill_AttackRadiusLightning : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackRadiusLightning)

public:
    // How long a strike waits for a bolt that does not arrive.
    static constexpr int32_t kLightningTimeoutMs = 5000;

    Skill_AttackRadiusLightning();

    // Strikes once the bolt has arrived, is gone or has timed out.
    void Update(Character& caster, int elapsedMs) override;
    // Busy (cooling down) from the target result until the strike.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
    // Every peer sends its bolt at the chosen target (or the point) and keeps the foes.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned targetId, bool melee) override;
    // Picks the chosen target and the foes around the point on the controlling peer.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    virtual void CreateVisualEffect(const WorldCoords& coords);
    // The result's value is the chosen target, which also heads its list.
    uint32_t ResultChosenTarget(uint32_t value) const override { return value; }
    bool ResultLeadsWithChosenTarget() const override { return true; }
    // Strikes every foe its area holds: the record's target number plays no part.
    unsigned ResultTargetNumber() const override { return 0; }

    const std::vector<uint32_t>& GetTargets() const { return m_targets; }
    uint32_t GetLightningId() const { return m_lightningId; }

private:
    void OnLightningComplete(Character& caster);

    WorldVec3 m_point;
    std::vector<uint32_t> m_targets;
    uint32_t m_primaryTarget = 0;
    uint32_t m_lightningId = 0;
    WorldCoords m_strikeCoords;
    uint32_t m_seed = 0;
    int32_t m_timeoutMs = 0;
};

}  // namespace GAME
