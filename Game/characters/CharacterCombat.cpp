// How combat, skills and controllers act on a character, and the feedback it gives.
#include "Game/characters/Character.h"

namespace GAME {

void Character::PlayLoopingRunningSound() {}
void Character::StopLoopingRunningSound() {}

}  // namespace GAME
