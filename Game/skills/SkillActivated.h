// A skill that is used: its use plays out on its owner and, at its hit (or when a
// command says so), the skill acts. The activated base offers its kinds the three
// executions that turn a use into commands (melee strike, ranged shots), the damage
// appliers that run when such a command arrives, and the hand-over of a buff.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "Game/characters/AnimationSet.h"
#include "Game/core/foundation/AimSolver.h"
#include "Game/skills/Skill.h"

namespace GAME {

class ProjectileBase;
class SkillServicesBase;

// What an activated skill is aimed at.
enum SkillTargetType : int32_t {
    SkillTargetType_None = 0,     // the base: no target kind
    SkillTargetType_Self = 1,     // the user itself
    SkillTargetType_Foe = 2,      // a point or an enemy character
    SkillTargetType_Friend = 3,   // a friendly character
    SkillTargetType_FriendOrFoe = 4,   // any character (a dispel)
};

// Sent as "GameEvent_CameraShake" when a skill shakes the camera.
struct GameEvent_CameraShake : GameEvent {
    float durationMs = 0.0f;
    float amplitude = 0.0f;
};

// A ring that grows from where its skill's owner stood: the owner's foes found within
// the ring's radius when it started are struck as the ring, growing one world unit per
// `msPerUnit`, reaches each.
struct ExpandingRing {
    int32_t elapsedMs = 0;    // since the ring started
    int32_t msPerUnit = 1;    // to grow by one world unit; below 1 the ring has its whole
                              // radius at once
    WorldVec3 centre;         // where the owner stood
    std::vector<uint32_t> pendingTargets;   // foes the ring has yet to reach
};

class SkillActivated : public Skill {
    GAME_DECLARE_CLASS(SkillActivated)

public:
    SkillActivated();

    // The base's loading, then the camera shake of the record.
    void Load(const LoadTable& table) override;
    // The weapon projectile of a creation command, made under `projectileId` at the
    // weapon's "Shoot" point and launched; `extra` seeds it.
    void CreateProjectile(Character& attacker, const WorldCoords& launch, unsigned targetId,
                          const WorldVec3& aimPoint, unsigned weaponId, unsigned projectileId,
                          unsigned extra) override;

    // ---- The activation road: the skill manager drives these from the animation ----
    virtual float GetRunSpeedAcceleration() const { return 0.0f; }
    // Starts the use's animation; false when nothing was started.
    virtual bool StartAction(Character&, unsigned, const WorldVec3&, unsigned, const TargetLeadingData&)
    {
        return false;
    }
    virtual void SwipeAction(Character&, const Name&, unsigned, const WorldVec3&) {}
    virtual void HitAction(Character&, const Name&, unsigned, const WorldVec3&) {}
    virtual bool EndAction(Character&) { return true; }
    virtual bool WarmUpStart() { return false; }
    virtual void WarmUpEnd() {}
    // Sends "GameEvent_CameraShake" when the record gives a shake longer than 0.0001 s.
    virtual void CameraShake();
    virtual SkillTargetType GetTargetType() const { return m_targetType; }

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
    // The foes around `point` (within 20 units of the attacker) and the target (within
    // 20), as one target result. False when none was found.
    virtual bool ExecuteRadiusAttack(Character& attacker, unsigned targetId, const WorldVec3& point) const;
    // The damage of one target result, one attack per live target, rolled from `seed`.
    virtual void ApplyRangedDamage(Character& attacker, const std::vector<uint32_t>& targets,
                                   const WorldCoords& coords, unsigned seed, unsigned weaponId);
    // Also plays, on the first target hit, the weapon's hit sound (the attacker's attack
    // sound without a weapon).
    virtual void ApplyMeleeDamage(Character& attacker, const std::vector<uint32_t>& targets,
                                  const WorldCoords& coords, unsigned seed, unsigned weaponId);
    virtual void ApplyMeleeDamageInherent(Character& attacker, const std::vector<uint32_t>& targets,
                                          const WorldCoords& coords, unsigned seed);
    // The record of the skill's projectile at the current level; empty for none.
    virtual std::string GetProjectileName() const;

    // Hands the named buff to the target for `durationMs`, cast by `caster` at this skill's
    // level with its first two modifiers; the buff qualifies by this skill's weapons.
    void ApplyBuffOnTarget(Character& caster, Character& target, const std::string& buffName, int durationMs) const;

    // The weapon of the hand a hit event names ("RightHandHit", "LeftHandHit"); 0 for
    // any other event.
    uint32_t WeaponOfHitEvent(const Name& event) const;
    // A strike with the weapon of the event's hand: shots from the event's attach point
    // for a ranged weapon, else a melee strike. True when a result went out.
    bool StrikeWithEventWeapon(Character& user, const Name& event, unsigned targetId, const WorldVec3& point) const;

protected:
    // Starts the ring at the owner's position: the foes of its team within `radius`.
    static void StartRing(ExpandingRing& ring, const Character& owner, int32_t msPerUnit, float radius);
    // Grows the ring by the frame, never past `finalRadius`: the foes it reaches go out as
    // one target result from its centre; those gone or dead are dropped, and once the
    // ring has its final radius the foes still outside it are dropped too. Nothing
    // without skill services. With `drawRing`, the game's debug display shows the ring's
    // reach as a blue sphere each frame it grows.
    void AdvanceRing(ExpandingRing& ring, int elapsedMs, float finalRadius, bool drawRing = false) const;
    // Every peer strikes the listed characters in list order from the ring's centre, then
    // the secondary skills act on them.
    void StrikeRingTargets(Character& owner, const std::vector<uint32_t>& targets, const WorldCoords& centre,
                           unsigned seed);
    // The ring's look at its centre: the record's radius magic, raised by one unit and
    // set to the radius and time, and its radius effect.
    void CreateRingEffects(const WorldCoords& centre, float radius, int timeMs);

    // The road of a spell or buff: the record's special animation, else `animation`, at
    // the owner's spell-cast speed. False for a disabled skill.
    bool StartCastAnimation(Character& attacker, AnimationSet_Type animation);
    // Where a use aims: the object's position when `targetId` names one, else the point.
    static WorldVec3 AimOf(unsigned targetId, const WorldVec3& targetPoint);
    // The leading point for the data when it asks for leading and resolves (factor 0.7).
    static bool ResolveLeading(const TargetLeadingData& leading, WorldVec3& point);

    SkillTargetType m_targetType = SkillTargetType_None;
    float m_cameraShakeDuration = 0.0f;    // seconds
    float m_cameraShakeAmplitude = 0.0f;
};

// The base of cast spells: its projectiles report their hits as a target result, which
// every peer applies as ranged damage.
class SkillActivatedSpell : public SkillActivated {
public:
    SkillActivatedSpell() { m_targetType = SkillTargetType_Foe; }
    // Destroys the pre-loaded projectile.
    ~SkillActivatedSpell() override;

    void PreLoad(bool preloadNow) override;
    void PreLoadResources() override;
    // Ground-only projectiles need no target; else a foe within range.
    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                        float range) const override;
    bool StartAction(Character& attacker, unsigned targetId, const WorldVec3& targetPoint, unsigned seed,
                     const TargetLeadingData& leading) override;
    void SwipeAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    // Acts at the leading point when the start asked for leading and it resolves.
    void HitAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    bool EndAction(Character&) override { return true; }
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override;
    void TargetResult(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;

protected:
    TargetLeadingData m_leading;
    uint32_t m_preloadedProjectile = 0;   // owned, by object id
};

// The base of attacks made with the equipped weapon: a projectile's hits go out as a
// target result like a spell's.
class SkillActivatedWeapon : public SkillActivated {
public:
    SkillActivatedWeapon() { m_targetType = SkillTargetType_Foe; }

    // Follows the owner's weapon: ranged or melee, and its range.
    void Update(Character& character, int elapsedMs) override;
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override;
    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                        float range) const override;
    float GetRunSpeedAcceleration() const override;
    bool StartAction(Character& attacker, unsigned targetId, const WorldVec3& targetPoint, unsigned seed,
                     const TargetLeadingData& leading) override;
    // The swipe sounds, and the trail of the hand (or hands) the event names.
    void SwipeAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    void HitAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override
    {
        ActivateNow(attacker, event, targetId, targetPoint);
    }
    // Both hands' trails go out.
    bool EndAction(Character& attacker) override;

    // The attack animation for an aim: a player whose aim lies 45 degrees or more off
    // its facing turns toward it with a turning attack; anyone else simply attacks.
    AnimationSet_Type ChooseAttackAnimation(Character& attacker, unsigned targetId, const WorldVec3& targetPoint);

protected:
    bool m_rangedWeapon = false;
    TargetLeadingData m_leading;
};

// The base of buffs cast on oneself, with their costs.
class SkillActivatedBuffSelf : public SkillActivated {
public:
    SkillActivatedBuffSelf() { m_targetType = SkillTargetType_Self; }

    // Stops the buff unless its profile says it cannot be dispelled.
    void DispellSelfBuff(Character& owner) override;
    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3&, bool, float) const override;
    bool StartAction(Character& attacker, unsigned targetId, const WorldVec3& targetPoint, unsigned seed,
                     const TargetLeadingData& leading) override;
    void SwipeAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    void HitAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override
    {
        ActivateNow(attacker, event, targetId, targetPoint);
    }

protected:
    // At the cast (`atCast`): the mana cost, and the cooldown unless it waits for the end.
    // At the end: the cooldown when it waited for it.
    void ApplyCost(bool atCast);
    // The life and mana the buff drains per second while on; an emptied mana stops it,
    // and a drain that would take the last of the life is not taken.
    void ApplyActiveCosts(Character& owner, int elapsedMs);
    // The user's switch on the driving peer: flips `on`, tells the user interface, sends
    // the active state (active = on) and pays no mana for availability while on. False,
    // and nothing flipped, without skill services.
    bool FlipSwitch(bool& on);

    bool m_cooldownOnEnd = true;
};

// The base of buffs cast on a friend.
class SkillActivatedBuffOther : public SkillActivated {
public:
    SkillActivatedBuffOther() { m_targetType = SkillTargetType_Friend; }

    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                        float range) const override;
    bool StartAction(Character& attacker, unsigned targetId, const WorldVec3& targetPoint, unsigned seed,
                     const TargetLeadingData& leading) override;
    void SwipeAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
    void HitAction(Character& attacker, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override
    {
        ActivateNow(attacker, event, targetId, targetPoint);
    }
};

}  // namespace GAME
