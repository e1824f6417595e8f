// The bags' block of the character save (PlayerInventoryCtrl::StreamProperties).
//
//   block
//     "itemPositionsSavedAsGridCoords" bool   true when written; older saves lack it and
//                                             hold pixel positions
//     "numberOfSacks", "currentlyFocusedSackNumber", "currentlySelectedSackNumber" u32
//     per bag: block
//       "tempBool" bool                       the page received an item while not shown
//       "size" u32                            the item records that follow
//       per record: block, the item's identity block, "pointX", "pointY" i32, end
//     end
//   end
//
// Records follow the bag's items in ascending id order; a visible potion's record is
// followed by one for each potion beneath it, oldest first, at (-1, -1). Positions are
// cells, rounded to the nearest.
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/items/Inventory.h"
#include "Game/items/InventorySack.h"
#include "Game/items/Item.h"
#include "Game/items/OneShot.h"
#include "Game/items/PlayerInventoryCtrl.h"

namespace GAME {

namespace {

constexpr int32_t kStackedPoint = -1;

void StreamItemRecord(IOStream& stream, ItemReplicaInfo& identity, int32_t& x, int32_t& y)
{
    stream.BeginBlock();
    identity.StreamProperties(stream);
    stream.StreamInt32("pointX", x);
    stream.StreamInt32("pointY", y);
    stream.EndBlock();
}

int32_t NearestCell(float cell)
{
    const float rounded = std::floor(cell + 0.5f);
    return rounded > -2147483520.0f && rounded < 2147483520.0f ? static_cast<int32_t>(rounded) : 0;
}

struct SavedRecord {
    const Item* item;
    int32_t x;
    int32_t y;
};

}  // namespace

void PlayerInventoryCtrl::StreamProperties(IOStream& stream)
{
    const bool reading = stream.IsReading();
    stream.BeginBlock();
    bool gridCoords = !reading;
    if (!reading || stream.IsNextKey("itemPositionsSavedAsGridCoords"))
        stream.StreamBool("itemPositionsSavedAsGridCoords", gridCoords);
    uint32_t sacks = GetNumberOfSacks(), focused = m_focusSack, selected = m_selectedSack;
    stream.StreamUInt32("numberOfSacks", sacks);
    stream.StreamUInt32("currentlyFocusedSackNumber", focused);
    stream.StreamUInt32("currentlySelectedSackNumber", selected);
    if (reading) {
        if (!stream.CheckCount("numberOfSacks", sacks, kMaxSavedSacks, "tempBool"))
            return;
        RestoreNumberOfSacks(std::min(sacks, kMaxSacks));
        SetFocusSackNumber(focused);
        SetSelectedSackNumber(selected);
        if (sacks > kMaxSacks)
            gEngine->Log(LOG_WARNING, "PlayerInventoryCtrl: the save holds %u bags; the items of those past the "
                                      "fourth take free places in the four", sacks);
    }
    for (uint32_t sack = 0; sack < sacks && !stream.Failed(); ++sack) {
        if (reading)
            ReadSack(stream, sack, gridCoords);
        else
            WriteSack(stream, *m_sacks[sack]);
    }
    stream.EndBlock();
}

void PlayerInventoryCtrl::WriteSack(IOStream& stream, const InventorySack& sack)
{
    stream.BeginBlock();
    bool added = sack.IsItemAddedWhileNotTheCurrentlySelectedInventoryTab();
    stream.StreamBool("tempBool", added);
    ObjectManager& objects = ObjectManager::Get();
    std::vector<SavedRecord> records;
    for (const auto& [id, rect] : sack.GetInventory()) {
        const Item* item = objects.GetObject<Item>(id);
        if (!item)
            continue;
        const Vec2 cell = sack.PixelsToGrid(Vec2{rect.x, rect.y});
        records.push_back({item, NearestCell(cell.x), NearestCell(cell.y)});
        if (const PotionStack* stack = FindStack(id))
            for (uint32_t below : stack->GetStacked())
                if (const Item* potion = objects.GetObject<Item>(below))
                    records.push_back({potion, kStackedPoint, kStackedPoint});
    }
    // No more than a read takes: the save must load.
    records.resize(IOStream::SavedCount(records.size(), kMaxSavedItems, "size"));
    auto count = static_cast<uint32_t>(records.size());
    stream.StreamUInt32("size", count);
    for (SavedRecord& record : records) {
        ItemReplicaInfo identity = record.item->GetItemReplicaInfo();
        StreamItemRecord(stream, identity, record.x, record.y);
    }
    stream.EndBlock();
}

void PlayerInventoryCtrl::ReadSack(IOStream& stream, uint32_t sack, bool gridCoords)
{
    stream.BeginBlock();
    bool added = false;
    stream.StreamBool("tempBool", added);
    uint32_t count = 0;
    stream.StreamUInt32("size", count);
    if (!stream.CheckCount("size", count, kMaxSavedItems, "baseName"))
        return;
    if (sack < m_sacks.size())
        m_sacks[sack]->SetItemAddedWhileNotTheCurrentlySelectedInventoryTab(added);
    uint32_t lastVisible = 0;
    for (uint32_t i = 0; i < count && !stream.Failed(); ++i) {
        ItemReplicaInfo identity;
        int32_t x = 0, y = 0;
        StreamItemRecord(stream, identity, x, y);
        if (stream.Failed())
            return;
        identity.objectId = 0;
        Item* item = Item::CreateItem(identity);
        if (!item)
            continue;
        // The player's inventory owns the item: without a player it is not kept.
        if (!m_parent) {
            ObjectManager::Get().DestroyObjectEx(item, "PlayerInventoryCtrl", __LINE__);
            continue;
        }
        m_parent->GetInventory().AddItemToInventory(item->GetObjectId(), true);
        RestoreItem(*item, sack, x, y, gridCoords, lastVisible);
    }
    stream.EndBlock();
}

void PlayerInventoryCtrl::RestoreItem(Item& item, uint32_t sack, int32_t x, int32_t y, bool gridCoords,
                                      uint32_t& lastVisible)
{
    const uint32_t id = item.GetObjectId();
    auto* potion = DynamicCast<OneShot_Potion>(&item);
    InventorySack* bag = sack < m_sacks.size() ? m_sacks[sack].get() : nullptr;
    int placedIn = -1;
    if (x == kStackedPoint || y == kStackedPoint) {
        const Item* visible = ObjectManager::Get().GetObject<Item>(lastVisible);
        if (potion && visible && PotionName(*visible) == PotionName(item) && AddToPotionStack(lastVisible, id))
            return;
        gEngine->Log(LOG_WARNING, "PlayerInventoryCtrl: %s is saved beneath a potion, but none of its record was "
                                  "read before it in bag %u; it is placed as an item", item.GetObjectName().c_str(), sack);
    } else if (bag) {
        const Vec2 saved{static_cast<float>(x), static_cast<float>(y)};
        const Vec2 position = gridCoords ? bag->GridToPixels(saved) : saved;
        if (bag->IsPlaceFree(position, &item) && bag->AddItem(position, &item, true))
            placedIn = static_cast<int>(sack);
        else
            gEngine->Log(LOG_WARNING, "PlayerInventoryCtrl: %s saved at (%d, %d) lies off bag %u or on another "
                                      "item; it takes the first free place", item.GetObjectName().c_str(), x, y, sack);
    }
    if (placedIn < 0)
        placedIn = bag && bag->AddItem(&item, true) ? static_cast<int>(sack) : PlaceAnywhere(item);
    if (placedIn < 0) {
        gEngine->Log(LOG_ERROR, "PlayerInventoryCtrl: no bag has room for %s; it is let go",
                     item.GetObjectName().c_str());
        m_parent->GetInventory().RemoveItemFromInventory(id);
        ObjectManager::Get().DestroyObjectEx(&item, "PlayerInventoryCtrl", __LINE__);
        return;
    }
    if (potion) {
        AddToOneShotMap(PotionName(item), *potion);
        lastVisible = id;
    }
}

}  // namespace GAME
