#include "Game/items/ItemEquipment.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/DamageAttributeArithmetic.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ItemEquipment, Item)

namespace {

// An item's level in the attacks and defences of its wearer.
constexpr unsigned kItemLevel = 1;

constexpr const char* kLootScaleKey = "lootRandomizerScale";
constexpr const char* kAttributeScaleKey = "attributeScalePercent";

// A prefix or suffix record, when the item names one.
const LoadTable* OpenRecord(const std::string& recordName)
{
    return recordName.empty() ? nullptr : ObjectManager::Get().LoadTableFile(recordName);
}

}  // namespace

void ItemEquipment::InitializeItem()
{
    Item::InitializeItem();
    const ItemReplicaInfo& replica = GetItemReplicaInfo();
    const LoadTable* base = ObjectManager::Get().LoadTableFile(replica.baseName);
    if (!base)
        return;
    const LoadTable* prefix = OpenRecord(replica.prefixName);
    const LoadTable* suffix = OpenRecord(replica.suffixName);

    // One generator for every store, in this order: each store's draws follow those of
    // the stores before it, so the same seed rebuilds the same item on every peer.
    RandomUniform rng;
    rng.Seed(replica.seed);
    m_charAttributes.SetRandomGen(&rng);
    m_charAttributes.Load(*base, prefix, suffix, m_armor);
    m_skillAttributes.SetRandomGen(&rng);
    m_skillAttributes.Load(*base, prefix, suffix, m_armor);
    // The damage store (DamageAttributeStore_Equipment) and then the retaliation store
    // (RetaliationAttributeStore_Equipment) load here, with the same generator and the
    // armour flag.
    m_defenseAttributes.SetRandomGen(&rng);
    m_defenseAttributes.Load(*base, prefix, suffix, m_baseProtection, m_armorRegion);

    // The prefix's and the suffix's loot scale, then the item's own.
    float scale = 0.0f;
    for (const LoadTable* record : {prefix, suffix})
        if (record)
            scale = AddInRange(scale, record->GetFloat(kLootScaleKey, 0.0f));
    scale = AddInRange(scale, base->GetFloat(kAttributeScaleKey, 0.0f));
    if (scale != 0.0f) {
        m_charAttributes.ScaleAttributes(scale);
        m_skillAttributes.ScaleAttributes(scale);
        // The damage and retaliation stores scale here.
        m_defenseAttributes.ScaleAttributes(scale);
    }

    m_charCost = {};
    m_skillCost = {};
    m_defenseCost = {};
    m_charAttributes.GetCostInfo(m_charCost);
    m_skillAttributes.GetCostInfo(m_skillCost);
    // The damage and retaliation stores' costs are summed here.
    m_defenseAttributes.GetCostInfo(m_defenseCost);

    // The generator lives only for this call.
    m_charAttributes.SetRandomGen(nullptr);
    m_skillAttributes.SetRandomGen(nullptr);
    // The damage and retaliation stores let go of it here.
    m_defenseAttributes.SetRandomGen(nullptr);
}

void ItemEquipment::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_defenseAttributes.AddToAccumulator(accumulator, kItemLevel);
    // An attached relic's defences follow, once items hold relics.
}

void ItemEquipment::GetRetaliationAttributes(CombatAttributeAccumulator&) const {}

}  // namespace GAME
