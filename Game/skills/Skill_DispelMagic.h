// Two skills aimed at one character, directly or by a projectile: the dispel strips a
// foe's buffs (and strikes it, with an optional aura) or a friend's debuffs; the bonus
// gives each character it reaches a one-time life and mana bonus. The driving peer sends
// a target result or a projectile creation; every peer applies it.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/skills/SkillActivated.h"

namespace GAME {

class Skill_DispelMagic : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_DispelMagic)

public:
    // A direct cast reaches this far, edge to edge.
    static constexpr float kDirectRange = 20.0f;

    Skill_DispelMagic();

    // A projectile's hits, foes or friends alike, go out as one target result while its
    // caster lives.
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override;
    void TargetFriendInformation(const ProjectileInfo& info, const WorldCoords& coords,
                                 std::vector<uint32_t> targets) override;
    // Every peer: a friend loses its debuffs; anyone else its buffs, then takes the strike
    // and the record's aura.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned, bool) override;
    void CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                          const WorldVec3& targetPoint, unsigned, unsigned objectId, unsigned extra) override;
    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                        float range) const override;
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

class Skill_GiveBonus : public SkillActivatedBuffOther {
    GAME_DECLARE_CLASS(Skill_GiveBonus)

public:
    Skill_GiveBonus();

    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override;
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned, bool) override;
    // Its projectile looks for friends.
    void CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                          const WorldVec3& targetPoint, unsigned, unsigned objectId, unsigned extra) override;
    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                        float range) const override;
    // A direct cast needs a character within reach.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

}  // namespace GAME
