// A character's plain weapon attack is a pool: the pool skill (a SkillActivatedWeaponPool
// kind) picks, each time it is used, one pooled attack (a Skill_WPAttack kind) weighted by
// the attacks' chance weights, and lets it strike in its place. The pooled attack reports
// back to the pool skill that started it after it has struck.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/skills/SkillActivated.h"

namespace GAME {

// The base of the pool skills.
class SkillActivatedWeaponPool : public SkillActivated {
    GAME_DECLARE_CLASS(SkillActivatedWeaponPool)

public:
    // A pooled attack that this skill started struck these targets (perhaps none). The
    // base does nothing with it.
    virtual void WPAttackCallback(Character&, const std::vector<uint32_t>&) {}

    // The pooled attack the last use picked; 0 for none.
    uint32_t GetChosenAttackId() const { return m_chosenAttackId; }

protected:
    uint32_t m_chosenAttackId = 0;
    bool m_rangedWeapon = false;
};

// The default weapon attack every character has: always usable, whatever its mana or
// cooldown.
class Skill_WeaponPool_Default : public SkillActivatedWeaponPool {
    GAME_DECLARE_CLASS(Skill_WeaponPool_Default)

public:
    Skill_WeaponPool_Default();

    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
};

// A pooled attack: it never waits for mana or cooldown, and weighs in the pick by its
// profile's chance weight at its current level.
class Skill_WPAttack : public SkillActivatedWeapon {
    GAME_DECLARE_CLASS(Skill_WPAttack)

public:
    Skill_WPAttack();

    // 0 while the skill is disabled, unless `evenDisabled`; else the profile's weight.
    unsigned GetChanceWeight(bool evenDisabled) const override;
    // The base's test with mana and cooldown ignored.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;

    // The pool skill that started this attack (0 for none).
    void SetParentSkillId(uint32_t id) { m_parentSkillId = id; }
    uint32_t GetParentSkillId() const { return m_parentSkillId; }

protected:
    uint32_t m_parentSkillId = 0;
};

// The pooled attack of the default weapon attack.
class Skill_WPAttack_BasicAttack : public Skill_WPAttack {
    GAME_DECLARE_CLASS(Skill_WPAttack_BasicAttack)

public:
    Skill_WPAttack_BasicAttack();
};

}  // namespace GAME
