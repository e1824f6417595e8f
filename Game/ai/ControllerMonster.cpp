#include "Game/ai/ControllerMonster.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerMonster, ControllerAI)

ControllerMonster::~ControllerMonster() = default;

}  // namespace GAME
