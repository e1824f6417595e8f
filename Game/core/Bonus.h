// A bundle of rewards: life, mana, gold, skill points, attribute points and experience,
// given by potions, shrines, kills and the life that leech returns to an attacker, and
// read from the bonus keys of their records; with the player it is addressed to and the
// object that produced it. A new bonus is all zero.
#pragma once

#include <cstdint>
#include <string>

namespace GAME {

class LoadTable;

struct Bonus {
    uint32_t receiver = 0;   // the player a share is addressed to, filled in by the host
    float lifePoints = 0.0f;
    float lifePercent = 0.0f;
    float manaPoints = 0.0f;
    float manaPercent = 0.0f;
    uint32_t goldPoints = 0;
    uint32_t skillPoints = 0;
    uint32_t attributePoints = 0;
    uint32_t experiencePoints = 0;
    std::string effectName;   // shown where the bonus is taken; never travels between peers
    uint32_t source = 0;      // object id of what produced the bonus

    // Reads the amounts and the effect name; the receiver and the source stay.
    void Load(const LoadTable& table);

    // The whole effect for a character of that life and mana, each amount counted in
    // whole points: the inventory ranks potions by it.
    float GetTotal(float lifeBase, float manaBase) const;

    // The same bonus with life and mana that a peer may apply: an amount that is not a
    // number, infinite or negative gives nothing, and a percent gives at most the whole
    // limit. A bonus never takes life or mana away.
    Bonus Bounded() const;
};

}  // namespace GAME
