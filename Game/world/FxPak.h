// A package of effects placed once at a point (an impact, the end of a buff). There is
// no particle output: a placed package has nothing lasting to show, so it plays out on
// its first update and then leaves the world and is destroyed.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class FxPak : public Actor {
    GAME_DECLARE_CLASS(FxPak)

public:
    void UpdateSelf(int elapsedMs) override;
};

}  // namespace GAME
