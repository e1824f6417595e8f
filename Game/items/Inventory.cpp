#include "Game/items/Inventory.h"

#include <algorithm>

#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Item.h"
#include "Game/items/ItemRelic.h"
#include "Game/items/OneShot.h"

namespace GAME {

Inventory::Inventory() : m_listener("GameEvent_ItemAdd", &Inventory::OnItemAdd, this) {}

Inventory::~Inventory()
{
    DestroyAllObjects();
}

namespace {

// Tutorial pages the local player's inventory unlocks.
constexpr unsigned kTutorialPagePotion = 13;
constexpr unsigned kTutorialPageRelic = 18;
constexpr unsigned kTutorialPageSack = 24;

// Whether the object is of the one-shot kind of that name; never when no kind bears it.
// The sack one-shot is told apart by its registered class name.
bool IsOneShotNamed(const Object& object, const char* name)
{
    const RTTI_ClassInfo* info = OneShot::GetStaticClassInfo().FindClassByName(name);
    return info && object.IsA(*info);
}

}  // namespace

void Inventory::FeedTutorial(uint32_t itemId) const
{
    if (!gGameEngine)
        return;
    const uint32_t playerId = gGameEngine->GetPlayerId();
    if (playerId != 0 && playerId != m_ownerId)
        return;
    GameEngine::TutorialWatch& watch = gGameEngine->GetTutorialWatch();
    ++watch.itemsReceived;
    const Object* object = ObjectManager::Get().GetObject(itemId);
    if (!object)
        return;
    if (object->IsA<OneShot_PotionHealth>() || object->IsA<OneShot_PotionMana>()) {
        watch.potionReceived = true;
        gGameEngine->UnlockTutorialPage(kTutorialPagePotion, true);
    } else if (IsOneShotNamed(*object, "OneShot_Sack")) {
        gGameEngine->UnlockTutorialPage(kTutorialPageSack, true);
    } else if (object->IsA<ItemRelic>()) {
        gGameEngine->UnlockTutorialPage(kTutorialPageRelic, true);
    }
}

void Inventory::AddItemToInventory(uint32_t itemId, bool flag)
{
    // The tutorial counts every arrival, an item already listed included.
    FeedTutorial(itemId);
    if (Item* item = ObjectManager::Get().GetObject<Item>(itemId))
        item->SetGender(static_cast<Character_Gender>(m_gender));
    if (itemId == 0 || IsItemInInventory(itemId))
        return;
    // Announced before it is listed: a listener sees the inventory as it was.
    GameEvent_ItemAdd event;
    event.ownerId = m_ownerId;
    event.itemId = itemId;
    event.flag = flag;
    EventManager::Get().Send(event, "GameEvent_ItemAdd");
    m_items.push_back(itemId);
}

void Inventory::RemoveItemFromInventory(uint32_t itemId)
{
    if (itemId != 0)
        std::erase(m_items, itemId);
}

uint32_t Inventory::PopInventoryItem()
{
    if (m_items.empty())
        return 0;
    const uint32_t itemId = m_items.front();
    m_items.erase(m_items.begin());
    return itemId;
}

bool Inventory::IsItemInInventory(uint32_t itemId) const
{
    return std::find(m_items.begin(), m_items.end(), itemId) != m_items.end();
}

bool Inventory::IsItemInInventory(const std::string& recordName) const
{
    for (uint32_t itemId : m_items) {
        const Item* item = ObjectManager::Get().GetObject<Item>(itemId);
        if (!item)
            return false;
        if (PathEqualsNoCase(item->GetObjectName().c_str(), recordName.c_str()))
            return true;
    }
    return false;
}

void Inventory::DestroyAllObjects()
{
    // Taken out first: destroying an item may reach back into its holder's inventory.
    std::vector<uint32_t> items;
    items.swap(m_items);
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t itemId : items)
        if (Object* object = objects.GetObject(itemId))
            objects.DestroyObjectEx(object, "Inventory", __LINE__);
}

}  // namespace GAME
