#include "Game/items/ItemEquipment.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ItemEquipment, Item)

namespace {

constexpr const char* kLootScaleKey = "lootRandomizerScale";
constexpr const char* kAttributeScaleKey = "attributeScalePercent";

// A prefix or suffix record, when the identity names one that resolves.
const LoadTable* OpenAffix(const std::string& recordName)
{
    return recordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(recordName);
}

float AffixLootScale(const LoadTable* affix) { return affix ? affix->GetFloat(kLootScaleKey, 0.0f) : 0.0f; }

}  // namespace

// An installed relic adds its defences after the item's once items carry relics.
void ItemEquipment::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_defenseAttributes.AddToAccumulator(accumulator, kAttributeLevel);
}

// An item attached to this one (a relic) adds its retaliation after the item's own once
// items carry relics.
void ItemEquipment::GetRetaliationAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_retaliationAttributes.AddDamageToAccumulator(accumulator, kAttributeLevel);
    m_retaliationAttributes.AddModifierToAccumulator(accumulator, kAttributeLevel);
}

// An installed relic adds its own after the item's once items carry relics.
void ItemEquipment::GetOffensiveDamageAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_damageAttributes.AddDamageToAccumulator(accumulator, kAttributeLevel);
}

void ItemEquipment::GetOffensiveModifierAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_damageAttributes.AddModifierToAccumulator(accumulator, kAttributeLevel);
}

void ItemEquipment::InitializeItem()
{
    Item::InitializeItem();
    m_charContribution.Clear();
    const ItemReplicaInfo& identity = GetItemReplicaInfo();
    const LoadTable* base = ObjectManager::Get().LoadTableFile(GetObjectName());
    if (!base)
        return;
    const LoadTable* prefix = OpenAffix(identity.prefixName);
    const LoadTable* suffix = OpenAffix(identity.suffixName);

    // Each store draws its jitter after the stores before it, from the one generator.
    RandomUniform generator;
    generator.Seed(identity.seed);
    m_charAttributes.SetRandomGen(&generator);
    m_charAttributes.Load(*base, prefix, suffix, m_armor);
    m_skillAttributes.SetRandomGen(&generator);
    m_skillAttributes.Load(*base, prefix, suffix, m_armor);
    m_damageAttributes.SetRandomGen(&generator);
    m_damageAttributes.Load(*base, prefix, suffix, m_armor);
    m_retaliationAttributes.SetRandomGen(&generator);
    m_retaliationAttributes.Load(*base, prefix, suffix, m_armor);
    m_defenseAttributes.SetRandomGen(&generator);
    m_defenseAttributes.Load(*base, prefix, suffix, m_baseProtection, m_armorRegion);

    const float scale = AffixLootScale(prefix) + AffixLootScale(suffix) + base->GetFloat(kAttributeScaleKey, 0.0f);
    if (scale != 0.0f) {
        m_charAttributes.ScaleAttributes(scale);
        m_skillAttributes.ScaleAttributes(scale);
        m_damageAttributes.ScaleAttributes(scale);
        m_retaliationAttributes.ScaleAttributes(scale);
        m_defenseAttributes.ScaleAttributes(scale);
    }

    m_charContribution.Build(m_charAttributes, kAttributeLevel);
    m_charCost = {};
    m_charAttributes.GetCostInfo(m_charCost);
    m_skillCost = {};
    m_skillAttributes.GetCostInfo(m_skillCost);
    m_damageCost = {};
    m_damageAttributes.GetCostInfo(m_damageCost);
    m_retaliationCost = {};
    m_retaliationAttributes.GetCostInfo(m_retaliationCost);
    m_defenseCost = {};
    m_defenseAttributes.GetCostInfo(m_defenseCost);

    // The generator lives only for this call.
    m_charAttributes.SetRandomGen(nullptr);
    m_skillAttributes.SetRandomGen(nullptr);
    m_damageAttributes.SetRandomGen(nullptr);
    m_retaliationAttributes.SetRandomGen(nullptr);
    m_defenseAttributes.SetRandomGen(nullptr);
}

}  // namespace GAME
