// Sack placement, conflicts and dimensions, and the order in which an inventory announces
// and lists an item.
#include "core/EngineFixture.h"
#include "Engine/EventManager.h"
#include "Game/items/Inventory.h"
#include "Game/items/InventorySack.h"
#include "Game/items/Item.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/items/OneShot.h"

namespace GAME {
namespace {

// Bitmap sizes given per item id, so that placement runs without textures.
class SizedSack : public InventorySack {
public:
    using InventorySack::SearchHorizantal;
    bool GetBitmapSize(const Item& item, float& width, float& height) const override
    {
        const auto found = sizes.find(item.GetObjectId());
        if (found == sizes.end())
            return false;
        width = found->second.x;
        height = found->second.y;
        return true;
    }
    void SetCells(float width, float height) { m_cellWidth = width, m_cellHeight = height; }
    std::map<uint32_t, Vec2> sizes;
};

class InventorySackTest : public EngineTest {
protected:
    Item* MakeItem(SizedSack& sack, float width, float height, const char* kind = "Item")
    {
        Item* item = DynamicCast<Item>(ObjectManager::Get().CreateObject(kind));
        sack.sizes[item->GetObjectId()] = Vec2{width, height};
        return item;
    }
};

TEST_F(InventorySackTest, FirstFitScansRowsOrColumns)
{
    for (bool vertical : {false, true}) {
        SizedSack sack;
        sack.SetDims(384, 160, vertical);
        Item* tall = MakeItem(sack, 64, 96);
        EXPECT_EQ(sack.AddItemAndReturnPoint(tall), Vec2(0, 0));
        sack.RemoveItem(tall->GetObjectId());
        ASSERT_TRUE(sack.AddItem(MakeItem(sack, 32, 32), true));
        EXPECT_EQ(sack.AddItemAndReturnPoint(tall), vertical ? Vec2(0, 32) : Vec2(32, 0));
    }
}

TEST_F(InventorySackTest, FootprintsAndDimensions)
{
    SizedSack sack;
    EXPECT_EQ(sack.GetFootprint(20, 50), Vec2(32, 50));
    sack.SetDims(383, 160, false);
    EXPECT_EQ(sack.GetColumns(), 11u);
    EXPECT_EQ(sack.GetRows(), 5u);
    // Cells without size (a screen narrower than 32 pixels) hold nothing.
    sack.SetCells(0, 0);
    sack.SetDims(383, 160, false);
    EXPECT_EQ(sack.GetColumns(), 0u);
    EXPECT_EQ(sack.GetRows(), 0u);
    EXPECT_EQ(sack.PixelsToGrid(Vec2(5, 5)), Vec2(-1, -1));
}

TEST_F(InventorySackTest, ConflictsAppendAndEdgesDoNotConflict)
{
    SizedSack sack;
    Item* left = MakeItem(sack, 32, 32);
    ASSERT_TRUE(sack.AddItem(Vec2(0, 0), left, true));
    Rect touching{32, 0, 32, 32};
    EXPECT_TRUE(sack.SearchHorizantal(touching));
    EXPECT_EQ(touching.x, 32.0f);

    std::vector<Rect> conflicts(1);
    Rect placed;
    sack.GetConflicts(Vec2(10, 10), MakeItem(sack, 64, 64), conflicts, placed);
    ASSERT_EQ(conflicts.size(), 2u);
    EXPECT_EQ(conflicts[1].width, 32.0f);
    EXPECT_EQ(placed.x, 0.0f);
}

TEST_F(InventorySackTest, AnItemLargerThanTheSackIsNeverPlaced)
{
    SizedSack sack;   // 384 x 160
    Item* wide = MakeItem(sack, 400, 32);
    Rect r{100, 50, 400, 200};
    sack.AlignRect(r);
    EXPECT_EQ(r.x, 0.0f);
    EXPECT_EQ(r.y, 0.0f);
    EXPECT_FALSE(sack.AddItem(Vec2(0, 0), wide, true));
    EXPECT_FALSE(sack.AddItem(wide, true));
    EXPECT_TRUE(sack.GetInventory().empty());
}

TEST_F(InventorySackTest, ArrangingDropsWhatFindsNoPlace)
{
    SizedSack sack;
    sack.SetDims(64, 32, false);   // two cells
    Item* first = MakeItem(sack, 32, 32);
    Item* wide = MakeItem(sack, 64, 32);
    Item* last = MakeItem(sack, 32, 32);
    for (Item* item : {first, wide, last})
        sack.AddItem(item, false);
    EXPECT_FALSE(sack.ArrangeUnpositionedItems());
    const std::map<uint32_t, Rect>& items = sack.GetInventory();
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items.at(first->GetObjectId()).x, 0.0f);
    EXPECT_EQ(items.at(last->GetObjectId()).x, 32.0f);
}

TEST_F(InventorySackTest, TakingAllItemsRemovesEachFromTheInventoryAndEmptiesTheSack)
{
    RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    player->SetIsControllingCharacter(true);
    SizedSack sack;
    sack.SetDims(64, 32, false);
    Item* first = MakeItem(sack, 32, 32);
    Item* second = MakeItem(sack, 32, 32);
    for (Item* item : {first, second}) {
        sack.AddItem(item, true);
        player->GetInventory().AddItemToInventory(item->GetObjectId(), true);
    }
    sack.TakeAllItems(player->GetPlayerController());
    EXPECT_TRUE(sack.GetInventory().empty());
    gEngine->RunActorCommands();
    EXPECT_FALSE(player->GetInventory().IsItemInInventory(first->GetObjectId()));
    EXPECT_FALSE(player->GetInventory().IsItemInInventory(second->GetObjectId()));
}

TEST_F(InventorySackTest, InventoryAnnouncesBeforeListingAndFeedsTheTutorialEachTime)
{
    Inventory inventory;
    const uint32_t potion = ObjectManager::Get().CreateObject("OneShot_PotionHealth")->GetObjectId();
    std::vector<bool> listedWhenSent;
    auto previous = EventManager::Get().SetSendObserver([&](const GameEvent&, const Name& name) {
        if (name == Name("GameEvent_ItemAdd"))
            listedWhenSent.push_back(inventory.IsItemInInventory(potion));
    });
    inventory.AddItemToInventory(potion, true);
    inventory.AddItemToInventory(potion, true);
    EventManager::Get().SetSendObserver(std::move(previous));
    EXPECT_EQ(listedWhenSent, std::vector<bool>{false});
    EXPECT_EQ(inventory.GetInventoryItems().size(), 1u);
    EXPECT_EQ(engine->GetTutorialWatch().itemsReceived, 2);
    EXPECT_TRUE(Unlocked(13));
}

}  // namespace
}  // namespace GAME
