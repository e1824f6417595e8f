#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

// Out of line so the virtual table is emitted once, in this library.
RandomUniform::~RandomUniform() = default;

}  // namespace GAME
