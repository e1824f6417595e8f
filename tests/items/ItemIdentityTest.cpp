// The item identity in its forms, and the base item built from it.
#include <gtest/gtest.h>

#include <limits>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Minimap.h"
#include "Engine/Localization.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/World.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/items/Item.h"
#include "Game/network/ItemTradePackets.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

constexpr const char* kPlain = "Records/Test/Plain.dbr";
constexpr const char* kCoin = "Records/Test/Coin.dbr";
constexpr const char* kQuest = "Records/Test/Quest.dbr";

class ItemIdentityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { logs.push_back(line.text); });
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kPlain, "Class,Item,\nitemCost,100,\nitemCostScalePercent,25,\nlevelRequirement,20,\n"
                                       "dropSound3D,Records/Test/Drop.dbr,\ndropSoundWater,Records/Test/Splash.dbr,\n"
                                       "itemClassification,Rare,\n");
        records.RegisterRecord(kCoin, "Class,Item,\nitemCost,2000000000,\nitemCostScalePercent,900,\n");
        records.RegisterRecord("Records/Test/Drop.dbr", "Class,SoundPak,\n");
        records.RegisterRecord("Records/Test/Splash.dbr", "Class,SoundPak,\n");
        records.RegisterRecord("Records/Test/Monster.dbr", "Class,Monster,\n");
        records.RegisterRecord(kQuest, "Class,Item,\nitemClassification,Quest,\ndescription,tagQuest,\n");
        World::Get().AddRegion(1, "R");
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        RecordDatabase::Get().Clear();
        LocalizationManager::Instance().Clear();
        gEngine->SetLogSink(previousSink);
    }
    static Item* Make(const char* record, uint32_t seed = 7)
    {
        ItemReplicaInfo info;
        info.baseName = record;
        info.prefixName = "Records/P.dbr";
        info.seed = seed;
        return Item::CreateItem(info);
    }
    static std::vector<uint8_t> Saved(const ItemReplicaInfo& info)
    {
        BinaryWriter writer;
        info.SaveState(writer);
        return {writer.GetBuffer(), writer.GetBuffer() + writer.GetLength()};
    }
    bool Logged(const std::string& part) const
    {
        for (const std::string& line : logs)
            if (line.find(part) != std::string::npos)
                return true;
        return false;
    }

    std::vector<std::string> logs;
    LogSink previousSink;
};

TEST_F(ItemIdentityTest, NetworkFormIsCompactAndTheCreatePacketKeepsTheWholeSeed)
{
    ItemReplicaInfo plain;
    plain.objectId = 42;
    CreateItemPacket carrier;   // any packet carries the compact form
    {
        NetPacketOutBuffer out(&carrier);
        plain.WriteReplicationData(out);
        EXPECT_EQ(out.Done(), NetLimits::kHeaderSize + 5) << "the id and a flag byte of 0";
    }

    CreateItemPacket packet;
    packet.item.baseName = kPlain;
    packet.item.seed = 70000;
    CreateItemPacket read;
    ASSERT_TRUE(ReadInto(read, Written(packet)));
    EXPECT_EQ(read.item.seed, 70000u);

    Item* item = Make(kPlain, 70000);
    NetPacketOutBuffer out(&carrier);
    item->WriteReplicationData(out);
    const uint32_t size = out.Done();
    Item* peer = Make(kPlain, 1);
    NetPacketHeader header{carrier.GetType()};
    NetPacketInBuffer in(&header, carrier.GetOutBuffer(), static_cast<int>(size));
    ASSERT_TRUE(peer->ReadReplicationData(in) && in.Finish());
    peer->ApplyReplicationData();
    EXPECT_EQ(peer->GetItemReplicaInfo().seed, 4464u) << "the low 16 bits";
    EXPECT_EQ(peer->GetItemReplicaInfo().objectId, peer->GetObjectId()) << "the item keeps its own id";
}

TEST_F(ItemIdentityTest, EqualityIgnoresIdsCaseAndSeparators)
{
    ItemReplicaInfo a, b;
    a.objectId = 1;
    b.objectId = 2;
    a.baseName = "Records/Item/Sword.dbr";
    b.baseName = "records\\ITEM\\sword.DBR";
    a.seed = b.seed = 9;
    EXPECT_TRUE(a == b);
    b.var1 = 1;
    EXPECT_FALSE(a == b);
}

TEST_F(ItemIdentityTest, GoldenSavedBytesAndEveryCutAppliesNothing)
{
    ItemReplicaInfo info;
    info.objectId = 0x01020304;
    info.baseName = "Records/Never.dbr";
    info.suffixName = "S";
    info.seed = 5;
    info.var1 = 6;
    const std::vector<uint8_t> golden = {4, 3, 2, 1, 0, 0, 0, 0, 1, 0, 0, 0, 'S', 0, 0, 0, 0,
                                         0, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0};
    ASSERT_EQ(Saved(info), golden) << "id, four names (no base name), seed, var1";

    Item* item = Make(kPlain, 3);
    const std::string base = item->GetItemReplicaInfo().baseName;
    for (size_t cut = 0; cut < golden.size(); ++cut) {
        logs.clear();
        BinaryReader reader(golden.data(), cut);
        EXPECT_FALSE(item->RestoreState(reader)) << cut;
        EXPECT_EQ(item->GetItemReplicaInfo().seed, 3u) << cut;
        EXPECT_EQ(item->GetItemReplicaInfo().baseName, base) << cut;
        EXPECT_TRUE(Logged("saved identity refused")) << cut;
    }
    BinaryReader reader(golden.data(), golden.size());
    ASSERT_TRUE(item->RestoreState(reader));
    EXPECT_EQ(item->GetItemReplicaInfo().suffixName, "S");
    EXPECT_EQ(item->GetItemReplicaInfo().baseName, base);
    EXPECT_EQ(item->GetItemReplicaInfo().objectId, item->GetObjectId());
}

TEST_F(ItemIdentityTest, CreationTestsTheClassAndTheIdAndRandomizingAnInitialisedItemChangesNothing)
{
    ItemReplicaInfo monster;
    monster.baseName = "Records/Test/Monster.dbr";
    EXPECT_EQ(Item::CreateItem(monster), nullptr);
    Item* item = Make(kPlain, 11);
    ItemReplicaInfo taken;
    taken.baseName = kPlain;
    taken.objectId = item->GetObjectId();
    EXPECT_EQ(Item::CreateItem(taken), nullptr);

    item->RandomizeItem();
    EXPECT_EQ(item->GetItemReplicaInfo().seed, 11u);
    EXPECT_EQ(item->GetItemReplicaInfo().prefixName, "Records/P.dbr");
    auto* placed = ObjectManager::Get().CreateObjectFromFile<Item>(kPlain);
    placed->RandomizeItem();   // no game engine: seed 1
    EXPECT_TRUE(placed->IsInitialized());
    EXPECT_EQ(placed->GetItemReplicaInfo().seed, 1u);
    EXPECT_EQ(placed->GetItemReplicaInfo().baseName, kPlain);
}

TEST_F(ItemIdentityTest, RecordValuesCostAndRequirements)
{
    Item* item = Make(kPlain);
    EXPECT_EQ(item->GetItemClassification(), ItemClassification_Rare);
    EXPECT_EQ(item->GetItemCost(false), 125u) << "{100} at 25 percent";
    EXPECT_EQ(Make(kCoin)->GetItemCost(false), std::numeric_limits<uint32_t>::max()) << "held, not wrapped";

    EXPECT_TRUE(Item::MeetsRequirements(18.0f, 20.0f, 10.0f));
    EXPECT_FALSE(Item::MeetsRequirements(17.0f, 20.0f, 10.0f));
    EXPECT_TRUE(Item::MeetsRequirements(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(Item::MeetsRequirements(1e6f, 3e9f, 0.0f)) << "held to the int range, not undefined";

    LocalizationManager::Instance().RegisterTags(
        "LevelRequirement=Level\nMeetsRequirement=%s %d\nMeetsRequirementWithReduction=%s %d (%d, -%d%%)\n"
        "FailsRequirement=%s %d!\nFailsRequirementWithReduction=%s %d (%d, -%d%%)!\n");
    std::vector<GameTextLine> lines;
    Item::GenerateRequirementText(18.0f, 20.0f, 10.0f, "LevelRequirement", lines);
    Item::GenerateRequirementText(5.0f, 20.0f, 0.0f, "LevelRequirement", lines);
    Item::GenerateRequirementText(5.0f, 0.0f, 0.0f, "LevelRequirement", lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, u"Level 18 (20, -10%)");
    EXPECT_EQ(lines[0].textClass, GameTextClass::ItemRequirements);
    EXPECT_EQ(lines[1].text, u"Level 20!");
}

TEST_F(ItemIdentityTest, DropSoundsPlayOnceByTheSurfaceAndAFallStopsOnTheFloor)
{
    Item* item = Make(kPlain);
    Region* region = World::Get().GetRegionById(1);
    region->SetFloor(0.0f, 0);
    ASSERT_TRUE(World::Get().AddEntity(item, WorldCoords(region, Coords::MakeTranslation({1, 9, 1}))));
    auto sound = [](const char* name) {
        for (uint32_t id = 1; id < 1000; ++id)
            if (auto* pak = ObjectManager::Get().GetObject<SoundPak>(id); pak && pak->GetObjectName() == name)
                return pak;
        return static_cast<SoundPak*>(nullptr);
    };
    SoundPak* drop = sound("Records/Test/Drop.dbr");
    SoundPak* splash = sound("Records/Test/Splash.dbr");
    ASSERT_TRUE(drop && splash);
    CollisionData water;
    water.surface = PhysicsSurface_Water;
    item->CollisionCallback(water);
    item->CollisionCallback(water);
    EXPECT_EQ(splash->GetPlayCount(), 1u) << "once until armed again";
    item->SetDropSoundToPlay();
    drop->Play(WorldVec3(), 0, false);   // still playing: not restarted
    item->CollisionCallback(CollisionData());
    EXPECT_EQ(drop->GetPlayCount(), 1u);

    // A fall held at its limit sets the item on the floor; the landing there reports the
    // floor's surface (water).
    region->SetFloor(0.0f, PhysicsSurface_Water);
    item->SetDropSoundToPlay();
    item->SetPhysicsType(Entity::kPhysicsTypeDynamic);
    item->SetGravity(true);
    PhysicsEngine::Get().SetEntityMaxFallVelocity(item, -1.0f);
    PhysicsEngine::Get().Step(World::Get(), 1000);
    EXPECT_EQ(item->GetCoords().GetRegionCoords().origin.y, 0.0f);
    item->SetGravity(true);
    PhysicsEngine::Get().Step(World::Get(), 1000);
    EXPECT_EQ(splash->GetPlayCount(), 2u);
    PhysicsEngine::Get().Reset();
}

TEST_F(ItemIdentityTest, OnlyValuableItemsSparkleQuestItemsShowOnTheMinimapAndTheCostDump)
{
    Item* rare = Make(kPlain);
    Item* common = Make(kCoin);
    Item* quest = Make(kQuest);
    Region* region = World::Get().GetRegionById(1);
    for (Item* item : {rare, common, quest})
        ASSERT_TRUE(World::Get().AddEntity(item, WorldCoords(region, Coords())));
    const int commonLeft = common->GetSparkleCountdown();
    common->UpdateSelf(10000);
    EXPECT_EQ(common->GetSparkleCountdown(), commonLeft);
    rare->UpdateSelf(rare->GetSparkleCountdown() + 1);
    EXPECT_GE(rare->GetSparkleCountdown(), 3000);
    EXPECT_LT(rare->GetSparkleCountdown(), 5000);
    gEngine->SetEffectsDisabled(true);
    rare->UpdateSelf(rare->GetSparkleCountdown() + 1);
    gEngine->SetEffectsDisabled(false);
    EXPECT_LT(rare->GetSparkleCountdown(), 0) << "skipped, not picked again";

    MinimapSink sink;
    rare->AppendDetailMapData(sink);
    quest->AppendDetailMapData(sink);
    ASSERT_EQ(sink.GetEntries().size(), 1u);
    EXPECT_EQ(sink.GetEntries()[0].kind, Item::kMinimapQuestItem);
    EXPECT_EQ(sink.GetEntries()[0].text, u"tagQuest");

    rare->DumpCostAttributes();
    EXPECT_TRUE(Logged("  Seed:        7"));
    EXPECT_TRUE(Logged("  Prefix:      Records/P.dbr"));
}

}  // namespace
}  // namespace GAME
