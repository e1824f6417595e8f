// The item identity in its forms, and the base item built from it.
#include <gtest/gtest.h>

#include <limits>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/Minimap.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/World.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/items/Item.h"
#include "Game/network/ItemTradePackets.h"
#include "network/PacketTestUtil.h"

namespace GAME {
namespace {

constexpr const char* kPlain = "Records/Test/Plain.dbr";

class ItemIdentityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { logs += line.text + "\n"; });
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kPlain, "Class,Item,\nitemCost,100,\nitemCostScalePercent,25,\nlevelRequirement,20,\n"
                                       "dropSound3D,Drop.dbr,\ndropSoundWater,Splash.dbr,\nitemClassification,Rare,\n");
        records.RegisterRecord("Coin.dbr", "Class,Item,\nitemCost,2000000000,\nitemCostScalePercent,900,\n");
        records.RegisterRecord("Quest.dbr", "Class,Item,\nitemClassification,Quest,\ndescription,tagQuest,\n");
        records.RegisterRecord("Drop.dbr", "Class,SoundPak,\n");
        records.RegisterRecord("Splash.dbr", "Class,SoundPak,\n");
        records.RegisterRecord("Monster.dbr", "Class,Monster,\n");
        region = World::Get().AddRegion(1, "R");
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        PhysicsEngine::Get().Reset();
        RecordDatabase::Get().Clear();
        LocalizationManager::Instance().Clear();
        gEngine->SetLogSink(previousSink);
    }
    static Item* Make(const char* record, uint32_t seed = 7, uint32_t id = 0)
    {
        ItemReplicaInfo info;
        info.objectId = id;
        info.baseName = record;
        info.prefixName = "Records/P.dbr";
        info.seed = seed;
        return Item::CreateItem(info);
    }

    std::string logs;
    LogSink previousSink;
    Region* region = nullptr;
};

TEST_F(ItemIdentityTest, NetworkFormIsCompactAndTheCreatePacketKeepsTheWholeSeed)
{
    CreateItemPacket carrier;   // any packet carries the compact form
    {
        NetPacketOutBuffer out(&carrier);
        ItemReplicaInfo().WriteReplicationData(out);
        EXPECT_EQ(out.Done(), NetLimits::kHeaderSize + 5) << "the id and a flag byte of 0";
    }
    CreateItemPacket packet, read;
    packet.item.seed = 70000;
    ASSERT_TRUE(ReadInto(read, Written(packet)));
    EXPECT_EQ(read.item.seed, 70000u);

    NetPacketOutBuffer out(&carrier);
    Make(kPlain, 70000)->WriteReplicationData(out);
    const uint32_t size = out.Done();
    Item* peer = Make(kPlain, 1);
    NetPacketHeader header{carrier.GetType()};
    NetPacketInBuffer in(&header, carrier.GetOutBuffer(), static_cast<int>(size));
    ASSERT_TRUE(peer->ReadReplicationData(in) && in.Finish());
    peer->ApplyReplicationData();
    EXPECT_EQ(peer->GetItemReplicaInfo().seed, 4464u) << "the low 16 bits";
    EXPECT_EQ(peer->GetItemReplicaInfo().objectId, peer->GetObjectId()) << "the item keeps its own id";

    ItemReplicaInfo a = peer->GetItemReplicaInfo(), b = a;
    b.objectId = 1;
    b.prefixName = "RECORDS\\p.dbr";
    EXPECT_TRUE(a == b) << "ids, case and separators do not count";
    b.var1 = 1;
    EXPECT_FALSE(a == b);
}

TEST_F(ItemIdentityTest, GoldenSavedBytesAndEveryCutAppliesNothing)
{
    ItemReplicaInfo info;
    info.objectId = 0x01020304;
    info.baseName = "Never.dbr";
    info.suffixName = "S";
    info.seed = 5;
    info.var1 = 6;
    BinaryWriter writer;
    info.SaveState(writer);
    const std::vector<uint8_t> golden = {4, 3, 2, 1, 0, 0, 0, 0, 1, 0, 0, 0, 'S', 0, 0, 0, 0,
                                         0, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0};
    ASSERT_EQ(std::vector<uint8_t>(writer.GetBuffer(), writer.GetBuffer() + writer.GetLength()), golden)
        << "id, four names (no base name), seed, var1";

    Item* item = Make(kPlain, 3);
    for (size_t cut = 0; cut < golden.size(); ++cut) {
        logs.clear();
        BinaryReader reader(golden.data(), cut);
        EXPECT_FALSE(item->RestoreState(reader)) << cut;
        EXPECT_EQ(item->GetItemReplicaInfo().seed, 3u) << cut;
        EXPECT_NE(logs.find("saved identity refused"), std::string::npos) << cut;
    }
    BinaryReader reader(golden.data(), golden.size());
    ASSERT_TRUE(item->RestoreState(reader));
    EXPECT_EQ(item->GetItemReplicaInfo().suffixName, "S");
    EXPECT_EQ(item->GetItemReplicaInfo().baseName, kPlain);
    EXPECT_EQ(item->GetItemReplicaInfo().objectId, item->GetObjectId());
}

TEST_F(ItemIdentityTest, CreationTestsClassAndIdAndRandomizingAnInitialisedItemChangesNothing)
{
    EXPECT_EQ(Make("Monster.dbr"), nullptr);
    Item* item = Make(kPlain, 11);
    EXPECT_EQ(Make(kPlain, 1, item->GetObjectId()), nullptr) << "the id is taken";
    item->RandomizeItem();
    EXPECT_EQ(item->GetItemReplicaInfo().seed, 11u);
    EXPECT_EQ(item->GetItemReplicaInfo().prefixName, "Records/P.dbr");
    auto* placed = ObjectManager::Get().CreateObjectFromFile<Item>(kPlain);
    placed->RandomizeItem();
    EXPECT_TRUE(placed->IsInitialized());
    EXPECT_EQ(placed->GetItemReplicaInfo().seed, 1u) << "no game engine";
}

TEST_F(ItemIdentityTest, CostAndRequirements)
{
    EXPECT_EQ(Make(kPlain)->GetItemClassification(), ItemClassification_Rare);
    EXPECT_EQ(Make(kPlain)->GetItemCost(false), 125u) << "{100} at 25 percent";
    EXPECT_EQ(Make("Coin.dbr")->GetItemCost(false), std::numeric_limits<uint32_t>::max()) << "held, not wrapped";
    EXPECT_TRUE(Item::MeetsRequirements(18.0f, 20.0f, 10.0f));
    EXPECT_FALSE(Item::MeetsRequirements(17.0f, 20.0f, 10.0f));
    EXPECT_TRUE(Item::MeetsRequirements(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(Item::MeetsRequirements(1e6f, 3e9f, 0.0f)) << "held to the int range, not undefined";

    LocalizationManager::Instance().RegisterTags(
        "LevelRequirement=Level\nMeetsRequirement=%s %d\nMeetsRequirementWithReduction=%s %d (%d, -%d%%)\n"
        "FailsRequirement=%s %d!\nFailsRequirementWithReduction=%s %d (%d, -%d%%)!\n");
    std::vector<GameTextLine> lines;
    for (float have : {18.0f, 5.0f})
        Item::GenerateRequirementText(have, 20.0f, have > 10.0f ? 10.0f : 0.0f, "LevelRequirement", lines);
    Item::GenerateRequirementText(5.0f, 0.0f, 0.0f, "LevelRequirement", lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, u"Level 18 (20, -10%)");
    EXPECT_EQ(lines[0].textClass, GameTextClass::ItemRequirements);
    EXPECT_EQ(lines[1].text, u"Level 20!");
}

TEST_F(ItemIdentityTest, DropSoundsByTheSurfaceSparklesMinimapAndCostDump)
{
    Item* item = Make(kPlain);
    Item* common = Make("Coin.dbr");
    Item* quest = Make("Quest.dbr");
    for (Item* placed : {item, common, quest})
        ASSERT_TRUE(World::Get().AddEntity(placed, WorldCoords(region, Coords::MakeTranslation({1, 9, 1}))));
    auto* drop = DynamicCast<SoundPak>(ObjectManager::Get().GetObject(item->GetObjectId() + 1));
    auto* splash = DynamicCast<SoundPak>(ObjectManager::Get().GetObject(item->GetObjectId() + 2));
    ASSERT_TRUE(drop && splash && splash->GetObjectName() == "Splash.dbr");
    drop->Play(WorldVec3(), 0, false);   // still playing: not restarted
    item->CollisionCallback(CollisionData());
    EXPECT_EQ(drop->GetPlayCount(), 1u);

    // A fall held at its limit sets the item on the floor; landing there plays the sound
    // of the floor's surface, once.
    region->SetFloor(0.0f, PhysicsSurface_Water);
    item->SetDropSoundToPlay();
    item->SetPhysicsType(Entity::kPhysicsTypeDynamic);
    item->SetGravity(true);
    PhysicsEngine::Get().SetEntityMaxFallVelocity(item, -1.0f);
    PhysicsEngine::Get().Step(World::Get(), 1000);
    EXPECT_EQ(item->GetCoords().GetRegionCoords().origin.y, 0.0f);
    item->SetGravity(true);
    PhysicsEngine::Get().Step(World::Get(), 1000);
    item->CollisionCallback(CollisionData());
    EXPECT_EQ(splash->GetPlayCount(), 1u);

    const int commonLeft = common->GetSparkleCountdown();
    common->UpdateSelf(10000);
    EXPECT_EQ(common->GetSparkleCountdown(), commonLeft);
    item->UpdateSelf(item->GetSparkleCountdown() + 1);
    EXPECT_GE(item->GetSparkleCountdown(), 3000);
    EXPECT_LT(item->GetSparkleCountdown(), 5000);
    gEngine->SetEffectsDisabled(true);
    item->UpdateSelf(item->GetSparkleCountdown() + 1);
    gEngine->SetEffectsDisabled(false);
    EXPECT_LT(item->GetSparkleCountdown(), 0) << "skipped, not picked again";

    MinimapSink sink;
    item->AppendDetailMapData(sink);
    quest->AppendDetailMapData(sink);
    ASSERT_EQ(sink.GetEntries().size(), 1u);
    EXPECT_EQ(sink.GetEntries()[0].kind, Item::kMinimapQuestItem);
    EXPECT_EQ(sink.GetEntries()[0].text, u"tagQuest");
    item->DumpCostAttributes();
    EXPECT_NE(logs.find("  Seed:        7\n"), std::string::npos);
}

}  // namespace
}  // namespace GAME
