// The camera that follows the main player.
#pragma once

#include "Engine/WorldCamera.h"

namespace GAME {

class Player;

class GameCamera : public WorldCamera {
public:
    GameCamera();

    void SetPlayer(Player* player) { m_player = player; }
    Player* GetPlayer() const { return m_player; }
    void SetTarget(const WorldVec3& target) { m_target = target; }
    WorldVec3 GetTarget() const override { return m_target; }
    void Update() override;

    void ResetToDefaults(bool full);
    void SetMovementExtents(float distanceAt0, float distanceAt1, float pitchAt0, float pitchAt1);

private:
    Player* m_player = nullptr;
    WorldVec3 m_target;
};

}  // namespace GAME
