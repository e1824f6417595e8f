// The passive kinds beyond the plain passive and mastery: a passive that is only usable
// while its owner wields a one-handed melee weapon in the left hand, and the melee
// modifiers, which add to the skill they modify like any modifier and can also strike.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/skills/Skill.h"

namespace GAME {

// Usable, and so in force, only at a level above 0 while the owner holds an axe, sword
// or mace in the left hand; otherwise its reason is the weapon's.
class Skill_PassiveDualWieldWeapon : public Skill_Passive {
    GAME_DECLARE_CLASS(Skill_PassiveDualWieldWeapon)

public:
    Skill_PassiveDualWieldWeapon();

    // Both flags are ignored: neither cooldown nor mana decides.
    bool SetAvailability(bool ignoreMana, bool ignoreCooldown) override;
};

// A modifier whose target results strike each listed character in melee style.
class Skill_MeleeModifier : public Skill_Modifier {
    GAME_DECLARE_CLASS(Skill_MeleeModifier)

public:
    Skill_MeleeModifier() = default;

    // One strike per listed character (once each), rolled from the seed.
    void TargetResult(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned, bool) override;
    // The modifier's own strike beside its parent's attack; the plain kind strikes nothing.
    virtual void ActivateModifierAttack(Character&, unsigned, const WorldVec3&) {}
    virtual void CollectModifierDamageAttributes(CombatAttributeAccumulator&) const {}
};

// Strikes every foe within 3.0 units of the attacker.
class Skill_MeleeModifierRadius : public Skill_MeleeModifier {
    GAME_DECLARE_CLASS(Skill_MeleeModifierRadius)

public:
    static constexpr float kStrikeRadius = 3.0f;

    // On the driving peer, while enabled: the foes around the attacker go out as one
    // target result, even when there are none.
    void ActivateModifierAttack(Character& attacker, unsigned targetId, const WorldVec3& point) override;
    // Strikes every foe its area holds: the record's target number plays no part.
    unsigned ResultTargetNumber() const override { return 0; }
};

}  // namespace GAME
