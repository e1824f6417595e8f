#include "characters/CharacterWorldFixture.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(HookCharacter, Monster)
GAME_IMPLEMENT_CLASS(HookController, ControllerAI)

}  // namespace GAME
