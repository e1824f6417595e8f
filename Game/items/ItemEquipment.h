// An item that a character wears or wields: armour, jewellery, weapons, shields. Its five
// attribute stores are rebuilt from its identity (records and seed) when it is
// initialised, and add the item's share to its wearer's attacks and defences.
#pragma once

#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/combat/RetaliationAttributeStore.h"
#include "Game/combat/SkillAttributeStore.h"
#include "Game/items/Item.h"

namespace GAME {

class CombatAttributeAccumulator;

class ItemEquipment : public Item {
    GAME_DECLARE_CLASS(ItemEquipment)

public:
    // An item always offers its attributes at level 1.
    static constexpr unsigned kAttributeLevel = 1;

    // Rebuilds the item's rolled attributes from its identity: when its base record
    // resolves, every store loads from the base record and the prefix and suffix records
    // the identity names, in the order character, skill, damage, retaliation, defence,
    // jittering with one generator seeded with the identity's seed, so each store's draws
    // follow those of the stores before it and the same identity gives the same item on
    // every peer. Then the loot scale (the prefix's and suffix's plus the item's own)
    // scales every store, and each store's cost is summed. Running it again rebuilds the
    // attributes from scratch.
    void InitializeItem() override;

    // The item's defences and retaliation for an attack on its wearer, at level 1.
    virtual void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const;
    virtual void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const;

    // Armour and jewellery (set by Armor); weapons and shields are not. Armour has base
    // protection; an armour piece covers one region of the body.
    bool IsArmor() const { return m_armor; }
    bool HasBaseProtection() const { return m_baseProtection; }
    CombatAttributeRegion GetArmorRegion() const { return m_armorRegion; }

    // ---- Character, skill and defence attributes --------------------------------------
    const CharAttributeStore_Equipment& GetCharAttrStore() const { return m_charAttributes; }
    // What the character attributes add to the wearer's totals (at level 1).
    void GetCharAttributes(CharAttributeAccumulator& accumulator) const { m_charContribution.AddToAccumulator(accumulator); }
    const SkillAttributeStore_Equipment& GetSkillAttrStore() const { return m_skillAttributes; }
    const DefenseAttributeStore_Equipment& GetDefenseAttrStore() const { return m_defenseAttributes; }
    const CostInfo_CharacterAttributes& GetCharCostInfo() const { return m_charCost; }
    const CostInfo_SkillAttributes& GetSkillCostInfo() const { return m_skillCost; }
    const CostInfo_DefenseAttributes& GetDefenseCostInfo() const { return m_defenseCost; }
    // ---- end of character, skill and defence attributes -------------------------------

    // ---- Damage and retaliation -------------------------------------------------------
    // The item's offensive damage, then its offensive modifiers, for its wearer's attack.
    void GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const;
    void GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const;
    const DamageAttributeStore_Equipment& GetDamageAttrStore() const { return m_damageAttributes; }
    const RetaliationAttributeStore_Equipment& GetRetaliationAttrStore() const { return m_retaliationAttributes; }
    const CostInfo_DamageAttributes& GetDamageCostInfo() const { return m_damageCost; }
    const CostInfo_DamageAttributes& GetRetaliationCostInfo() const { return m_retaliationCost; }
    // ---- end of damage and retaliation ------------------------------------------------

protected:
    bool m_armor = false;
    bool m_baseProtection = false;
    CombatAttributeRegion m_armorRegion = CombatAttributeRegion_FullyProtected;

private:
    // The stores in the order they load.
    CharAttributeStore_Equipment m_charAttributes;
    CharAttributeContribution m_charContribution;   // of the finished store
    SkillAttributeStore_Equipment m_skillAttributes;
    DamageAttributeStore_Equipment m_damageAttributes;
    RetaliationAttributeStore_Equipment m_retaliationAttributes;
    DefenseAttributeStore_Equipment m_defenseAttributes;
    CostInfo_CharacterAttributes m_charCost;
    CostInfo_SkillAttributes m_skillCost;
    CostInfo_DamageAttributes m_damageCost;
    CostInfo_DamageAttributes m_retaliationCost;
    CostInfo_DefenseAttributes m_defenseCost;
};

}  // namespace GAME
