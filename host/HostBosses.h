// The bosses of a level: which characters' states a level run prints, and the quest's
// order to use a skill that the level's script gives a boss that waits for it.
#pragma once

#include <cstdint>

namespace GAME {

class Character;
class ControllerAI;

// Whether the run prints the states of the character this controller drives: the scripted
// bosses and the warriors that march for one.
bool HostLevelIsBoss(const ControllerAI& mind);

// The quest orders the character to use a skill on the player; false when the character
// has no controller to take the order.
bool HostLevelOrderSkill(Character& target, uint32_t playerId);

}  // namespace GAME
