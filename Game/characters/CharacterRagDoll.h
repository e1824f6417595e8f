// How a character's body reacts when it goes limp: the effect the killing blow leaves on
// the character.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Math.h"

namespace GAME {

class CharacterRagDoll {
public:
    enum Effect : int32_t {
        Crumple = 0,   // carries on the current animation's motion
        TakeHit = 1,   // thrown along a direction
        Random = 2,    // a random tumble
    };

    // Six 32-bit words: the effect, a direction, the speed and the amplification.
    struct EffectData {
        Effect effect = Random;
        Vec3 direction{0.0f, 1.0f, 0.0f};
        float speed = 1.0f;
        float amplification = 0.0f;
    };

    // "Crumple" and "TakeHit" (case counts); any other word is a random tumble.
    static Effect GetEffectEnum(const std::string& word)
    {
        if (word == "Crumple")
            return Crumple;
        return word == "TakeHit" ? TakeHit : Random;
    }
};

static_assert(sizeof(CharacterRagDoll::EffectData) == 24, "EffectData is six 32-bit words");

}  // namespace GAME
