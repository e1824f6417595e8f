// A fingerprint of every value an item rebuilds from its identity, read through its public
// getters: floats as bit patterns, no object ids, no sparkle timer. Two items rebuilt from
// the same identity must give the same text. Free of the test framework, so the item
// fuzz target uses it too.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Game/combat/CharAttribute.h"
#include "Game/items/Item.h"
#include "Game/items/ItemEquipment.h"

namespace GAME {

class ItemFingerprint {
public:
    explicit ItemFingerprint(const Item& item)
    {
        const ItemReplicaInfo& id = item.GetItemReplicaInfo();
        Text(id.baseName + "|" + id.prefixName + "|" + id.suffixName + "|" + id.relicName + "|" + id.relicBonus);
        for (uint32_t value : {id.seed, id.var1, uint32_t(item.IsInitialized()), uint32_t(item.GetItemClassification()),
                               item.GetItemLevel(), item.GetLevelRequirement(), item.GetStrengthRequirement(),
                               item.GetDexterityRequirement(), item.GetIntelligenceRequirement(),
                               item.GetItemCost(false), item.GetItemCost(true), item.GetBaseItemCost(),
                               uint32_t(item.GetItemType()), uint32_t(item.GetRightHandType()),
                               uint32_t(item.GetLeftHandType()), uint32_t(item.GetItemMarketType()),
                               item.GetTotalAttrCostCount(), uint32_t(item.GetCannotPickUpMultiple())})
            Number(value);
        Float(item.GetItemCostScalePercent());
        std::u16string full;
        item.GetFullItemDescription(full);
        Wide(full);
        std::vector<GameTextLine> lines;
        item.GetUIDisplayText(nullptr, lines);
        item.GetUIRequirementText(nullptr, lines);
        for (const GameTextLine& line : lines) {
            Number(uint32_t(line.textClass));
            Wide(line.text);
        }
        CharAttributeAccumulator totals;
        item.GetCharAttributes(totals);
        for (uint32_t type = 0; type < kCharAttributeTypeCount; ++type) {
            Float(totals.GetValueSum(CharAttributeType(type)));
            Float(totals.GetModifier(CharAttributeType(type)));
        }
        if (const auto* equipment = DynamicCast<ItemEquipment>(&item))
            Equipment(*equipment);
    }

    const std::string& Get() const { return m_text; }

private:
    void Equipment(const ItemEquipment& item)
    {
        std::vector<std::u16string> a, b, c;
        item.GetCharAttrStore().CreateText(a, b, ItemEquipment::kAttributeLevel);
        item.GetSkillAttrStore().CreateText(a, ItemEquipment::kAttributeLevel);
        item.GetDamageAttrStore().CreateText(a, b, c, ItemEquipment::kAttributeLevel);
        item.GetRetaliationAttrStore().CreateText(a, b, c, ItemEquipment::kAttributeLevel);
        item.GetDefenseAttrStore().CreateText(a, b, ItemEquipment::kAttributeLevel);
        for (const auto* list : {&a, &b, &c})
            for (const std::u16string& line : *list)
                Wide(line);
        const CostInfo_CharacterAttributes& ch = item.GetCharCostInfo();
        for (const CharAttributeCost* cost : {&ch.primaryValue, &ch.secondaryValue, &ch.plainValue, &ch.primaryModifier,
                                              &ch.secondaryModifier, &ch.plainModifier, &ch.attackSpeed,
                                              &ch.otherSpeed, &ch.attackSpeedModifier, &ch.otherSpeedModifier}) {
            Float(cost->sum);
            Number(cost->count);
        }
        const CostInfo_SkillAttributes& sk = item.GetSkillCostInfo();
        for (float value : {sk.valueSum, sk.prefixSuffixSum, sk.modifierSum})
            Float(value);
        Number(sk.count);
        for (const CostInfo_DamageAttributes* d : {&item.GetDamageCostInfo(), &item.GetRetaliationCostInfo()}) {
            for (float value : {d->avgBase, d->avgPierceRatio, d->avgBonus, d->avgOverTime, d->mod, d->modDur})
                Float(value);
            Number(d->count);
        }
        const CostInfo_DefenseAttributes& de = item.GetDefenseCostInfo();
        for (float value : {de.protection, de.absolute, de.duration, de.absoluteModifier, de.durationModifier})
            Float(value);
        Number(de.count);
        Number(uint32_t(item.IsArmor()));
        Number(uint32_t(item.HasBaseProtection()));
        Number(uint32_t(item.GetArmorRegion()));
    }

    void Number(uint32_t value) { m_text += std::to_string(value) + ","; }
    void Float(float value) { Number(std::bit_cast<uint32_t>(value)); }
    void Text(const std::string& text) { m_text += text + ";"; }
    void Wide(const std::u16string& text) { Text(LocalizationManager::ToChar(text)); }

    std::string m_text;
};

}  // namespace GAME
