// An item that a character wears or wields: armour, jewellery, weapons, shields. Its
// attribute stores are rebuilt from its identity (records and seed) when it is
// initialised, and add the item's share to its wearer's attacks and defences.
#pragma once

#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/combat/SkillAttributeStore.h"
#include "Game/items/Item.h"

namespace GAME {

class CombatAttributeAccumulator;

class ItemEquipment : public Item {
    GAME_DECLARE_CLASS(ItemEquipment)

public:
    // Loads every store from the base, prefix and suffix records with one generator
    // seeded from the identity, in the order character, skill, damage, retaliation,
    // defence, so each store's draws follow those of the stores before it; then scales
    // them by the loot scale and sums their costs.
    void InitializeItem() override;

    // The item's defences and retaliation for an attack on its wearer, at level 1.
    virtual void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;

    bool IsArmor() const { return m_armor; }
    bool HasBaseProtection() const { return m_baseProtection; }
    CombatAttributeRegion GetArmorRegion() const { return m_armorRegion; }

    // ---- Character, skill and defence attributes --------------------------------------
    const CharAttributeStore_Equipment& GetCharAttrStore() const { return m_charAttributes; }
    const SkillAttributeStore_Equipment& GetSkillAttrStore() const { return m_skillAttributes; }
    const DefenseAttributeStore_Equipment& GetDefenseAttrStore() const { return m_defenseAttributes; }
    const CostInfo_CharacterAttributes& GetCharCostInfo() const { return m_charCost; }
    const CostInfo_SkillAttributes& GetSkillCostInfo() const { return m_skillCost; }
    const CostInfo_DefenseAttributes& GetDefenseCostInfo() const { return m_defenseCost; }

protected:
    // Kinds say what they are: armour has no base attack speed and has base protection;
    // an armour piece covers one region of the body.
    void SetArmor(bool armor) { m_armor = armor; }
    void SetBaseProtection(bool baseProtection) { m_baseProtection = baseProtection; }
    void SetArmorRegion(CombatAttributeRegion region) { m_armorRegion = region; }

private:
    bool m_armor = false;
    bool m_baseProtection = false;
    CombatAttributeRegion m_armorRegion = CombatAttributeRegion_FullyProtected;

    // ---- Character, skill and defence attributes --------------------------------------
    CharAttributeStore_Equipment m_charAttributes;
    SkillAttributeStore_Equipment m_skillAttributes;
    DefenseAttributeStore_Equipment m_defenseAttributes;
    CostInfo_CharacterAttributes m_charCost;
    CostInfo_SkillAttributes m_skillCost;
    CostInfo_DefenseAttributes m_defenseCost;
};

}  // namespace GAME
