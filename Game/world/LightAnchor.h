// A light placed in a level from its record: an engine light that starts as a bright
// blue point light of radius 20, before its record is read.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class LightAnchor : public Light {
    GAME_DECLARE_CLASS(LightAnchor)

public:
    LightAnchor();
};

}  // namespace GAME
