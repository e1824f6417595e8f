// The four cursor handlers against a placed player with its own controller and bags: what
// each click does, and each refusal leaving the player's items where they were.
#include "characters/CharacterWorldFixture.h"

#include <functional>
#include <memory>

#include "Engine/GraphicsCanvas.h"
#include "Engine/Localization.h"
#include "Engine/Texture.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/items/CursorHandlerHotSlotOption.h"
#include "Game/items/CursorHandlerItemMove.h"
#include "Game/items/CursorHandlerOneShotUse.h"
#include "Game/items/CursorHandlerRelicCombine.h"
#include "Game/items/Inventory.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemRelic.h"
#include "Game/items/OneShot.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/quests/DialogManager.h"
#include "Game/skills/Skill.h"

namespace GAME {
namespace {

class CursorHandlerTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        // A main bag of 12 x 5 cells of 32 pixels.
        RecordDatabase::Get().RegisterRecord(
            kGameEngineRecordName, "UICharWindowInventorySack0DimsX,384,\nUICharWindowInventorySack0DimsY,160,\n");
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Small.dbr", "Class,ItemEquipment,\nbitmap,Small.tex,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Tall.dbr", "Class,ItemEquipment,\nbitmap,Tall.tex,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Sword.dbr", "Class,WeaponMelee_Sword,\nbitmap,Tall.tex,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Relic.dbr",
                                             "Class,ItemRelic,\ncompletedRelicLevel,5,\nsword,1,\nshardBitmap,Small.tex,\n"
                                             "relicBitmap,Tall.tex,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Potion.dbr", "Class,OneShot_PotionHealth,\nbitmap,Small.tex,\n");
        Texture::RegisterSize("Small.tex", 32, 32);
        Texture::RegisterSize("Tall.tex", 32, 64);
        player = Place(Make<Player>("", "Player"));
        player->SetIsControllingCharacter(true);
        Frame();
        ASSERT_NE(player->GetPlayerController(), nullptr);
    }
    void TearDown() override
    {
        Texture::ClearSizes();
        CharacterWorldTest::TearDown();
    }
    PlayerInventoryCtrl& Bags() { return player->GetPlayerController()->GetInventoryCtrl(); }
    // An item of the record in the player's inventory, laid in the bag at the pixel corner.
    Item* InBag(const char* record, Vec2 corner, uint32_t level = 0)
    {
        ItemReplicaInfo info;
        info.baseName = record;
        info.var1 = level;
        Item* item = Item::CreateItem(info);
        player->GetInventory().AddItemToInventory(item->GetObjectId(), false);
        EXPECT_TRUE(Bags().AddItem(corner, item->GetObjectId(), -1));
        return item;
    }
    template <class T>
    std::unique_ptr<T> Handler()
    {
        auto handler = std::make_unique<T>();
        handler->SetPlayer(player);
        return handler;
    }
    Player* player = nullptr;
};

TEST_F(CursorHandlerTest, TheMoveCursorSwapsWithOneItemRefusesTwoAndGivesBackWhatPlacesRefuse)
{
    Item* tall = InBag("Records/Test/Tall.dbr", {0, 0});
    Item* a = InBag("Records/Test/Small.dbr", {64, 0});
    Item* b = InBag("Records/Test/Small.dbr", {64, 32});
    auto move = Handler<CursorHandlerItemMove>();
    EXPECT_TRUE(move->CanActOnInventory() && move->CanActOnTrade() && move->CanActOnMarket());
    move->SetId(tall->GetObjectId());
    EXPECT_FALSE(Bags().HasItem(tall->GetObjectId()));

    // Over two items: refused, nothing moves.
    move->SetRelativePosition({80, 32});
    EXPECT_FALSE(move->PrimaryInventoryActivate());
    EXPECT_EQ(move->GetId(), tall->GetObjectId());
    EXPECT_TRUE(Bags().HasItem(a->GetObjectId()) && Bags().HasItem(b->GetObjectId()));
    std::vector<Rect> good, neutral, bad;
    uint32_t under = 0;
    move->GetInventoryHighlights(good, neutral, bad, under);
    EXPECT_EQ(bad.size(), 2u);
    EXPECT_TRUE(good.empty());

    // Over exactly one: the tall item takes its place and the cursor carries the small one.
    Bags().RemoveItem(b->GetObjectId());
    EXPECT_TRUE(move->PrimaryInventoryActivate());
    EXPECT_EQ(move->GetId(), a->GetObjectId());
    EXPECT_EQ(Bags().GetItemUnderPoint({70, 40}, -1), tall->GetObjectId());

    // Each refusal as a table: the carried item (with the potions beneath it) comes back.
    RecordDatabase::Get().RegisterRecord("Records/Test/Helm.dbr", "Class,ArmorProtective_Head,\nbitmap,Small.tex,\n");
    struct Refusal {
        const char* what;
        std::function<bool(CursorHandlerItemMove&)> click;
    };
    const Refusal refusals[] = {
        {"market without a client", [](CursorHandlerItemMove& h) { h.SetMarketId(77); return h.PrimaryMarketActivate(); }},
        {"no trade running", [](CursorHandlerItemMove& h) { return h.PrimaryTradeActivate(); }},
        {"quick sale switched off", [](CursorHandlerItemMove& h) { h.SetMarketId(77); return !h.SecondaryInventoryActivate(); }},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.what);
        auto handler = Handler<CursorHandlerItemMove>();
        handler->SetId(a->GetObjectId());
        EXPECT_FALSE(refusal.click(*handler));
        EXPECT_TRUE(handler->IsComplete());
        EXPECT_TRUE(Bags().HasItem(a->GetObjectId()));
    }
    // An equipment place that does not take the item keeps it on the cursor.
    auto onHead = Handler<CursorHandlerItemMove>();
    onHead->SetId(a->GetObjectId());
    bool flag = false;
    EXPECT_TRUE(onHead->IsEquipConflict(EquipmentCtrlLocation_Head, flag));
    EXPECT_FALSE(onHead->PrimaryEquipActivate(EquipmentCtrlLocation_Head));
    EXPECT_EQ(onHead->GetId(), a->GetObjectId());
    EXPECT_TRUE(onHead->Cancel());
    EXPECT_TRUE(Bags().HasItem(a->GetObjectId()));
}

TEST_F(CursorHandlerTest, AStackDroppedGoesBackWholeAndACursorDeletedWithAnItemDropsItBesideThePlayer)
{
    // A potion with two potions beneath it, picked up and dropped into an empty place.
    ItemReplicaInfo potionInfo;
    potionInfo.baseName = "Records/Test/Potion.dbr";
    Item* potion = Item::CreateItem(potionInfo);
    std::vector<uint32_t> stacked{Item::CreateItem(potionInfo)->GetObjectId(), Item::CreateItem(potionInfo)->GetObjectId()};
    std::vector<uint32_t> beneath = stacked;
    Bags().AddStackedItem({0, 0}, potion->GetObjectId(), beneath, -1);
    auto move = Handler<CursorHandlerItemMove>();
    move->SetId(potion->GetObjectId());
    EXPECT_EQ(move->GetStacked(), stacked);
    move->SetRelativePosition({200, 100});
    EXPECT_TRUE(move->PrimaryInventoryActivate());
    EXPECT_TRUE(move->IsComplete());
    std::vector<uint32_t> back;
    EXPECT_TRUE(Bags().RemoveItem(potion->GetObjectId(), back));
    EXPECT_EQ(back, stacked);

    // The user interface lets go of a cursor that still carries an item: it lands beside
    // the player instead of vanishing from every bag.
    Item* sword = InBag("Records/Test/Sword.dbr", {0, 0});
    auto* carrying = new CursorHandlerItemMove();
    carrying->SetPlayer(player);
    carrying->SetId(sword->GetObjectId());
    carrying->DeleteThis();
    gEngine->RunActorCommands();   // the drop is a command, run on every peer
    EXPECT_TRUE(sword->IsInWorld());
}

TEST_F(CursorHandlerTest, TheRelicCursorRefusesItselfNothingAndMisfitsAndAsksBeforeAnItemTakesIt)
{
    LocalizationManager::Instance().RegisterTags("tagRelicCombineDialog=Set it for good?\n");
    ItemRelic* relic = DynamicCast<ItemRelic>(InBag("Records/Test/Relic.dbr", {0, 0}, 2));
    ItemRelic* other = DynamicCast<ItemRelic>(InBag("Records/Test/Relic.dbr", {32, 0}, 1));
    InBag("Records/Test/Small.dbr", {64, 0});   // no sword: the relic does not fit
    Item* sword = InBag("Records/Test/Sword.dbr", {96, 0});
    ASSERT_TRUE(relic && other);
    const uint32_t relicId = relic->GetObjectId(), otherId = other->GetObjectId();
    auto* made = relic->CreateSecondaryCursorHandler(player);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetGameCursorType(), CursorHandler::kCursorRelic);
    made->DeleteThis();

    // The cursor draws the art it took when it was given the relic; CreateBitmap takes
    // the relic's present art.
    {
        ItemRelic* shard = DynamicCast<ItemRelic>(InBag("Records/Test/Relic.dbr", {0, 96}, 1));
        auto cursor = Handler<CursorHandlerRelicCombine>();
        cursor->SetId(shard->GetObjectId());
        shard->SetRelicLevel(5);
        const auto drawn = [&cursor] {
            GraphicsCanvas canvas(640, 480);
            cursor->Render(canvas);
            return canvas.GetRenderedTextures().empty() ? std::string() : canvas.GetRenderedTextures()[0].texture;
        };
        EXPECT_EQ(drawn(), "Small.tex");
        cursor->CreateBitmap();
        EXPECT_EQ(drawn(), "Tall.tex");
    }

    struct Click {
        const char* what;
        Vec2 at;
        bool accepted;
        bool stillCarried;
    };
    const Click refusals[] = {
        {"the relic itself", {10, 10}, false, false},
        {"an empty cell", {300, 100}, false, false},
        {"an item it does not fit", {70, 10}, false, true},
    };
    for (const Click& click : refusals) {
        SCOPED_TRACE(click.what);
        auto cursor = Handler<CursorHandlerRelicCombine>();
        cursor->SetId(relic->GetObjectId());
        cursor->SetRelativePosition(click.at);
        EXPECT_EQ(cursor->PrimaryInventoryActivate(), click.accepted);
        EXPECT_EQ(!cursor->IsComplete(), click.stillCarried);
    }

    // Another shard of the record: combined at once, through the player's command.
    auto combine = Handler<CursorHandlerRelicCombine>();
    combine->SetId(otherId);
    combine->SetRelativePosition({10, 10});
    EXPECT_TRUE(combine->PrimaryInventoryActivate());
    EXPECT_TRUE(combine->IsComplete());
    Frame();
    EXPECT_EQ(relic->GetRelicLevel(), 3u);
    EXPECT_EQ(ObjectManager::Get().GetObject<ItemRelic>(otherId), nullptr);   // spent

    // Into an item that holds none: a question first; Escape waits for it, "no" drops
    // the relic, "yes" sets it.
    DialogManager& dialogs = engine->GetDialogManager();
    for (bool answer : {false, true}) {
        auto cursor = Handler<CursorHandlerRelicCombine>();
        cursor->SetId(relic->GetObjectId());
        cursor->SetRelativePosition({100, 10});
        EXPECT_TRUE(cursor->PrimaryInventoryActivate());
        EXPECT_EQ(cursor->GetPendingTarget(), sword->GetObjectId());
        ASSERT_EQ(dialogs.GetNumDialog(), 1u);
        EXPECT_EQ(dialogs.PeekTopDialog()->text, u"Set it for good?");
        EXPECT_EQ(dialogs.PeekTopDialog()->party, DialogParty::kRelicCombine);
        dialogs.RemoveTopDialog();
        EXPECT_FALSE(cursor->Escape());
        cursor->Update();
        EXPECT_FALSE(cursor->IsComplete());
        dialogs.AddResponse(DialogParty::kRelicCombine, answer);
        cursor->Update();
        EXPECT_TRUE(cursor->IsComplete());
        Frame();
        EXPECT_EQ(DynamicCast<ItemEquipment>(sword)->HasRelic(), answer);
    }
    EXPECT_EQ(ObjectManager::Get().GetObject<ItemRelic>(relicId), nullptr);   // spent into the sword

    // A relic that vanished while carried ends the cursor.
    ItemRelic* gone = DynamicCast<ItemRelic>(InBag("Records/Test/Relic.dbr", {0, 64}, 1));
    auto cursor = Handler<CursorHandlerRelicCombine>();
    cursor->SetId(gone->GetObjectId());
    ObjectManager::Get().DestroyObjectEx(gone, "test", __LINE__);
    Frame();
    bool flag = false;
    EXPECT_TRUE(cursor->IsEquipConflict(EquipmentCtrlLocation_HandRight, flag));
    EXPECT_TRUE(cursor->IsComplete());
}

TEST_F(CursorHandlerTest, TheOptionCursorCarriesOnlySkillsAndTheOneShotCursorUsesAtOnce)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Skill.dbr", "Class,Skill,\n");
    auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Test/Skill.dbr");
    ASSERT_NE(skill, nullptr);
    auto option = Handler<CursorHandlerHotSlotOption>();
    EXPECT_TRUE(option->CanActOnHotSlots());
    EXPECT_FALSE(option->CanActOnInventory());
    option->SetId(player->GetObjectId());   // no skill
    EXPECT_TRUE(option->IsComplete());
    option->SetId(skill->GetObjectId());
    ASSERT_NE(option->GetOption(), nullptr);
    EXPECT_EQ(option->GetOption()->GetSkillId(), skill->GetObjectId());
    EXPECT_EQ(option->GetOption()->GetPlayer(), player);
    EXPECT_TRUE(option->Cancel());
    EXPECT_TRUE(option->IsComplete());

    ItemReplicaInfo info;
    info.baseName = "Records/Test/Potion.dbr";
    Item* potion = Item::CreateItem(info);
    const uint32_t potionId = potion->GetObjectId();
    player->GetInventory().AddItemToInventory(potion->GetObjectId(), false);
    Bags().AddItem(potion->GetObjectId(), true);
    auto* made = potion->CreateSecondaryCursorHandler(player);
    ASSERT_NE(made, nullptr);
    std::unique_ptr<CursorHandler> use(made);
    use->SetPlayer(player);
    use->SetId(potion->GetObjectId());
    EXPECT_FALSE(use->Cancel());
    use->SecondaryInitialize();
    EXPECT_TRUE(use->IsComplete());
    EXPECT_FALSE(Bags().HasItem(potion->GetObjectId()));
    Frame();
    EXPECT_EQ(ObjectManager::Get().GetObject<Item>(potionId), nullptr);   // drunk and gone
}

}  // namespace
}  // namespace GAME
