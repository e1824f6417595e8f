// A character's own statistics as its record gives them. For now it holds the
// character's base resistances and adds them to every attack on the character.
#pragma once

#include "Game/combat/DefenseAttributeStore.h"

namespace GAME {

class CombatAttributeAccumulator;
class LoadTable;

class CharacterBio {
public:
    // Reads the character's own record: among the rest, its base resistances.
    void Load(const LoadTable& record);

    // The base resistances at the level of the game's difficulty (Normal 1, Epic 2,
    // Legendary 3): the character's record holds one entry per difficulty.
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    const DefenseAttributeStore_Character& GetDefenseAttrStore() const { return m_defenseAttributes; }

private:
    DefenseAttributeStore_Character m_defenseAttributes;
};

}  // namespace GAME
