// Small skill kinds: a teleport that swaps its caster with a character, a refresh that
// shortens or ends the caster's other cooldowns, an attack animation that does nothing
// else, and a passive that shields its owner against qualifying damage. The activated
// ones decide on the driving peer and send a target result that every peer applies.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/combat/CombatFilter.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/Skill_OnHit.h"

namespace GAME {

// The caster and its target, foe or friend, swap places.
class Skill_Teleport : public SkillActivatedBuffSelf {
    GAME_DECLARE_CLASS(Skill_Teleport)

public:
    // The farthest a target may stand, edge to edge.
    static constexpr float kTeleportRange = 20.0f;

    Skill_Teleport();
    Skill_Teleport(const Skill_Teleport&) = default;
    Skill_Teleport& operator=(const Skill_Teleport&) = default;

    // Every peer: the effects and sounds at both places, then the swap; the secondary
    // skills act whether or not the target was still there.
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned, bool) override;
    // A foe (kept or found), else a friend (kept or found).
    bool GetValidTarget(const Character& user, unsigned& target, const WorldVec3& point, bool fromUser,
                        float range) const override;
    // The driving peer: a target result for a character within reach.
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

// Shortens every other cooldown of its caster by the record's "refreshTime" (seconds per
// level) or, at 0, ends them.
class Skill_RefreshCooldown : public SkillActivatedBuffSelf {
    GAME_DECLARE_CLASS(Skill_RefreshCooldown)

public:
    Skill_RefreshCooldown();
    Skill_RefreshCooldown(const Skill_RefreshCooldown&) = default;
    Skill_RefreshCooldown& operator=(const Skill_RefreshCooldown&) = default;

    void Load(const LoadTable& table) override;
    // The refresh of the current (next) level, then the base's lines.
    void CreateUISpecializedText(GameTextClass textClass, std::vector<GameTextLine>& lines) const override;
    void CreateUINextSpecializedText(std::vector<GameTextLine>& lines) const override;
    // A refresh never shortens a refresh's cooldown, its own included.
    void EndCooldown(int) override {}
    // The effects at the caster, the refresh of its skills, then a target result naming
    // the caster (which pays for the use).
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    // Whole milliseconds at that level: 0 at level 0, for no entries or a negative one.
    int GetRefreshTime(unsigned level) const;

private:
    std::vector<float> m_refreshTimes;   // seconds, one per level
};

// Plays an attack animation and nothing more: no damage, mana or effect; its level is
// always 1.
class Skill_PlayAttackAnimation : public SkillActivated {
    GAME_DECLARE_CLASS(Skill_PlayAttackAnimation)

public:
    Skill_PlayAttackAnimation();
    Skill_PlayAttackAnimation(const Skill_PlayAttackAnimation&) = default;

    unsigned GetCurrentLevel() const override { return 1; }
    // The record's special animation, else the plain attack; false when neither started.
    bool StartAction(Character& caster, unsigned targetId, const WorldVec3& targetPoint, unsigned seed,
                     const TargetLeadingData& leading) override;
    void SwipeAction(Character&, const Name&, unsigned, const WorldVec3&) override {}
    void HitAction(Character&, const Name&, unsigned, const WorldVec3&) override {}
    bool EndAction(Character&) override { return true; }
};

// A passive that also filters the damage reaching its owner: qualifying damage loses a
// percentage, then at most a fixed amount per hit. Both come from its own record at its
// current level, "damageAbsorptionPercent" and "damageAbsorption" (the keys the shield
// buffs read); the filter joins the owner's combat manager while the skill is installed.
class Skill_PassiveShield : public Skill_Passive, public CombatFilter {
    GAME_DECLARE_CLASS(Skill_PassiveShield)

public:
    Skill_PassiveShield();
    Skill_PassiveShield(const Skill_PassiveShield&) = default;
    Skill_PassiveShield& operator=(const Skill_PassiveShield&) = default;

    void Install(Character* owner) override;
    void UnInstall(Character* owner) override;
    void OnDestroy() override;
    // Takes the values of the level it is at now.
    void Update(Character& owner, int elapsedMs) override;

    float ModifyDamage(float damage, CombatAttributeType type) override;
    bool ProvidesInvulnerability(const std::vector<std::string>&) override { return false; }

    float GetMaxAbsorption() const { return m_maxAbsorption; }
    float GetReductionPercent() const { return m_reductionPercent; }

private:
    void TakeLevelValues();

    float m_maxAbsorption = 0.0f;      // the most absorbed from one hit
    float m_reductionPercent = 0.0f;   // taken off each hit first
    HeldCombatFilter m_filter;
};

}  // namespace GAME
