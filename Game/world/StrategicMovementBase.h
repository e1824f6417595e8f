// A level object the local player discovers by walking near it.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/Entity.h"

namespace GAME {

class StrategicMovementBase : public Tile {
    GAME_DECLARE_CLASS(StrategicMovementBase)

public:
    // Acts on the characters near the object (a respawn shrine heals them); the base does
    // nothing.
    virtual void HandleTargets(const std::vector<uint32_t>& targets);

    // Where a character moves to reach the object; its own position until the kinds place
    // their points.
    // A character asks to use the shrine or marker; the base does nothing with it.
    virtual void RequestToUse(uint32_t /*actorId*/) {}
    virtual WorldVec3 GetMoveToPoint(const Entity& /*mover*/) const { return GetCoords().GetPosition(); }
};

}  // namespace GAME
