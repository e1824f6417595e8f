// A reward bundle: life, mana, gold, skill points, attribute points and experience,
// with the player it is addressed to and the object that produced it.
#pragma once

#include <cstdint>
#include <string>

namespace GAME {

struct Bonus {
    uint32_t receiver = 0;   // the player a share is addressed to
    float lifePoints = 0.0f;
    float lifePercent = 0.0f;
    float manaPoints = 0.0f;
    float manaPercent = 0.0f;
    uint32_t goldPoints = 0;
    uint32_t skillPoints = 0;
    uint32_t attributePoints = 0;
    uint32_t experiencePoints = 0;
    std::string effectName;   // never travels between peers
    uint32_t source = 0;      // the object that produced the bonus
};

}  // namespace GAME
