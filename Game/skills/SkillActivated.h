// A skill that is used: its use plays out on its owner and, at its hit (or when a
// command says so), the skill acts. The activated base offers its kinds the three
// executions that turn a use into commands (melee strike, ranged shots), the damage
// appliers that run when such a command arrives, and the hand-over of a buff.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/core/foundation/AimSolver.h"
#include "Game/skills/Skill.h"

namespace GAME {

class ProjectileBase;
class SkillServicesBase;

class SkillActivated : public Skill {
    GAME_DECLARE_CLASS(SkillActivated)

public:
    SkillActivated();

    // The base's loading, then the camera shake of the record.
    void Load(const LoadTable& table) override;

    // The skill's effect on the target or point; `event` names the animation event that
    // set it off. The base tells the user interface that the skill was used.
    virtual void ActivateNow(Character& user, const Name& event, unsigned targetId, const WorldVec3& targetPoint);

    // Ranged shots: one creation command per projectile of the profile, the first at
    // the target, the others at foes within 1.0 of the aim point or at aim points
    // jittered around it. False without services or projectiles.
    virtual bool ExecuteRangedAttack(Character& attacker, const WorldCoords& launch, unsigned targetId,
                                     const WorldVec3& aimPoint, unsigned weaponId) const;
    // A strike without a weapon's own reach: the target (when within 2.5) and the foes
    // of the skill's cone go out as one target result. False when none was found.
    virtual bool ExecuteMeleeAttack(Character& attacker, unsigned targetId, const WorldVec3& targetPoint,
                                    unsigned weaponId) const;
    // The damage of one target result, one attack per live target, rolled from `seed`.
    virtual void ApplyRangedDamage(Character& attacker, const std::vector<uint32_t>& targets,
                                   const WorldCoords& coords, unsigned seed, unsigned weaponId);
    virtual void ApplyMeleeDamageInherent(Character& attacker, const std::vector<uint32_t>& targets,
                                          const WorldCoords& coords, unsigned seed);
    // The record of the skill's projectile at the current level; empty for none.
    virtual std::string GetProjectileName() const;

    // ---- pool26 ----
    // The use of the skill as the manager drives it: the start (false when nothing
    // started), the swipe and hit events of its animation, its end.
    virtual bool StartAction(Character&, unsigned /*targetId*/, const WorldVec3& /*targetPoint*/, unsigned /*seed*/,
                             const TargetLeadingData& /*leading*/)
    {
        return false;
    }
    virtual void SwipeAction(Character&, const Name& /*event*/, unsigned /*targetId*/, const WorldVec3& /*point*/) {}
    virtual void HitAction(Character&, const Name& /*event*/, unsigned /*targetId*/, const WorldVec3& /*point*/) {}
    virtual bool EndAction(Character&) { return true; }
    // The damage of one melee target result (hit rolled, with the weapon's damage), after
    // the skill's hit sound.
    virtual void ApplyMeleeDamage(Character& attacker, const std::vector<uint32_t>& targets,
                                  const WorldCoords& coords, unsigned seed, unsigned weaponId);
    // ---- end pool26 ----

    // The target receives the named buff from this skill's level and its first two
    // modifiers, for `durationMs`.
    void ApplyBuffOnTarget(Character& caster, Character& target, const std::string& buffName, int durationMs);

protected:
    // The skill services of the owner on the peer that drives it; null elsewhere.
    SkillServicesBase* GetServices() const;
    // A fresh 16-bit seed for a command from the game engine's generator.
    static uint32_t NewSeed();
    // A target result for the hits a projectile of the skill reports.
    void SendProjectileTargets(const ProjectileInfo& info, const std::vector<uint32_t>& targets) const;

    // One attack per live target of the list: parameters, rag doll, target effect.
    void ApplyDamageLoop(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                         unsigned seed, ParametersCombatStyle style, bool useAvailable, unsigned weaponId,
                         float percent);

    float m_cameraShakeDuration = 0.0f;    // seconds
    float m_cameraShakeAmplitude = 0.0f;
};

// The base of cast spells: its projectiles report their hits as a target result, which
// every peer applies as ranged damage.
class SkillActivatedSpell : public SkillActivated {
public:
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override;
    void TargetResult(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;

protected:
    TargetLeadingData m_leading;
};

// The base of attacks made with the equipped weapon: a projectile's hits go out as a
// target result like a spell's.
class SkillActivatedWeapon : public SkillActivated {
public:
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override;

protected:
    bool m_rangedWeapon = false;
    TargetLeadingData m_leading;
};

}  // namespace GAME
