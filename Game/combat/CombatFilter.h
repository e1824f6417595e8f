// What a skill in force may do to the attacks that reach its character: reduce each
// amount of damage, or ignore the attack altogether for attackers of some races.
#pragma once

#include <string>
#include <vector>

#include "Game/combat/CombatAttributeType.h"

namespace GAME {

class CombatFilter {
public:
    virtual ~CombatFilter() = default;

    // The damage that passes the filter.
    virtual float ModifyDamage(float damage, CombatAttributeType type) = 0;
    // True when an attack by a character of these races is to be ignored.
    virtual bool ProvidesInvulnerability(const std::vector<std::string>& attackerRaces) = 0;
};

}  // namespace GAME
