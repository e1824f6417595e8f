// Reads one weighted list of loot names from a record (one equipment location of a
// character, or any pair of numbered keys) and resolves one pick down to an item record
// name with its prefix and suffix through the loot tables.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/items/ItemTypes.h"
#include "Game/items/loot/LootLists.h"

namespace GAME {

class LoadTable;
class RandomUniform;
struct ItemReplicaInfo;

class LootLoader {
public:
    // The equipment locations, in the order of their record words.
    enum Location : int32_t {
        Head = 0,
        Neck,
        Torso,
        LowerBody,
        Forearm,
        LeftHand,
        RightHand,
        Finger1,
        Finger2,
        Misc1,
        Misc2,
        Misc3,
        LocationCount,
    };
    // The most entries a location list reads.
    static constexpr uint32_t kMaxLocationEntries = 6;

    using Entry = RunningSumLootList::Entry;

    LootLoader() = default;
    virtual ~LootLoader() = default;

    // Reads "chanceToEquip<Location>Item<N>" and, for a weight above 0,
    // "loot<Location>Item<N>" at array position `index`, for N = 1..count. A count
    // above kMaxLocationEntries or an unknown location reads nothing. Weights adding up
    // past 2^31 - 1 are logged and leave the list empty.
    virtual void Load(const LoadTable& table, Location location, uint32_t count, uint32_t index);
    // The same with the keys "<namePrefix><N>" and "<weightPrefix><N>".
    virtual void Load(const LoadTable& table, const char* namePrefix, const char* weightPrefix, uint32_t count,
                      uint32_t index);
    // Draws one entry by weight into `base` (kept when nothing is listed), then resolves
    // it: a loot table record picks the item and its affixes with this loader's levels,
    // modifiers and no-broken flag; a plain loot table record is followed through nested
    // plain tables; any other name is an item record and comes back as it is.
    virtual void GetLootName(std::string& base, std::string& prefix, std::string& suffix, RandomUniform& random);
    // One misc slot (1 to 3) of a creature's record: "chanceToEquipMisc<N>" against a draw
    // in [0.1, 100]; on a hit, one pick among the slot's items, loaded for the difficulty
    // into a copy of this loader. The pick's names go to `item`; true when it names an item.
    bool RollMiscSlot(const LoadTable& table, int slot, uint32_t difficulty, RandomUniform& random,
                      ItemReplicaInfo& item) const;
    virtual void SetRandomizerWeightModifiers(const RandomizerWeightModifiers& modifiers) { m_weightModifiers = modifiers; }
    // While `base` names a plain loot table, replaces the three names by its pick, at most
    // depth + 1 times; a chain still going after that is logged and its last names stand.
    virtual void ValidateSelectLootRecursive(std::string& base, std::string& prefix, std::string& suffix, int depth,
                                             RandomUniform& random);

    void SetLevel(uint32_t level1, uint32_t level2)
    {
        m_level1 = level1;
        m_level2 = level2;
    }
    // Once set the flag stays.
    void SetNoBrokenItems() { m_noBrokenItems = true; }

    const std::vector<Entry>& GetEntries() const { return m_list.GetEntries(); }
    uint32_t GetTotalWeight() const { return m_list.GetTotal(); }
    static const char* GetLocationWord(Location location);

private:
    RunningSumLootList m_list;
    uint32_t m_level1 = 0;
    uint32_t m_level2 = 0;
    bool m_noBrokenItems = false;
    RandomizerWeightModifiers m_weightModifiers;
};

}  // namespace GAME
