#include "Game/items/PlayerInventoryCtrl.h"

#include <algorithm>

#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {

// One bag without a size yet: every item fits.
bool PlayerInventoryCtrl::IsSpaceAvailable(const Item* item) const { return item != nullptr; }

bool PlayerInventoryCtrl::AddItem(uint32_t itemId, bool)
{
    if (itemId == 0 || HasItem(itemId))
        return false;
    m_items.push_back(itemId);
    return true;
}

bool PlayerInventoryCtrl::RemoveItem(uint32_t itemId)
{
    m_sack.RemoveItem(itemId);
    m_stacks.erase(itemId);
    const auto found = std::find(m_items.begin(), m_items.end(), itemId);
    if (found == m_items.end())
        return false;
    m_items.erase(found);
    return true;
}

bool PlayerInventoryCtrl::HasItem(uint32_t itemId) const
{
    return std::find(m_items.begin(), m_items.end(), itemId) != m_items.end();
}

void PlayerInventoryCtrl::Update(int) {}

const std::map<uint32_t, Rect>& PlayerInventoryCtrl::GetInventoryInSack(int) const { return m_sack.GetInventory(); }

uint32_t PlayerInventoryCtrl::GetItemUnderPoint(const Vec2& point, int) const { return m_sack.GetItemUnderPoint(point); }

bool PlayerInventoryCtrl::GetConflicts(const Vec2& position, uint32_t itemId, std::vector<Rect>& conflicts,
                                       Rect& placed, int)
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item)
        return true;
    const size_t before = conflicts.size();
    m_sack.GetConflicts(position, item, conflicts, placed);
    return conflicts.size() > before;
}

bool PlayerInventoryCtrl::AddItem(const Vec2& position, uint32_t itemId, int)
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item || HasItem(itemId) || !m_sack.AddItem(position, item, false))
        return false;
    m_items.push_back(itemId);
    return true;
}

bool PlayerInventoryCtrl::AddStackedItem(const Vec2& position, uint32_t itemId, std::vector<uint32_t>& stackedIds,
                                         int sack)
{
    if (!AddItem(position, itemId, sack))
        return false;
    if (!stackedIds.empty())
        m_stacks[itemId] = stackedIds;
    return true;
}

bool PlayerInventoryCtrl::RemoveItem(uint32_t itemId, std::vector<uint32_t>& removedStackedIds)
{
    if (const auto stack = m_stacks.find(itemId); stack != m_stacks.end())
        removedStackedIds.insert(removedStackedIds.end(), stack->second.begin(), stack->second.end());
    return RemoveItem(itemId);
}

void PlayerInventoryCtrl::UseOneShot(uint32_t itemId)
{
    if (!m_parent || !RemoveItem(itemId))
        return;
    m_parent->Enqueue(new UseItemConfigCmd(m_parent->GetObjectId(), itemId, true));
}

namespace {

// One item of a bag: its identity and its cell.
void StreamItemRecord(IOStream& stream, ItemReplicaInfo& identity, int32_t& x, int32_t& y)
{
    stream.BeginBlock();
    identity.StreamProperties(stream);
    stream.StreamInt32("pointX", x);
    stream.StreamInt32("pointY", y);
    stream.EndBlock();
}

}  // namespace

void PlayerInventoryCtrl::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    bool gridCoords = true;
    uint32_t sacks = 1, focused = 0, selected = 0;
    stream.StreamBool("itemPositionsSavedAsGridCoords", gridCoords);
    stream.StreamUInt32("numberOfSacks", sacks);
    stream.StreamUInt32("currentlyFocusedSackNumber", focused);
    stream.StreamUInt32("currentlySelectedSackNumber", selected);
    if (stream.IsReading() && !stream.CheckCount("numberOfSacks", sacks, kMaxSacks, "tempBool"))
        return;
    for (uint32_t sack = 0; sack < sacks && !stream.Failed(); ++sack) {
        stream.BeginBlock();
        bool addedWhileNotSelected = false;
        stream.StreamBool("tempBool", addedWhileNotSelected);
        if (!stream.IsReading()) {
            // Records follow the items' ids in ascending order.
            std::vector<uint32_t> ids = m_items;
            std::sort(ids.begin(), ids.end());
            std::vector<const Item*> items;
            for (uint32_t id : ids)
                if (const Item* item = ObjectManager::Get().GetObject<Item>(id))
                    items.push_back(item);
            // No more than a read takes, those of lowest id: the save must load.
            items.resize(IOStream::SavedCount(items.size(), kMaxSavedItems, "size"));
            auto count = static_cast<uint32_t>(items.size());
            stream.StreamUInt32("size", count);
            for (const Item* item : items) {
                ItemReplicaInfo identity = item->GetItemReplicaInfo();
                int32_t x = 0, y = 0;
                StreamItemRecord(stream, identity, x, y);
            }
        } else {
            uint32_t count = 0;
            stream.StreamUInt32("size", count);
            if (!stream.CheckCount("size", count, kMaxSavedItems, "baseName"))
                return;
            for (uint32_t i = 0; i < count && !stream.Failed(); ++i) {
                ItemReplicaInfo identity;
                int32_t x = 0, y = 0;
                StreamItemRecord(stream, identity, x, y);
                if (stream.Failed())
                    return;
                identity.objectId = 0;
                // The player's inventory owns the item: without a player it is not kept.
                Item* item = Item::CreateItem(identity);
                if (item && m_parent) {
                    m_parent->GetInventory().AddItemToInventory(item->GetObjectId(), true);
                    AddItem(item->GetObjectId(), false);
                } else if (item) {
                    ObjectManager::Get().DestroyObjectEx(item, "PlayerInventoryCtrl", __LINE__);
                }
            }
        }
        stream.EndBlock();
    }
    stream.EndBlock();
}

}  // namespace GAME
