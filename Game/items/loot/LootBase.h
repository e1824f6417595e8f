// Loot tables made as engine objects from their records: the base, the master table (a
// weighted list of other tables) and the fixed-weight item table. Each is made for one
// pick and destroyed after it; the dynamic-weight item table is in LootDynWeight.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Engine/Object.h"
#include "Game/items/ItemTypes.h"
#include "Game/items/loot/LootLists.h"

namespace GAME {

class RandomUniform;

class LootBase : public Object {
    GAME_DECLARE_CLASS(LootBase)

public:
    LootBase() = default;
    ~LootBase() override;

    // Resolves one drop into an item record name and its affixes. Master tables share
    // `depth` down the chain and stop when it runs out.
    virtual void GetLootName(std::string& /*base*/, std::string& /*prefix*/, std::string& /*suffix*/,
                             RandomUniform& /*random*/, int& /*depth*/)
    {
    }
    virtual void SetLevel(uint32_t /*parentLevel*/, uint32_t /*averagePlayerLevel*/) {}
    // A designer's test: each call gives the next row with every affix forced.
    virtual void OverrideTest(std::string& /*base*/, std::string& /*prefix*/, std::string& /*suffix*/,
                              RandomUniform& /*random*/)
    {
    }
    virtual void SetNoBrokenItems(bool noBrokenItems) { m_noBrokenItems = noBrokenItems; }
    virtual void SetRandomizerWeightModifiers(const RandomizerWeightModifiers& modifiers)
    {
        m_weightModifiers = modifiers;
    }

    // The table the record names, loaded, when its class is a loot table; otherwise
    // nothing, and nothing is logged (the caller decides whether that is a fault). A table
    // lives for one pick: it is made by its class's factory and owned by the caller, never
    // entered into the object manager's look-ups, so picks take no object ids.
    static std::unique_ptr<LootBase> Create(const std::string& recordName);

protected:
    // Picks the affixes of `base`'s drop with the randomizer read from this table's record.
    void PickAffixes(std::string& prefix, std::string& suffix, RandomUniform& random, bool forceEvery) const;
    // The row a designer's test takes next out of `count`; the cursor moves on and goes
    // back to 0 after the last row.
    size_t NextTestRow(size_t count);

    bool m_noBrokenItems = false;
    RandomizerWeightModifiers m_weightModifiers;

private:
    uint32_t m_testCursor = 0;
};

class LootMasterTable : public LootBase {
    GAME_DECLARE_CLASS(LootMasterTable)

public:
    LootMasterTable() = default;

    void Load(const LoadTable& table) override;
    void GetLootName(std::string& base, std::string& prefix, std::string& suffix, RandomUniform& random,
                     int& depth) override;
    void SetLevel(uint32_t parentLevel, uint32_t averagePlayerLevel) override
    {
        m_parentLevel = parentLevel;
        m_averagePlayerLevel = averagePlayerLevel;
    }

    const CumulativeLootList& GetList() const { return m_tables; }

private:
    CumulativeLootList m_tables;
    uint32_t m_parentLevel = 0;
    uint32_t m_averagePlayerLevel = 0;
};

class LootItemTable_FixedWeight : public LootBase {
    GAME_DECLARE_CLASS(LootItemTable_FixedWeight)

public:
    LootItemTable_FixedWeight() = default;

    void Load(const LoadTable& table) override;
    void GetLootName(std::string& base, std::string& prefix, std::string& suffix, RandomUniform& random,
                     int& depth) override;
    void OverrideTest(std::string& base, std::string& prefix, std::string& suffix, RandomUniform& random) override;

    const CumulativeLootList& GetList() const { return m_items; }

private:
    CumulativeLootList m_items;
};

}  // namespace GAME
