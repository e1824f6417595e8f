// Every value an item rebuilds from its identity, through its public getters: floats as
// bit patterns, no object ids, no sparkle timer. Two peers that rebuilt an item alike
// hold equal fingerprints; the tests, the item fuzz target and gamehost compare them.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Game/items/ItemEquipment.h"

namespace GAME {

class ItemFingerprint {
public:
    explicit ItemFingerprint(const Item& item)
    {
        const ItemReplicaInfo& id = item.GetItemReplicaInfo();
        for (const std::string* name : {&id.baseName, &id.prefixName, &id.suffixName, &id.relicName, &id.relicBonus})
            m_text += *name + ";";
        Add({id.seed, id.var1, uint32_t(item.IsInitialized()), uint32_t(item.GetItemClassification()), item.GetItemLevel(),
             item.GetLevelRequirement(), item.GetStrengthRequirement(), item.GetDexterityRequirement(),
             item.GetIntelligenceRequirement(), item.GetItemCost(false), item.GetItemCost(true),
             uint32_t(item.GetItemType()), uint32_t(item.GetRightHandType()), uint32_t(item.GetLeftHandType()),
             uint32_t(item.GetItemMarketType()), item.GetTotalAttrCostCount(), uint32_t(item.GetCannotPickUpMultiple())});
        Floats({item.GetItemCostScalePercent()});
        std::vector<std::u16string> texts(1);
        item.GetFullItemDescription(texts[0]);
        std::vector<GameTextLine> lines;
        item.GetUIDisplayText(nullptr, lines);
        item.GetUIRequirementText(nullptr, lines);
        for (const GameTextLine& line : lines)
            texts.push_back(std::u16string(1, char16_t(line.textClass)) + line.text);
        CharAttributeAccumulator totals;
        item.GetCharAttributes(totals);
        for (uint32_t type = 0; type < kCharAttributeTypeCount; ++type)
            Floats({totals.GetValueSum(CharAttributeType(type)), totals.GetModifier(CharAttributeType(type))});
        if (const auto* equipment = DynamicCast<ItemEquipment>(&item)) {
            const ItemEquipment& e = *equipment;
            const unsigned level = ItemEquipment::kAttributeLevel;
            std::vector<std::u16string> more;
            e.GetCharAttrStore().CreateText(texts, more, level);
            e.GetSkillAttrStore().CreateText(texts, level);
            e.GetDamageAttrStore().CreateText(texts, more, more, level);
            e.GetRetaliationAttrStore().CreateText(texts, more, more, level);
            e.GetDefenseAttrStore().CreateText(texts, more, level);
            texts.insert(texts.end(), more.begin(), more.end());
            const CostInfo_CharacterAttributes& c = e.GetCharCostInfo();
            for (const CharAttributeCost& cost : {c.primaryValue, c.secondaryValue, c.plainValue, c.primaryModifier,
                                                  c.secondaryModifier, c.plainModifier, c.attackSpeed, c.otherSpeed,
                                                  c.attackSpeedModifier, c.otherSpeedModifier})
                Floats({cost.sum, float(cost.count)});
            const CostInfo_SkillAttributes& s = e.GetSkillCostInfo();
            Floats({s.valueSum, s.prefixSuffixSum, s.modifierSum, float(s.count)});
            for (const CostInfo_DamageAttributes* d : {&e.GetDamageCostInfo(), &e.GetRetaliationCostInfo()})
                Floats({d->avgBase, d->avgPierceRatio, d->avgBonus, d->avgOverTime, d->mod, d->modDur, float(d->count)});
            const CostInfo_DefenseAttributes& f = e.GetDefenseCostInfo();
            Floats({f.protection, f.absolute, f.duration, f.absoluteModifier, f.durationModifier, float(f.count)});
            Add({uint32_t(e.IsArmor()), uint32_t(e.HasBaseProtection()), uint32_t(e.GetArmorRegion())});
        }
        for (const std::u16string& text : texts)
            m_text += LocalizationManager::ToChar(text) + ";";
    }

    const std::string& Get() const { return m_text; }
    // A short form to print and compare: FNV-1a over the text.
    uint64_t Digest() const
    {
        uint64_t hash = 14695981039346656037ull;
        for (unsigned char c : m_text)
            hash = (hash ^ c) * 1099511628211ull;
        return hash;
    }

private:
    void Add(std::initializer_list<uint32_t> values)
    {
        for (uint32_t value : values)
            m_text += std::to_string(value) + ",";
    }
    void Floats(std::initializer_list<float> values)
    {
        for (float value : values)
            Add({std::bit_cast<uint32_t>(value)});
    }

    std::string m_text;
};

}  // namespace GAME
