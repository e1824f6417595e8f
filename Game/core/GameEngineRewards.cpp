// Designer variables of the game engine and its handling of a creature's death.
#include "Game/core/GameEngine.h"

namespace GAME {

bool GameEngine::GetDesignerVariable(const char*, float&)
{
    return false;
}

void GameEngine::OnCreatureDeath(const GameEvent_CreatureDeath&) {}

}  // namespace GAME
