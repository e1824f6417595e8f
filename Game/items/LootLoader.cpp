#include "Game/items/LootLoader.h"

#include <climits>
#include <cstdio>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

namespace {

constexpr const char* kLocationWords[LootLoader::LocationCount] = {
    "Head", "Neck", "Torso", "LowerBody", "Forearm", "LeftHand", "RightHand", "Finger1", "Finger2", "Misc1", "Misc2",
    "Misc3",
};

}  // namespace

const char* LootLoader::GetLocationWord(Location location)
{
    return location >= 0 && location < LocationCount ? kLocationWords[location] : nullptr;
}

void LootLoader::Load(const LoadTable& table, Location location, uint32_t count, uint32_t index)
{
    const char* word = GetLocationWord(location);
    if (count > kMaxLocationEntries || !word)
        return;
    m_entries.clear();
    m_totalWeight = 0;
    for (uint32_t n = 1; n <= count; ++n) {
        const std::string suffix = std::string(word) + "Item" + std::to_string(n);
        AddEntry(table, "loot" + suffix, "chanceToEquip" + suffix, index);
    }
}

void LootLoader::Load(const LoadTable& table, const char* namePrefix, const char* weightPrefix, uint32_t count,
                      uint32_t index)
{
    m_entries.clear();
    m_totalWeight = 0;
    if (!namePrefix || !weightPrefix)
        return;
    for (uint32_t n = 1; n <= count; ++n)
        AddEntry(table, namePrefix + std::to_string(n), weightPrefix + std::to_string(n), index);
}

void LootLoader::AddEntry(const LoadTable& table, const std::string& nameKey, const std::string& weightKey,
                          uint32_t index)
{
    const int weight = table.GetInt(weightKey.c_str(), 0);
    if (weight <= 0)
        return;
    std::vector<std::string> names;
    table.GetStringArray(nameKey.c_str(), names);
    if (index >= names.size() || names[index].empty())
        return;
    // The draw covers 0..total as a signed number: a record whose weights add up past
    // that has the rest of its entries cut to what still fits.
    uint32_t accepted = static_cast<uint32_t>(weight);
    const uint32_t room = static_cast<uint32_t>(INT_MAX) - m_totalWeight;
    if (accepted > room) {
        gEngine->Log(LOG_WARNING, "LootLoader: weights in %s add up past %d; %s counts %u", table.GetName().c_str(),
                     INT_MAX, weightKey.c_str(), room);
        accepted = room;
    }
    if (accepted == 0)
        return;
    m_entries.push_back({names[index], accepted});
    m_totalWeight += accepted;
}

// Loot tables resolve their names further once they exist; until then every name is an
// item record and comes back as drawn.
void LootLoader::GetLootName(std::string& base, std::string& /*prefix*/, std::string& /*suffix*/,
                             RandomUniform& random)
{
    const uint32_t roll = static_cast<uint32_t>(random.IGenerate(0, static_cast<int>(m_totalWeight)));
    uint32_t sum = 0;
    for (const Entry& entry : m_entries) {
        sum += entry.weight;
        if (roll <= sum) {
            base = entry.name;
            break;
        }
    }
}

}  // namespace GAME
