// The player's bags: pick-ups placed and potions stacked, bags added by sack one-shots,
// potions drunk by name and by need with one cooldown per kind, and the bags' save block:
// its keys, a round trip, an old pixel save, and broken saves whose items all survive.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/items/Inventory.h"
#include "Game/items/InventorySack.h"
#include "Game/items/OneShot.h"
#include "Game/items/PlayerInventoryCtrl.h"

namespace GAME {

class PlayerInventoryCtrlTest : public EngineTest {
protected:
    void SetUp() override
    {
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kGameEngineRecordName,
                               "UICharWindowInventorySack0DimsX,384,\nUICharWindowInventorySack0DimsY,160,\n"
                               "UICharWindowInventorySack1DimsX,256,\nUICharWindowInventorySack1DimsY,160,\n"
                               "potionStackLimit,3,\n");
        records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        records.RegisterRecord("Records/P.dbr", "Class,Player,\n");
        records.RegisterRecord(kSword, "Class,ItemEquipment,\n");
        records.RegisterRecord(kSack, "Class,OneShot_Sack,\nbitmap,P.tex,\n");
        for (auto [record, life] : {std::pair{kSmall, 50}, {kHundred, 100}, {kMedium, 150}, {kLarge, 400}})
            records.RegisterRecord(record, "Class,OneShot_PotionHealth,\nbitmap,P.tex,\nuseDelayTime,2,\n"
                                           "bonusLifePoints," + std::to_string(life) + ",\n");
        records.RegisterRecord(kMana, "Class,OneShot_PotionMana,\nbitmap,P.tex,\nbonusManaPoints,50,\n");
        EngineTest::SetUp();
        player = MakePlayer();
    }
    Player* MakePlayer()
    {
        auto* made = ObjectManager::Get().CreateObjectFromFile<Player>("Records/P.dbr");
        made->SetIsControllingCharacter(true);
        // A living player whose controller has started: item use goes through its state.
        made->SetLifeState(Character_LifeState_Alive);
        made->GetPlayerController()->InitialUpdate();
        return made;
    }
    static PlayerInventoryCtrl& Bags(Player* p) { return p->GetPlayerController()->GetInventoryCtrl(); }
    // Made, listed in the inventory and picked up; its id, or 0 when the bags refused it.
    uint32_t PickUp(const char* record, Player* to = nullptr)
    {
        to = to ? to : player;
        ItemReplicaInfo identity;
        identity.baseName = record;
        const uint32_t id = Item::CreateItem(identity)->GetObjectId();
        to->GetInventory().AddItemToInventory(id, false);
        return Bags(to).AddItem(id, true) ? id : 0;
    }
    static Rect PlaceOf(const PlayerInventoryCtrl& bags, uint32_t id, int sack = 0)
    {
        return bags.GetInventoryInSack(sack).at(id);
    }
    static std::vector<unsigned char> Save(Player* p)
    {
        IOStreamWrite out;
        Bags(p).StreamProperties(out);
        EXPECT_TRUE(out.Close());
        return {out.GetBytes().begin(), out.GetBytes().end()};
    }
    static void Load(Player* p, const std::vector<unsigned char>& bytes)
    {
        IOStreamRead in(bytes);
        Bags(p).StreamProperties(in);
        EXPECT_FALSE(in.Failed()) << in.GetError();
    }
    static std::string Record(uint32_t id) { return ObjectManager::Get().GetObject<Item>(id)->GetObjectName(); }

    static constexpr const char* kSword = "Records/Sword.dbr";
    static constexpr const char* kSack = "Records/Sack.dbr";
    static constexpr const char* kSmall = "Records/Small.dbr";
    static constexpr const char* kHundred = "Records/Hundred.dbr";
    static constexpr const char* kMedium = "Records/Medium.dbr";
    static constexpr const char* kLarge = "Records/Large.dbr";
    static constexpr const char* kMana = "Records/Mana.dbr";
    Player* player = nullptr;
};

TEST_F(PlayerInventoryCtrlTest, PickUpsFillTheBagsColumnByColumnAndPotionsStack)
{
    PlayerInventoryCtrl& bags = Bags(player);
    const uint32_t first = PickUp(kSword), second = PickUp(kSword);
    EXPECT_EQ(PlaceOf(bags, second).y, 32.0f);   // below the first: the bags fill by columns
    const uint32_t potion = PickUp(kSmall), beneath = PickUp(kSmall);
    ASSERT_NE(beneath, 0u);
    EXPECT_FALSE(bags.GetInventoryInSack(0).count(beneath));   // it takes no room
    EXPECT_EQ(ObjectManager::Get().GetObject<OneShot_Potion>(potion)->GetNumberInStack(), 1u);
    EXPECT_EQ(bags.GetTotalPotions(PlayerInventoryCtrl::kHealthPotions), 2u);
    // Held already: neither a sword nor a potion is taken twice.
    EXPECT_FALSE(bags.AddItem(first, true));
    EXPECT_FALSE(bags.AddItem(potion, true));
    EXPECT_EQ(bags.GetItems(), (std::vector<uint32_t>{first, second, potion, beneath}));

    // The main bag full (60 cells), a pick-up finds no room until a sack adds a bag.
    while (bags.GetInventoryInSack(0).size() < 60)
        PickUp(kSword);
    EXPECT_EQ(PickUp(kSword), 0u);
    const uint32_t sack = PickUp(kSack);
    EXPECT_NE(sack, 0u);
    EXPECT_EQ(bags.GetNumberOfSacks(), 2u);
    EXPECT_EQ(bags.GetSelectedSackNumber(), 1u);
    const uint32_t overflow = PickUp(kSword);
    EXPECT_EQ(PlaceOf(bags, overflow, 1).x, 0.0f);
    // The page on show took it: nothing new to point out there.
    EXPECT_FALSE(bags.IsItemAddedWhileNotTheCurrentlySelectedInventoryTab(1));
    // The fourth bag comes, a fifth sack is only taken away.
    PickUp(kSack), PickUp(kSack);
    const uint32_t fifth = PickUp(kSack);
    EXPECT_EQ(bags.GetNumberOfSacks(), 4u);
    gEngine->RunActorCommands();
    EXPECT_FALSE(player->GetInventory().IsItemInInventory(fifth));
    EXPECT_EQ(ObjectManager::Get().GetObject(sack), nullptr);   // used
    EXPECT_EQ(bags.GetItems().size(), 62u);   // 60 + the potion beneath + the overflow
    // The page on show full (40 cells), the next page takes a pick-up and is marked.
    for (int i = 0; i < 39; ++i)
        EXPECT_NE(PickUp(kSword), 0u);
    const uint32_t marked = PickUp(kSword);
    EXPECT_EQ(bags.GetInventoryInSack(2).count(marked), 1u);
    EXPECT_TRUE(bags.IsItemAddedWhileNotTheCurrentlySelectedInventoryTab(2));
    EXPECT_FALSE(bags.IsItemAddedWhileNotTheCurrentlySelectedInventoryTab(1));
}

TEST_F(PlayerInventoryCtrlTest, PotionsByNeedFollowTheFourRules)
{
    // Life 180 of 300 with the hot slots' fractions: missing 120, low need 60, high need 180.
    struct Case {
        std::vector<const char*> kinds;
        const char* drunk;
    } cases[] = {{{kSmall, kMedium, kLarge}, kMedium},           // (a) fills it without waste
                 {{kSmall, kHundred, kLarge}, kHundred},         // (b) nearly fills it
                 {{kSmall, kLarge}, kLarge},                     // (c) more than enough
                 {{kSmall}, kSmall},                             // (d) the smallest
                 {{}, nullptr}};
    for (const Case& c : cases) {
        Player* p = MakePlayer();
        p->SetTotalCharAttribute(CharAttributeType_Life, 300.0f);
        p->SetCurrentLife(180.0f);
        for (const char* kind : c.kinds)
            PickUp(kind, p);
        EXPECT_EQ(Bags(p).UsePotionOfType(PlayerInventoryCtrl::kHealthPotions, 0.8f, 1.2f), c.drunk != nullptr);
        for (const char* kind : c.kinds)
            EXPECT_EQ(Bags(p).GetTotalPotions(kind), kind == c.drunk ? 0u : 1u) << kind;
    }
}

TEST_F(PlayerInventoryCtrlTest, OneCooldownPerKindAndAVisiblePotionHandsBackItsStack)
{
    PlayerInventoryCtrl& bags = Bags(player);
    const uint32_t small = PickUp(kSmall), under = PickUp(kSmall), last = PickUp(kSmall);
    const uint32_t mana = PickUp(kMana);
    PickUp(kMedium);
    ASSERT_TRUE(bags.UsePotionOfType("RECORDS\\small.dbr"));
    EXPECT_EQ(bags.GetCurrentCooldown(kSmall), 2000);
    EXPECT_FALSE(bags.UsePotionOfType(kMedium));   // another record, the same kind
    EXPECT_TRUE(bags.UsePotionOfType(kMana));      // the other kind
    gEngine->RunActorCommands();
    EXPECT_EQ(ObjectManager::Get().GetObject(last), nullptr);   // the newest was drunk
    EXPECT_EQ(ObjectManager::Get().GetObject(mana), nullptr);
    EXPECT_FALSE(bags.HasItem(mana));
    bags.Update(1999);
    EXPECT_EQ(bags.GetCurrentCooldown(PlayerInventoryCtrl::kHealthPotions), 1);
    // Taken out whole: the potion beneath goes with the visible one; the cooldown runs on.
    PickUp(kSmall);
    std::vector<uint32_t> carried;
    ASSERT_TRUE(bags.RemoveItem(small, carried));
    EXPECT_EQ(carried.size(), 2u);
    EXPECT_EQ(carried.front(), under);
    EXPECT_EQ(bags.GetTotalPotions(kSmall), 0u);
    EXPECT_EQ(bags.GetCurrentCooldown(kSmall), 1);
    bags.Update(1);
    EXPECT_EQ(bags.GetTotalCooldown(kSmall), 0);
    // A potion that leaves on its own from beneath another is no longer drunk; one that
    // leaves from the top leaves the potions beneath it in its place.
    const uint32_t top = PickUp(kLarge), middle = PickUp(kLarge), bottom = PickUp(kLarge);
    EXPECT_TRUE(bags.RemoveItem(bottom));
    EXPECT_FALSE(bags.HasItem(bottom));
    const Rect place = PlaceOf(bags, top);
    EXPECT_TRUE(bags.RemoveItem(top));
    EXPECT_EQ(PlaceOf(bags, middle).y, place.y);
    EXPECT_EQ(bags.GetTotalPotions(kLarge), 1u);
}

TEST_F(PlayerInventoryCtrlTest, TheSaveBlockHoldsEveryKeyAndReadsBackAlike)
{
    PlayerInventoryCtrl& bags = Bags(player);
    PickUp(kSword);
    const uint32_t potion = PickUp(kSmall);
    PickUp(kSmall);
    PickUp(kSack);
    const std::vector<unsigned char> bytes = Save(player);

    // Key by key, as written.
    IOStreamRead in(bytes);
    bool grid = false, flag = true;
    uint32_t sacks = 0, focus = 9, selected = 0, size = 0;
    in.BeginBlock();
    in.StreamBool("itemPositionsSavedAsGridCoords", grid);
    in.StreamUInt32("numberOfSacks", sacks);
    in.StreamUInt32("currentlyFocusedSackNumber", focus);
    in.StreamUInt32("currentlySelectedSackNumber", selected);
    in.BeginBlock();
    in.StreamBool("tempBool", flag);
    in.StreamUInt32("size", size);
    std::vector<std::tuple<std::string, int32_t, int32_t>> records;
    for (uint32_t i = 0; i < size; ++i) {
        ItemReplicaInfo identity;
        int32_t x = 0, y = 0;
        in.BeginBlock();
        identity.StreamProperties(in);
        in.StreamInt32("pointX", x);
        in.StreamInt32("pointY", y);
        in.EndBlock();
        records.emplace_back(identity.baseName, x, y);
    }
    in.EndBlock();
    ASSERT_FALSE(in.Failed()) << in.GetError();
    EXPECT_TRUE(grid);
    EXPECT_EQ(std::tie(sacks, focus, selected, flag), std::make_tuple(2u, 0u, 1u, false));
    EXPECT_EQ(records, (std::vector<std::tuple<std::string, int32_t, int32_t>>{
                           {kSword, 0, 0}, {kSmall, 0, 1}, {kSmall, -1, -1}}));

    Player* loaded = MakePlayer();
    Load(loaded, bytes);
    PlayerInventoryCtrl& copy = Bags(loaded);
    EXPECT_EQ(copy.GetNumberOfSacks(), 2u);
    EXPECT_EQ(copy.GetSelectedSackNumber(), 1u);
    const std::vector<uint32_t> items = copy.GetItems();
    ASSERT_EQ(items.size(), bags.GetItems().size());
    EXPECT_EQ(Record(items[0]), kSword);
    EXPECT_EQ(PlaceOf(copy, items[1]).y, PlaceOf(bags, potion).y);
    EXPECT_EQ(ObjectManager::Get().GetObject<OneShot_Potion>(items[1])->GetNumberInStack(), 1u);
    for (uint32_t id : items)
        EXPECT_TRUE(loaded->GetInventory().IsItemInInventory(id));
    EXPECT_EQ(Save(loaded), bytes);
}

namespace {

// A bags' block built field by field, as older or broken saves hold it.
struct BagsSave {
    bool withGridFlag = true;
    struct Item {
        const char* record;
        int32_t x, y;
    };
    std::vector<std::vector<Item>> sacks;

    std::vector<unsigned char> Build() const
    {
        IOStreamWrite s;
        s.BeginBlock();
        bool grid = true, flag = false;
        if (withGridFlag)
            s.StreamBool("itemPositionsSavedAsGridCoords", grid);
        uint32_t count = static_cast<uint32_t>(sacks.size()), zero = 0;
        s.StreamUInt32("numberOfSacks", count);
        s.StreamUInt32("currentlyFocusedSackNumber", zero);
        s.StreamUInt32("currentlySelectedSackNumber", zero);
        for (const auto& sack : sacks) {
            s.BeginBlock();
            s.StreamBool("tempBool", flag);
            uint32_t size = static_cast<uint32_t>(sack.size());
            s.StreamUInt32("size", size);
            for (Item item : sack) {
                ItemReplicaInfo identity;
                identity.baseName = item.record;
                s.BeginBlock();
                identity.StreamProperties(s);
                s.StreamInt32("pointX", item.x);
                s.StreamInt32("pointY", item.y);
                s.EndBlock();
            }
            s.EndBlock();
        }
        s.EndBlock();
        EXPECT_TRUE(s.Close());
        return {s.GetBytes().begin(), s.GetBytes().end()};
    }
};

}  // namespace

TEST_F(PlayerInventoryCtrlTest, OldAndBrokenSavesKeepEveryItemOnTheGrid)
{
    // Without the grid flag the positions are pixels.
    BagsSave old;
    old.withGridFlag = false;
    old.sacks = {{{kSword, 64, 96}}};
    Load(player, old.Build());
    EXPECT_EQ(PlaceOf(Bags(player), Bags(player).GetItems()[0]).x, 64.0f);

    // A stacked record before any potion, one of another record, places off the bag or
    // taken, and a fifth bag: every item is kept, each on a free place.
    BagsSave broken;
    broken.sacks = {{{kSmall, -1, -1}, {kMedium, 0, 0}, {kSmall, -1, -1}, {kSword, 0, 0}, {kSword, 12, 0}},
                    {}, {}, {}, {{kSword, 0, 0}, {kMedium, -1, -1}}};
    Player* loaded = MakePlayer();
    LogCapture log;
    Load(loaded, broken.Build());
    const PlayerInventoryCtrl& bags = Bags(loaded);
    EXPECT_EQ(bags.GetNumberOfSacks(), 4u);
    EXPECT_EQ(bags.GetItems().size(), 7u);
    EXPECT_EQ(loaded->GetInventory().GetInventoryItems().size(), 7u);
    EXPECT_EQ(bags.GetTotalPotions(kSmall), 2u);
    EXPECT_EQ(bags.GetTotalPotions(kMedium), 2u);
    // All lie in the main bag, inside it, none on another.
    const std::map<uint32_t, Rect>& main = bags.GetInventoryInSack(0);
    EXPECT_EQ(main.size(), 7u);
    for (const auto& [id, r] : main) {
        EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.width <= 384 && r.y + r.height <= 160) << id;
        for (const auto& [other, o] : main)
            EXPECT_TRUE(other == id || o.x + o.width <= r.x || r.x + r.width <= o.x || o.y + o.height <= r.y ||
                        r.y + r.height <= o.y) << id << " on " << other;
    }
    EXPECT_TRUE(log.Contains("PlayerInventoryCtrl: Records/Sword.dbr saved at (12, 0) lies off bag 0 or on another "
                             "item; it takes the first free place"));
    EXPECT_TRUE(log.Contains("PlayerInventoryCtrl: Records/Small.dbr is saved beneath a potion, but none of its "
                             "record was read before it in bag 0; it is placed as an item"));
}

}  // namespace GAME
