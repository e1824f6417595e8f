#include "Game/items/LootLoader.h"

#include <cstring>
#include <string>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/loot/LootBase.h"
#include "Game/items/loot/LootTable.h"

namespace GAME {

namespace {

constexpr const char* kLocationWords[LootLoader::LocationCount] = {
    "Head", "Neck", "Torso", "LowerBody", "Forearm", "LeftHand", "RightHand", "Finger1", "Finger2", "Misc1", "Misc2",
    "Misc3",
};

constexpr const char* kOwner = "LootLoader";

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
    const std::string names = std::string("loot") + word + "Item";
    const std::string weights = std::string("chanceToEquip") + word + "Item";
    m_list.Load(table, kOwner, names.c_str(), weights.c_str(), count, index);
}

void LootLoader::Load(const LoadTable& table, const char* namePrefix, const char* weightPrefix, uint32_t count,
                      uint32_t index)
{
    m_list.Clear();
    if (!namePrefix || !weightPrefix)
        return;
    m_list.Load(table, kOwner, namePrefix, weightPrefix, count, index);
}

bool LootLoader::RollMiscSlot(const LoadTable& table, int slot, uint32_t difficulty, RandomUniform& random,
                              ItemReplicaInfo& item) const
{
    if (slot < 1 || slot > 3)
        return false;
    const Location location = static_cast<Location>(Misc1 + (slot - 1));
    const std::string chanceKey = std::string("chanceToEquip") + GetLocationWord(location);
    const float chance = table.GetFloat(chanceKey.c_str(), 0.0f);
    if (!(random.FGenerate(0.1f, 100.0f) <= chance))
        return false;
    LootLoader pick = *this;
    pick.Load(table, location, kMaxLocationEntries, difficulty);
    pick.GetLootName(item.baseName, item.prefixName, item.suffixName, random);
    return !item.baseName.empty();
}

void LootLoader::GetLootName(std::string& base, std::string& prefix, std::string& suffix, RandomUniform& random)
{
    if (const std::string* picked = m_list.Pick(random))
        base = *picked;
    if (base.empty())
        return;
    if (std::unique_ptr<LootBase> table = LootBase::Create(base)) {
        table->SetNoBrokenItems(m_noBrokenItems);
        table->SetRandomizerWeightModifiers(m_weightModifiers);
        table->SetLevel(m_level1, m_level2);
        int depth = LootLimits::kNestingDepth;
        table->GetLootName(base, prefix, suffix, random, depth);
        return;
    }
    ValidateSelectLootRecursive(base, prefix, suffix, LootLimits::kNestingDepth, random);
}

void LootLoader::ValidateSelectLootRecursive(std::string& base, std::string& prefix, std::string& suffix, int depth,
                                             RandomUniform& random)
{
    for (; !base.empty(); --depth) {
        LootTable table;
        if (!table.ManualLoad(base))
            return;
        table.GetLootName(base, prefix, suffix, random);
        if (depth <= 0) {
            if (std::strcmp(GetRecordClassName(base), "LootTable") == 0)
                gEngine->Log(LOG_WARNING, "Recursion too deep on LootLoader prefix (%s) or suffix (%s)",
                             prefix.c_str(), suffix.c_str());
            return;
        }
    }
}

}  // namespace GAME
