#include "Game/world/StrategicMovementBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(StrategicMovementBase, Tile)

void StrategicMovementBase::HandleTargets(const std::vector<uint32_t>& /*targets*/) {}

}  // namespace GAME
