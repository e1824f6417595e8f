#include "Game/combat/AttributePak.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/core/foundation/StringUtil.h"

namespace GAME {

AttributePak::~AttributePak() = default;

void AttributePak::LoadFromDatabase(const std::string& recordName)
{
    m_recordName = recordName;
    ObjectManager& objects = ObjectManager::Get();
    if (!objects.LoadTableFile(recordName))
        gEngine->Log(LOG_WARNING, "AttributePak: no record %s; the pack stays empty", recordName.c_str());
    LoadFromTable(objects.GetRecordOrEmpty(recordName));
}

void AttributePak::LoadFromTable(const LoadTable& table)
{
    m_charAttributes.Load(table);
    m_skillAttributes.Load(table);
    // The offensive and retaliation stores load here, in that order.
    m_defenseAttributes.Load(table);
}

void AttributePak::GetCharAttributes(CharAttributeAccumulator& acc, unsigned level) const
{
    m_charAttributes.AddToAccumulator(acc, level);
}

void AttributePak::GetSkillAttributes(SkillAttributeAccumulator& acc, unsigned level) const
{
    m_skillAttributes.AddToAccumulator(acc, level);
}

// The offensive store's damage and modifier collections, and the retaliation store's
// damage then modifiers, join these three with the skill kinds of those stores.
void AttributePak::GetOffensiveDamageAttributes(CombatAttributeAccumulator&, unsigned) const {}
void AttributePak::GetOffensiveModifierAttributes(CombatAttributeAccumulator&, unsigned) const {}
void AttributePak::GetRetaliationAttributes(CombatAttributeAccumulator&, unsigned) const {}

void AttributePak::GetDefenseAttributes(CombatAttributeAccumulator& acc, unsigned level) const
{
    m_defenseAttributes.AddToAccumulator(acc, level);
}

void AttributePak::GetUIDisplayText(unsigned level, GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    // The offensive store's three lists come first.
    DefenseAttributeStore::TextList defenseBase, defenseBonus;
    m_defenseAttributes.CreateText(defenseBase, defenseBonus, level);
    AppendGameTextLines(defenseBase, textClass, lines);
    AppendGameTextLines(defenseBonus, textClass, lines);
    // The retaliation store's three lists follow the defence lines.
    CharAttributeStore::TextList charBase, charBonus;
    m_charAttributes.CreateText(charBase, charBonus, level);
    AppendGameTextLines(charBase, textClass, lines);
    AppendGameTextLines(charBonus, textClass, lines);
    SkillAttributeStore::TextList skillLines;
    m_skillAttributes.CreateText(skillLines, level);
    AppendGameTextLines(skillLines, textClass, lines);
}

}  // namespace GAME
