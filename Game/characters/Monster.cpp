#include "Game/characters/Monster.h"

#include "Game/core/GameEngine.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Monster, Character)

bool Monster::ShouldLoadLoot() const
{
    return !gGameEngine || gGameEngine->GetNetworkRole() != NetworkRole::Client;
}

}  // namespace GAME
