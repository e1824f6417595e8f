#include "Game/core/PlayerManagerServer.h"

namespace GAME {

void PlayerManagerServer::Update(int) {}

}  // namespace GAME
