// What every skill of one record shares: its stores and per-level values. A profile is
// held by value (the game engine keeps one), and a copy holds copies of its stores.
#pragma once

#include <vector>

#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/combat/RetaliationAttributeStore.h"

namespace GAME {

class CombatAttributeAccumulator;
class LoadTable;

class SkillProfile {
public:
    SkillProfile() = default;

    // Loads the profile from its skill record. Its stores are never given a generator.
    void LoadProfile(const LoadTable& record);

    // ---- Damage and retaliation -------------------------------------------------------
    // The retaliation of the skill at a level: the store's damage, then its modifiers.
    void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const;
    const RetaliationAttributeStore_Skill& GetRetaliationAttrStore() const { return m_retaliationAttributes; }
    // ---- end of damage and retaliation ------------------------------------------------

    // ---- Defences ---------------------------------------------------------------------
    // The defence store's defences at the level.
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator, unsigned level) const;
    const DefenseAttributeStore_Skill& GetDefenseAttrStore() const { return m_defenseAttributes; }
    // ---- end of defences --------------------------------------------------------------

    // The character attributes of the skill at a level (what it adds to its owner's totals).
    void GetCharAttributes(CharAttributeAccumulator& accumulator, unsigned level) const;
    // The same as a list of additions; null at level 0 (or without contributions).
    const CharAttributeContribution* GetCharContribution(unsigned level) const;
    const CharAttributeStore_Skill& GetCharAttrStore() const { return m_charAttributes; }

private:
    DamageAttributeStore_Skill m_damageAttributes;
    DefenseAttributeStore_Skill m_defenseAttributes;
    RetaliationAttributeStore_Skill m_retaliationAttributes;
    CharAttributeStore_Skill m_charAttributes;
    std::vector<CharAttributeContribution> m_charContributions;   // levels 1, 2, ... of the store
};

}  // namespace GAME
