// Attacks made through the equipped weapons: the hit event of the attack animation
// picks the hand, and the attack goes out as a melee strike or as shots of a ranged
// weapon. An attack may be warmed up while the user holds it; while the warm-up runs the
// skill's record lends its owner its passive values, and a warmed-up attack that is
// broken off still costs its mana and its cooldown.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/skills/SkillActivated.h"

namespace GAME {

class Skill_AttackWeapon : public SkillActivatedWeapon {
    GAME_DECLARE_CLASS(Skill_AttackWeapon)

public:
    Skill_AttackWeapon();

    // While warmed up: the record's values at the current level, then the modifiers'.
    void CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const override;
    void CollectPassiveRetaliationAttributes(CombatAttributeAccumulator& accumulator) const override;
    void CollectPassiveDefenseAttributes(CombatAttributeAccumulator& accumulator) const override;
    void CollectPassiveRacialBonusDefense(const std::vector<std::string>& races,
                                          RacialBonus_Defense& bonus) const override;
    // Melee or ranged damage as the result says, then the secondary skills; the attack's
    // warm-up is over.
    void TargetResult(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    // A warmed-up attack broken off pays its mana and starts its cooldown.
    void Cancel(Character& attacker) override;
    bool GetWarmUpWasActive() const override { return m_warmUpWasActive; }
    // Starts the warm-up when the skill is enabled and its record allows one.
    bool WarmUpStart() override;
    void WarmUpEnd() override;
    // The weapon of the hand the event names strikes.
    void ActivateNow(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    bool IsWarmUpActive() const { return m_warmUpActive; }

private:
    // The collectors add the skill's values while it warms up: written through SetCollected.
    bool m_warmUpActive = false;
    bool m_warmUpWasActive = false;
};

// A melee attack that, when it was charged by a warm-up, also sets off its melee
// modifiers' own strikes.
class Skill_AttackWeaponCharge : public Skill_AttackWeapon {
    GAME_DECLARE_CLASS(Skill_AttackWeaponCharge)

public:
    Skill_AttackWeaponCharge();

    void ActivateNow(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

// A ranged attack of several shots: the first flies at the target (or the aim point), the
// others drift alternately right and left of it by "driftMin" to "driftMax" units.
class Skill_AttackWeaponRangedSpread : public Skill_AttackWeapon {
    GAME_DECLARE_CLASS(Skill_AttackWeaponRangedSpread)

public:
    Skill_AttackWeaponRangedSpread();

    void Load(const LoadTable& table) override;
    bool ExecuteRangedAttack(Character& attacker, const WorldCoords& launch, unsigned targetId,
                             const WorldVec3& aimPoint, unsigned weaponId) const override;

    float GetDriftMin() const { return m_driftMin; }
    float GetDriftMax() const { return m_driftMax; }

private:
    float m_driftMin = 0.5f;
    float m_driftMax = 2.0f;
};

}  // namespace GAME
