// Where players appear in a level; visible only in the editor.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class PlayerSpawnPoint : public Actor {
    GAME_DECLARE_CLASS(PlayerSpawnPoint)

public:
    void InitialUpdate() override;
    bool IsStatic() const override { return false; }
    bool OccludesPathing() const override { return false; }
    bool ShouldServerSpawn() const override { return false; }
    bool CanCollide(const Entity* /*other*/) const override { return false; }
};

}  // namespace GAME
