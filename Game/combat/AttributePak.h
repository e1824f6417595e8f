// One record's worth of bonuses of every family at once: character attributes, skill
// attributes, offensive damage and modifiers, retaliation and defence, each read with the
// skill kind of its store (no prefix or suffix, no jitter). The game engine holds three
// (monsters, players, pets) whose records add game-wide bonuses to every creature of that
// kind; characters ask a pack for its contributions at a level and for its lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/combat/RetaliationAttributeStore.h"
#include "Game/combat/SkillAttributeStore.h"
#include "Game/core/foundation/GameTextLine.h"

namespace GAME {

class CombatAttributeAccumulator;
class LoadTable;

class AttributePak {
public:
    AttributePak();
    virtual ~AttributePak();

    // Counts the changes of what characters read from the shared packs: a pack made,
    // loaded or gone, the item sets the game engine knows by name, and the balance levels
    // the packs are read at. Characters keep the totals they summed from the packs while
    // the count stands, so every such change calls SharedValuesChanged.
    static void SharedValuesChanged();
    static uint32_t GetSharedValuesRevision();

    // Keeps the name and loads the record; a record that does not exist empties every
    // store.
    virtual void LoadFromDatabase(const std::string& recordName);
    // Each store from the record, in the order character, skill, offensive, retaliation,
    // defence; each clears itself first.
    virtual void LoadFromTable(const LoadTable& table);

    virtual void GetCharAttributes(CharAttributeAccumulator& acc, unsigned level) const;
    virtual void GetSkillAttributes(SkillAttributeAccumulator& acc, unsigned level) const;
    virtual void GetOffensiveDamageAttributes(CombatAttributeAccumulator& acc, unsigned level) const;
    virtual void GetOffensiveModifierAttributes(CombatAttributeAccumulator& acc, unsigned level) const;
    // The retaliation damage, then its modifiers.
    virtual void GetRetaliationAttributes(CombatAttributeAccumulator& acc, unsigned level) const;
    virtual void GetDefenseAttributes(CombatAttributeAccumulator& acc, unsigned level) const;
    // Lines of the class, unflagged: damage, defence, retaliation, character, skill.
    virtual void GetUIDisplayText(unsigned level, GameTextClass textClass, std::vector<GameTextLine>& lines) const;

    const std::string& GetRecordName() const { return m_recordName; }
    const CharAttributeStore_Skill& GetCharAttrStore() const { return m_charAttributes; }
    const SkillAttributeStore_Skill& GetSkillAttrStore() const { return m_skillAttributes; }
    const DamageAttributeStore_Skill& GetOffensiveAttrStore() const { return m_offensiveAttributes; }
    const RetaliationAttributeStore_Skill& GetRetaliationAttrStore() const { return m_retaliationAttributes; }
    const DefenseAttributeStore_Skill& GetDefenseAttrStore() const { return m_defenseAttributes; }

private:
    std::string m_recordName;
    CharAttributeStore_Skill m_charAttributes;
    SkillAttributeStore_Skill m_skillAttributes;
    DamageAttributeStore_Skill m_offensiveAttributes;
    RetaliationAttributeStore_Skill m_retaliationAttributes;
    DefenseAttributeStore_Skill m_defenseAttributes;
};

}  // namespace GAME
