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

void ItemEquipment::GetDefenseAttributes(CombatAttributeAccumulator&) const {}

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
    const ItemReplicaInfo& identity = GetItemReplicaInfo();
    const LoadTable* base = ObjectManager::Get().LoadTableFile(GetObjectName());
    if (!base)
        return;
    const LoadTable* prefix = OpenAffix(identity.prefixName);
    const LoadTable* suffix = OpenAffix(identity.suffixName);

    // Each store draws its jitter after the stores before it, from the one generator.
    RandomUniform generator;
    generator.Seed(identity.seed);
    m_damageAttributes.SetRandomGen(&generator);
    m_damageAttributes.Load(*base, prefix, suffix, m_armor);
    m_retaliationAttributes.SetRandomGen(&generator);
    m_retaliationAttributes.Load(*base, prefix, suffix, m_armor);

    const float scale = AffixLootScale(prefix) + AffixLootScale(suffix) + base->GetFloat(kAttributeScaleKey, 0.0f);
    if (scale != 0.0f) {
        m_damageAttributes.ScaleAttributes(scale);
        m_retaliationAttributes.ScaleAttributes(scale);
    }

    m_damageCost = {};
    m_damageAttributes.GetCostInfo(m_damageCost);
    m_retaliationCost = {};
    m_retaliationAttributes.GetCostInfo(m_retaliationCost);

    // The generator lives only for this call.
    m_damageAttributes.SetRandomGen(nullptr);
    m_retaliationAttributes.SetRandomGen(nullptr);
}

}  // namespace GAME
