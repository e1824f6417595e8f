#include "CombatTestCharacter.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(CombatTestCharacter, Character)

}  // namespace GAME
