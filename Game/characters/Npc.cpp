#include "Game/characters/Npc.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Npc, Character)

}  // namespace GAME
