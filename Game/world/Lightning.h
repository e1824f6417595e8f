// A bolt of lightning between two points, made from an effect record: the effect that
// links the jumps of a chain and the branches of a fork.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class Lightning : public LineEffect {
    GAME_DECLARE_CLASS(Lightning)

public:
    // Aims the bolt from `from` to `to`; it starts its travel again.
    void SetTarget(const WorldVec3& from, const WorldVec3& to) { SetLine(from, to); }
    // Whether the bolt has travelled all the way to its target.
    bool HasReachedTarget() const { return HasReachedEnd(); }
};

}  // namespace GAME
