// A plain loot table: weighted item record names with their own prefix and suffix lists
// and the weights of the four affix outcomes. Made as a local object and filled by
// ManualLoad; its names may be further loot tables, resolved by the loot loader.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Object.h"
#include "Game/items/loot/LootLists.h"

namespace GAME {

class RandomUniform;

class LootTable : public Object {
    GAME_DECLARE_CLASS(LootTable)

public:
    LootTable() = default;

    // False for an empty name or a record whose "Class" is not exactly "LootTable";
    // otherwise reads the lists and weights.
    virtual bool ManualLoad(const std::string& recordName);
    // Picks an item name, then rolls each affix list and the outcome that decides which
    // affixes stay. Nothing picked leaves all three outputs as given.
    virtual void GetLootName(std::string& name, std::string& prefix, std::string& suffix,
                             RandomUniform& random) const;
    // Uses the list when a draw of 0..100 is strictly below `chance`; the picked name is
    // followed through nested affix tables. `name` stays as given when nothing is picked.
    virtual void GetRandomizerName(const RunningSumLootList& list, float chance, std::string& name,
                                   RandomUniform& random) const;

    const RunningSumLootList& GetItems() const { return m_items; }

private:
    std::string m_recordName;
    RunningSumLootList m_items;
    float m_prefixChance = 0.0f;
    RunningSumLootList m_prefixes;
    float m_suffixChance = 0.0f;
    RunningSumLootList m_suffixes;
    uint32_t m_bothPrefixSuffix = 0;
    uint32_t m_noPrefixNoSuffix = 0;
    uint32_t m_prefixOnly = 0;
    uint32_t m_suffixOnly = 0;
};

}  // namespace GAME
