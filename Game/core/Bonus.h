// A bundle of rewards: life, mana, gold, skill points, attribute points and experience,
// given by potions, shrines, kills and the life that leech returns to an attacker.
#pragma once

#include <cstdint>
#include <string>

namespace GAME {

struct Bonus {
    uint32_t receiver = 0;           // player id the host addressed a share to
    float lifePoints = 0.0f;
    float lifePercent = 0.0f;
    float manaPoints = 0.0f;
    float manaPercent = 0.0f;
    uint32_t goldPoints = 0;
    uint32_t skillPoints = 0;
    uint32_t attributePoints = 0;
    uint32_t experiencePoints = 0;
    std::string effectName;
    uint32_t source = 0;             // object id of what produced the bonus
};

}  // namespace GAME
