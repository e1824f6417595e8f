// The game engine's item services: the shared item sets and the presentation of item
// classifications (colour, sparkle, text class) and their record words.
#include <iterator>

#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/ItemSet.h"

namespace GAME {

namespace {

struct ClassificationWord {
    const char* word;
    ItemClassification classification;
};
constexpr ClassificationWord kClassificationWords[] = {
    {"Common", ItemClassification_Common}, {"Magical", ItemClassification_Magical},
    {"Rare", ItemClassification_Rare},     {"Epic", ItemClassification_Epic},
    {"Legendary", ItemClassification_Legendary}, {"Broken", ItemClassification_Broken},
    {"Potion", ItemClassification_Potion}, {"Relic", ItemClassification_Relic},
    {"Quest", ItemClassification_Quest},
};

}  // namespace

void GameEngine::LoadItemSet(const std::string& recordName)
{
    if (recordName.empty())
        return;
    std::string key = GetNormalizedPath(recordName);
    if (m_itemSets.contains(key))
        return;
    auto set = std::make_unique<ItemSet>();
    set->LoadFromDatabase(recordName);
    m_itemSets.emplace(std::move(key), set.get());
    m_loadedItemSets.push_back(std::move(set));
    AttributePak::SharedValuesChanged();
}

ItemSet* GameEngine::GetItemSet(const std::string& name) const
{
    const auto found = m_itemSets.find(GetNormalizedPath(name));
    return found != m_itemSets.end() ? found->second : nullptr;
}

void GameEngine::RegisterItemSet(const std::string& name, ItemSet* set)
{
    m_itemSets[GetNormalizedPath(name)] = set;
    AttributePak::SharedValuesChanged();
}

std::u16string GameEngine::GetItemColorText(ItemClassification classification) const
{
    const ItemClassificationEntry* entry = GetItemClassification(classification);
    return entry ? entry->color : std::u16string();
}

std::string GameEngine::GetItemSparkleName(ItemClassification classification) const
{
    const ItemClassificationEntry* entry = GetItemClassification(classification);
    return entry ? entry->sparkle : std::string();
}

GameTextClass GameEngine::GetItemTextClass(ItemClassification classification) const
{
    const ItemClassificationEntry* entry = GetItemClassification(classification);
    return entry ? entry->textClass : GameTextClass::ItemNameCommon;
}

ItemClassification GameEngine::ResolveItemClassificationEnum(const std::string& word)
{
    for (const ClassificationWord& entry : kClassificationWords)
        if (word == entry.word)
            return entry.classification;
    return ItemClassification_Common;
}

}  // namespace GAME
