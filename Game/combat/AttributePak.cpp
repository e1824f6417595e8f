#include "Game/combat/AttributePak.h"

#include <atomic>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CombatAttributeAccumulator.h"
#include "Game/core/foundation/StringUtil.h"

namespace GAME {

namespace {
std::atomic<uint32_t> gSharedValuesRevision{0};
}  // namespace

void AttributePak::SharedValuesChanged() { gSharedValuesRevision.fetch_add(1, std::memory_order_relaxed); }

uint32_t AttributePak::GetSharedValuesRevision() { return gSharedValuesRevision.load(std::memory_order_relaxed); }

AttributePak::AttributePak() { SharedValuesChanged(); }

AttributePak::~AttributePak() { SharedValuesChanged(); }

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
    SharedValuesChanged();
    m_charAttributes.Load(table);
    m_skillAttributes.Load(table);
    m_offensiveAttributes.Load(table);
    m_retaliationAttributes.Load(table);
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

void AttributePak::GetOffensiveDamageAttributes(CombatAttributeAccumulator& acc, unsigned level) const
{
    m_offensiveAttributes.AddDamageToAccumulator(acc, level);
}

void AttributePak::GetOffensiveModifierAttributes(CombatAttributeAccumulator& acc, unsigned level) const
{
    m_offensiveAttributes.AddModifierToAccumulator(acc, level);
}

void AttributePak::GetRetaliationAttributes(CombatAttributeAccumulator& acc, unsigned level) const
{
    m_retaliationAttributes.AddDamageToAccumulator(acc, level);
    m_retaliationAttributes.AddModifierToAccumulator(acc, level);
}

void AttributePak::GetDefenseAttributes(CombatAttributeAccumulator& acc, unsigned level) const
{
    m_defenseAttributes.AddToAccumulator(acc, level);
}

void AttributePak::GetUIDisplayText(unsigned level, GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    // Offensive and retaliation stores write the same three lists.
    const auto appendDamageTexts = [&](const DamageAttributeStore& store) {
        DamageAttribute::TextList texts1, texts2, texts3;
        store.CreateText(texts1, texts2, texts3, level);
        for (const DamageAttribute::TextList* texts : {&texts1, &texts2, &texts3})
            AppendGameTextLines(*texts, textClass, lines);
    };
    appendDamageTexts(m_offensiveAttributes);

    DefenseAttributeStore::TextList defenseBase, defenseBonus;
    m_defenseAttributes.CreateText(defenseBase, defenseBonus, level);
    AppendGameTextLines(defenseBase, textClass, lines);
    AppendGameTextLines(defenseBonus, textClass, lines);

    appendDamageTexts(m_retaliationAttributes);

    CharAttributeStore::TextList charBase, charBonus;
    m_charAttributes.CreateText(charBase, charBonus, level);
    AppendGameTextLines(charBase, textClass, lines);
    AppendGameTextLines(charBonus, textClass, lines);

    SkillAttributeStore::TextList skillLines;
    m_skillAttributes.CreateText(skillLines, level);
    AppendGameTextLines(skillLines, textClass, lines);
}

}  // namespace GAME
