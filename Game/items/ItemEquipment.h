// An item that a character wears or wields: armour, jewellery, weapons, shields. It is a
// base record with an optional prefix and suffix record; from these three records and the
// identity's seed it rebuilds, always in the same order, its five attribute stores, its
// requirements, its cost, its racial bonuses and its skill augments. It may hold one relic
// and belong to an item set. Everything it gives its wearer goes through Item's getters,
// which add the stores' values and then the installed relic's.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Game/combat/CharAttributeStore.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DamageAttributeStore.h"
#include "Game/combat/DefenseAttributeStore.h"
#include "Game/combat/RetaliationAttributeStore.h"
#include "Game/combat/SkillAttributeStore.h"
#include "Engine/Texture.h"
#include "Game/items/Item.h"
#include "Game/items/ItemCostInfo.h"
#include "Game/items/ItemSkillAugment.h"

namespace GAME {

class CombatAttributeAccumulator;
class DesignerEquation_Algebra;
class ItemRelic;
class RacialBonus;

class ItemEquipment : public Item {
    GAME_DECLARE_CLASS(ItemEquipment)

public:
    // An item always offers its attributes at level 1.
    static constexpr unsigned kAttributeLevel = 1;
    // The item-cost record when neither the item's record nor the game's names one.
    static constexpr const char* kDefaultItemCostRecord = "Records/Game/ItemCost.dbr";

    ItemEquipment();
    ~ItemEquipment() override;

    // Counts the changes that may alter what worn equipment adds to any wearer's
    // attributes, or the hands it makes: an item attached or detached, an item loaded,
    // an item's or a relic's stores rebuilt, a relic put in, taken out or levelled, an
    // item or relic destroyed, a piece of an item set counted or uncounted. A sum of worn
    // equipment kept against the count stays right while the count stands.
    static uint32_t GetAttributeRevision();
    static void AttributesChanged();
    // Leaves the worn sums, which may have counted it, to be summed again.
    void OnDestroy() override;

    // The item's keys, its base record's skill augments and the five formulas of its
    // item-cost record (read under the kind's key names).
    void Load(const LoadTable& table) override;
    // The formula variables of the cost records, the costs and the scale; each name bound
    // once to where its value lives. Every name is bound inside ItemEquipment, at the same
    // place in every item, and the kinds bind none of their own: the cost formulas of a
    // record are compiled once and moved onto each item (SetCostEquation).
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) final;

    // Rebuilds everything rolled from the identity, from scratch: record values are kept
    // apart from results, so a second run equals a fresh item. A worn item takes its
    // augments off its wearer first and puts them back after.
    void InitializeItem() override;

    // The female art for a female carrier when the record has one; each texture is loaded
    // once, on first use.
    Texture* GetBitmap() override;
    // The installed relic's overlay; none without a relic.
    Texture* GetUIBitmapOverlay() override;
    void GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const override;
    void GetUIRequirementText(const Character* character, std::vector<GameTextLine>& lines) const override;
    void GetCharAttributes(CharAttributeAccumulator& accumulator) const override;
    void GetSkillAttributes(SkillAttributeAccumulator& accumulator) const override;
    void GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const override;
    void GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const override;
    void GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const override;
    void GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const override;
    void ContributeRacialBonusDamage(const std::vector<std::string>& races, RacialBonus_Damage& bonus) const override;
    void ContributeRacialBonusDefense(const std::vector<std::string>& races, RacialBonus_Defense& bonus) const override;
    // The item's own requirement, or the relic's when that is greater.
    uint32_t GetLevelRequirement() const override;
    uint32_t GetStrengthRequirement() const override;
    uint32_t GetDexterityRequirement() const override;
    uint32_t GetIntelligenceRequirement() const override;
    // The level test, then strength, dexterity and intelligence with the kind's, the
    // class's and the global requirement reductions.
    bool AreRequirementsMet(const Character* character) const override;
    void AttachItem(Character& character, const std::string& bone) override;
    void DetachItem(Character& character) override;
    void UpdateReplicaInfo() override;
    // The rolled cost plus the relic's, held at the largest whole number.
    uint32_t GetItemCost(bool flag) const override;
    void DumpCostAttributes() const override;
    ItemClassification GetItemClassification() const override;
    uint32_t GetTotalAttrCostCount() const override;

    // ---- The kinds' hooks -------------------------------------------------------------
    // Reads a kind's extra prefix and suffix keys; the last step of InitializeItem.
    virtual void InitializeEquipmentSpecial(const LoadTable* /*prefix*/, const LoadTable* /*suffix*/) {}
    // A kind's base statistics, right after the name and description.
    virtual void CreateUIAttributeText(std::vector<GameTextLine>& /*lines*/) const {}

    // ---- Relic ------------------------------------------------------------------------
    bool HasRelic() const { return GetRelic() != nullptr; }
    ItemRelic* GetRelic() const;
    // Replaces the installed relic (taking the old one off the wearer) with one made from
    // that record, bonus and level; an empty name leaves the slot empty. The identity names
    // what was asked for.
    void AddRelic(const std::string& name, const std::string& bonus, uint32_t level);

    // ---- Rolled parts -----------------------------------------------------------------
    // Appends the record's racial bonus when it defines one.
    void CreateItemRacialBonus(const LoadTable& table);
    // Appends the record's skill augments to those held.
    void LoadSkillAugments(const LoadTable& table);
    void GetUIDisplayText_RacialBonus(std::vector<GameTextLine>& lines) const;
    const std::vector<std::unique_ptr<RacialBonus>>& GetRacialBonuses() const { return m_racialBonuses; }
    const ItemSkillAugment& GetSkillAugment() const { return m_skillAugment; }
    const std::string& GetItemSetName() const { return m_itemSetName; }
    const std::string& GetPrefixDisplayTag() const { return m_prefixDisplayTag; }
    const std::string& GetSuffixDisplayTag() const { return m_suffixDisplayTag; }
    float GetMarketAdjustmentPercent() const { return m_marketAdjustmentPercent; }

    // ---- Formulas (each replaces the one held; a text that does not parse is logged) ---
    void SetItemCostEquation(const std::string& text);
    void SetStrengthEquation(const std::string& text);
    void SetDexterityEquation(const std::string& text);
    void SetIntelligenceEquation(const std::string& text);
    void SetLevelRequirementEquation(const std::string& text);

    // Armour and jewellery (set by Armor); weapons and shields are not. Armour has base
    // protection; an armour piece covers one region of the body.
    bool IsArmor() const { return m_armor; }
    bool HasBaseProtection() const { return m_baseProtection; }
    CombatAttributeRegion GetArmorRegion() const { return m_armorRegion; }

    // ---- Stores and cost records ------------------------------------------------------
    // The five attribute stores of an equipment item.
    struct AttributeStores {
        CharAttributeStore_Equipment& character;
        SkillAttributeStore_Equipment& skill;
        DamageAttributeStore_Equipment& damage;
        RetaliationAttributeStore_Equipment& retaliation;
        DefenseAttributeStore_Equipment& defense;
    };
    // Loads the stores from the base record and the affixes with one generator, in the
    // order above: each store draws after the stores before it, so the order is part of
    // every peer's identical roll. The stores keep drawing from the generator afterwards
    // (their jitter), so it must outlive their use.
    static void LoadAttributeStores(const AttributeStores& stores, RandomUniform& generator, const LoadTable& base,
                                    const LoadTable* prefix, const LoadTable* suffix, bool armor, bool baseProtection,
                                    CombatAttributeRegion region);
    const CharAttributeStore_Equipment& GetCharAttrStore() const { return m_charAttributes; }
    const SkillAttributeStore_Equipment& GetSkillAttrStore() const { return m_skillAttributes; }
    const DefenseAttributeStore_Equipment& GetDefenseAttrStore() const { return m_defenseAttributes; }
    const DamageAttributeStore_Equipment& GetDamageAttrStore() const { return m_damageAttributes; }
    const RetaliationAttributeStore_Equipment& GetRetaliationAttrStore() const { return m_retaliationAttributes; }
    const CostInfo_CharacterAttributes& GetCharCostInfo() const { return m_charCost; }
    const CostInfo_SkillAttributes& GetSkillCostInfo() const { return m_skillCost; }
    const CostInfo_DefenseAttributes& GetDefenseCostInfo() const { return m_defenseCost; }
    const CostInfo_DamageAttributes& GetDamageCostInfo() const { return m_damageCost; }
    const CostInfo_DamageAttributes& GetRetaliationCostInfo() const { return m_retaliationCost; }
    const CostInfo_SkillAugment& GetSkillAugmentCostInfo() const { return m_augmentCost; }
    const CostInfo_ShieldBlock& GetShieldBlockCostInfo() const { return m_shieldBlockCost; }

    // The item-cost record's key names of a kind, in the order cost, strength, dexterity,
    // intelligence, level requirement.
    enum CostKey { CostKey_Cost, CostKey_Strength, CostKey_Dexterity, CostKey_Intelligence, CostKey_Level, CostKey_Count };
    using CostKeys = std::array<std::string, CostKey_Count>;

protected:
    // Requirement reductions of the kind and of its class, strength, dexterity and
    // intelligence; 0 is none.
    struct ReductionTypes {
        CharAttributeType strength = CharAttributeType(0);
        CharAttributeType dexterity = CharAttributeType(0);
        CharAttributeType intelligence = CharAttributeType(0);
    };

    // Sets the kind's item-cost keys (the cost key, then for a requirement stem such as
    // "sword" its strength, dexterity, intelligence and level formula keys, all empty for
    // an empty stem) and its three consecutive requirement reductions from the first
    // (strength; 0 gives none).
    void SetKindKeys(const char* costKey, const char* requirementStem, uint32_t firstKindReduction);

    bool m_armor = false;
    bool m_baseProtection = false;
    CombatAttributeRegion m_armorRegion = CombatAttributeRegion_FullyProtected;
    // The kind's keys, made once per kind and shared by its items: an item is made for
    // every stock entry, loot drop and replica, and its kind is set twice on the way (the
    // class's, then the kind's).
    const CostKeys* m_costKeys = nullptr;
    ReductionTypes m_classReductions;
    ReductionTypes m_kindReductions;
    CostInfo_ShieldBlock m_shieldBlockCost;   // the shield kind fills it
    std::string m_itemNameTag;
    std::string m_itemQualityTag;
    std::string m_itemStyleTag;

private:
    // What the character has and the reductions it enjoys, for strength, dexterity and
    // intelligence; all 0 without a character.
    struct RequirementInputs {
        std::array<float, 3> have{};
        std::array<float, 3> reduction{};
    };
    RequirementInputs GetRequirementInputs(const Character* character) const;
    float ReductionOf(const Character& character, CharAttributeType kind, CharAttributeType cls) const;
    void SetEquation(std::unique_ptr<DesignerEquation_Algebra>& slot, const std::string& text, const char* key);
    // The formula of a cost key, and that formula read from the cost record.
    std::unique_ptr<DesignerEquation_Algebra>& CostEquation(CostKey key);
    void SetCostEquation(CostKey key, const LoadTable& costs);
    // Everything a rebuild raises or appends, back to what the item's record gives.
    void RestoreRecordValues();
    void ReadAffix(const LoadTable& affix, std::string& displayTag, uint32_t& cost, float& scale,
                   uint32_t& levelRequirement, bool hideName);
    // The relic's share of the wearer's skills and set.
    void InstallRelic(Character& character);
    void RemoveRelic(Character& character);

    // The stores in the order they load.
    CharAttributeStore_Equipment m_charAttributes;
    CharAttributeContribution m_charContribution;   // of the finished store
    SkillAttributeStore_Equipment m_skillAttributes;
    DamageAttributeStore_Equipment m_damageAttributes;
    RetaliationAttributeStore_Equipment m_retaliationAttributes;
    DefenseAttributeStore_Equipment m_defenseAttributes;
    CostInfo_CharacterAttributes m_charCost;
    CostInfo_SkillAttributes m_skillCost;
    CostInfo_DefenseAttributes m_defenseCost;
    CostInfo_DamageAttributes m_damageCost;
    CostInfo_RetaliationAttributes m_retaliationCost;
    CostInfo_SkillAugment m_augmentCost;
    std::vector<std::unique_ptr<RacialBonus>> m_racialBonuses;
    float m_attributeScalePercent = 0.0f;
    std::unique_ptr<DesignerEquation_Algebra> m_costEquation;
    std::unique_ptr<DesignerEquation_Algebra> m_strengthEquation;
    std::unique_ptr<DesignerEquation_Algebra> m_dexterityEquation;
    std::unique_ptr<DesignerEquation_Algebra> m_intelligenceEquation;
    std::unique_ptr<DesignerEquation_Algebra> m_levelRequirementEquation;
    std::string m_bitmapName;
    std::string m_femaleBitmapName;
    std::unique_ptr<Texture> m_bitmap;         // loaded on first use
    std::unique_ptr<Texture> m_femaleBitmap;
    std::string m_itemSetName;
    ItemSkillAugment m_skillAugment;
    uint32_t m_relicId = 0;   // owned through the object manager
    bool m_hidePrefixName = false;
    bool m_hideSuffixName = false;
    uint32_t m_cost = 0;
    uint32_t m_prefixCost = 0;
    uint32_t m_suffixCost = 0;
    float m_marketAdjustmentPercent = 0.0f;
};

}  // namespace GAME
