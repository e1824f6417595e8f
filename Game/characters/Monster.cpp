#include "Game/characters/Monster.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Monster, Character)

}  // namespace GAME
