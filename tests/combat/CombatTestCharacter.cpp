#include "CombatTestCharacter.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(CombatTestCharacter, Character)
GAME_IMPLEMENT_CLASS(CombatTestItem, ItemEquipment)

}  // namespace GAME
