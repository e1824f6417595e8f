// A character's own statistics: life and mana, the mana waiting to be fed in, the totals
// of its character attributes, and its base resistances as its record gives them.
#pragma once

#include "Game/combat/CharAttribute.h"
#include "Game/combat/CharAttributeType.h"
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

    // ---- Life and mana --------------------------------------------------------------
    // Current values never read below 0.
    float GetCurrentLife() const;
    void SetCurrentLife(float life) { m_currentLife = life; }
    float GetCurrentMana() const;
    void SetCurrentMana(float mana) { m_currentMana = mana; }
    // The life and mana values of the attribute totals.
    float GetLifeLimit() const { return m_totalAttributes.GetValue(CharAttributeType_Life); }
    void SetLifeLimit(float limit) { SetTotalCharAttribute(CharAttributeType_Life, limit); }
    float GetManaLimit() const { return m_totalAttributes.GetValue(CharAttributeType_Mana); }
    // Takes life; a negative amount takes nothing. The damage of the frame is counted.
    void SubtractLife(float amount);
    // Takes mana at once, never below 0.
    void SubtractMana(float amount);
    // Mana given over time (energy absorption), gathered in the mana storage pool.
    void AddManaSlow(float amount) { m_manaStoragePool += amount; }
    float GetManaSlow() const { return m_manaStoragePool; }
    // Life taken since the frame's update last looked.
    float GetLifeDamageThisFrame() const { return m_lifeDamageThisFrame; }
    // Whether life or mana was changed by play since the bio was made.
    bool GetTaintedBio() const { return m_tainted; }

    // ---- Attribute totals ------------------------------------------------------------
    // The value of a type in the totals; 0 for a type outside the table.
    float GetTotalCharAttribute(CharAttributeType type) const { return m_totalAttributes.GetValue(type); }
    float GetTotalCharModifier(CharAttributeType type) const { return m_totalAttributes.GetModifier(type); }
    // Makes the total of one type exactly `value` (its modifier cleared); a type outside
    // the table is ignored.
    void SetTotalCharAttribute(CharAttributeType type, float value);
    const CharAttributeAccumulator& GetCharAttributes() const { return m_totalAttributes; }

private:
    float m_currentLife = 0.0f;
    float m_lifeDamageThisFrame = 0.0f;
    float m_currentMana = 0.0f;
    float m_manaStoragePool = 0.0f;
    CharAttributeAccumulator m_totalAttributes;
    DefenseAttributeStore_Character m_defenseAttributes;
    bool m_tainted = false;
};

}  // namespace GAME
