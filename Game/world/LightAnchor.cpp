#include "Game/world/LightAnchor.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(LightAnchor, Light)

LightAnchor::LightAnchor()
{
    SetType(Type_Point);
    // The blue channel is meant to be above 1: the light glows past full blue.
    SetColor(Color{0.28f, 0.28f, 1.96f, 1.0f});
    SetRadius(20.0f);
}

}  // namespace GAME
