// An item that a character wears or wields: armour, jewellery, weapons, shields.
#pragma once

#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/RetaliationAttributeStore.h"
#include "Game/items/Item.h"

namespace GAME {

class CombatAttributeAccumulator;

class ItemEquipment : public Item {
    GAME_DECLARE_CLASS(ItemEquipment)

public:
    // The item's defences and retaliation for an attack on its wearer. The item's
    // attribute stores add to these; a plain item adds nothing.
    virtual void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;

    // Rebuilds the item's rolled attributes from its identity: when its base record
    // resolves, every store loads from the base record and the prefix and suffix records
    // the identity names, jittering with one generator seeded with the identity's seed,
    // so the same identity gives the same item on every peer. Then the loot scale (the
    // prefix's and suffix's plus the item's own) scales every store, and each store's cost
    // is summed. Running it again rebuilds the attributes from scratch.
    virtual void InitializeItem();

    // Armour and jewellery (set by Armor); weapons and shields are not.
    bool IsArmor() const { return m_armor; }

    // ---- Damage and retaliation -------------------------------------------------------
    // An item always offers its attributes at level 1.
    static constexpr unsigned kAttributeLevel = 1;

    // The item's offensive damage, then its offensive modifiers, for its wearer's attack.
    void GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    void GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;
    const DamageAttributeStore_Equipment& GetDamageAttrStore() const { return m_damageAttributes; }
    const RetaliationAttributeStore_Equipment& GetRetaliationAttrStore() const { return m_retaliationAttributes; }
    const CostInfo_DamageAttributes& GetDamageCostInfo() const { return m_damageCost; }
    const CostInfo_DamageAttributes& GetRetaliationCostInfo() const { return m_retaliationCost; }

protected:
    bool m_armor = false;

private:
    DamageAttributeStore_Equipment m_damageAttributes;
    RetaliationAttributeStore_Equipment m_retaliationAttributes;
    CostInfo_DamageAttributes m_damageCost;
    CostInfo_DamageAttributes m_retaliationCost;
    // ---- end of damage and retaliation ------------------------------------------------
};

}  // namespace GAME
