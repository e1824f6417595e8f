#include "Game/core/GameCamera.h"

namespace GAME {

GameCamera::GameCamera()
{
    ResetToDefaults(true);
}

void GameCamera::Update()
{
    WorldCamera::Update();
}

void GameCamera::ResetToDefaults(bool)
{
}

void GameCamera::SetMovementExtents(float, float, float, float)
{
}

}  // namespace GAME
