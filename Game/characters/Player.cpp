#include "Game/characters/Player.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Player, Character)

}  // namespace GAME
