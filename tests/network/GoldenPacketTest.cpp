// The golden packets byte for byte in both directions, and every one of them cut short
// at every byte, lengthened, and with each count and length flipped: such bytes must
// fail to read and never reach a handler.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "tests/network/GoldenPackets.h"

namespace GAME {
namespace {

class GoldenPacketTest : public PacketTest {
protected:
    // The objects the golden command packets name.
    void SetUp() override
    {
        PacketTest::SetUp();
        for (uint32_t id : kGoldenConfigCmdObjects)
            ObjectManager::Get().CreateObject("Object", id);
    }
    void TearDown() override
    {
        NetPacketRegistry::Get().ClearHandlers();
        ObjectManager::Get().DestroyAllObjects();
        PacketTest::TearDown();
    }

    // Dispatches the bytes with a handler on their type; true when the handler ran.
    static bool Handled(NetPacketType type, const Bytes& bytes)
    {
        bool handled = false;
        NetPacketRegistry::Get().SetHandler(type, [&handled](NetPacket&, int) { handled = true; });
        NetPacketRegistry::Get().Dispatch(1, bytes.data(), bytes.size());
        return handled;
    }
};

TEST_F(GoldenPacketTest, EveryRegisteredPacketHasOneGolden)
{
    constexpr NetPacketType kFirstTestPacketType = 200;   // test programs register their own from here
    const std::vector<GoldenPacket> goldens = GoldenPackets();
    for (NetPacketType type : NetPacketRegistry::Get().GetTypes()) {
        if (type >= kFirstTestPacketType)
            continue;
        size_t found = 0;
        for (const GoldenPacket& golden : goldens)
            found += golden.bytes.size() >= 2 && (golden.bytes[0] | golden.bytes[1] << 8) == type;
        EXPECT_EQ(found, 1u) << "type " << type << " (" << NetPacketRegistry::Get().FindType(type)->GetName() << ")";
    }
}

TEST_F(GoldenPacketTest, WritesTheGoldenBytes)
{
    LogCapture log;   // the spawn packet logs each write
    for (const GoldenPacket& golden : GoldenPackets()) {
        SCOPED_TRACE(golden.name);
        EXPECT_EQ(Written(*golden.make()), golden.bytes);
    }
}

TEST_F(GoldenPacketTest, ReadsTheGoldenBytesBackIntoTheSamePacket)
{
    LogCapture log;
    for (const GoldenPacket& golden : GoldenPackets()) {
        SCOPED_TRACE(golden.name);
        const NetPacketType type = golden.make()->GetType();
        std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(type);
        ASSERT_NE(packet, nullptr);
        EXPECT_STREQ(packet->GetClassName(), golden.name);
        ASSERT_TRUE(ReadInto(*packet, golden.bytes)) << packet->GetReadError();
        EXPECT_EQ(packet->GetPacketDescription(false), golden.make()->GetPacketDescription(false));
        EXPECT_EQ(Written(*packet), golden.bytes);
        EXPECT_TRUE(Handled(type, golden.bytes));
    }
}

TEST_F(GoldenPacketTest, ReadsTheValuesTheFieldsStandFor)
{
    const std::vector<GoldenPacket> goldens = GoldenPackets();
    BonusToServerPacket bonus;
    ASSERT_TRUE(ReadInto(bonus, goldens[0].bytes));
    EXPECT_EQ(bonus.bonus.receiver, 0u);   // the leading word does not travel to the server
    EXPECT_EQ(bonus.bonus.effectName, "");
    EXPECT_EQ(bonus.bonus.source, 0x12345678u);
    EXPECT_EQ(bonus.point, WorldVec3(RegionOf(7), Vec3(1.0f, -2.0f, 0.5f)));

    AllPlayersBasicInfoPacket roster;
    ASSERT_TRUE(ReadInto(roster, goldens[2].bytes));
    const std::unique_ptr<NetPacket> expected = goldens[2].make();
    EXPECT_EQ(roster.players, static_cast<AllPlayersBasicInfoPacket&>(*expected).players);

    TradeAddItemPacket trade;
    ASSERT_TRUE(ReadInto(trade, goldens[3].bytes));
    EXPECT_EQ(trade.placement, Vec2(2.0f, 3.0f));
    EXPECT_EQ(trade.item.baseName, "Axe.dbr");
    EXPECT_EQ(trade.item.prefixName, "Sharp.dbr");
    EXPECT_EQ(trade.item.suffixName, "");
    EXPECT_EQ(trade.item.seed, 4464u);
    EXPECT_EQ(trade.item.var1, 5u);
}

TEST_F(GoldenPacketTest, EveryCutFailsAndReachesNoHandler)
{
    LogCapture log;
    for (const GoldenPacket& golden : GoldenPackets()) {
        SCOPED_TRACE(golden.name);
        const NetPacketType type = golden.make()->GetType();
        for (size_t size = 0; size < golden.bytes.size(); ++size) {
            const Bytes cut(golden.bytes.begin(), golden.bytes.begin() + size);
            std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(type);
            EXPECT_FALSE(ReadInto(*packet, cut)) << "cut at " << size;
            EXPECT_FALSE(packet->GetReadError().empty());
            EXPECT_FALSE(Handled(type, cut)) << "cut at " << size;
        }
        Bytes longer = golden.bytes;
        longer.push_back(0);
        EXPECT_FALSE(Handled(type, longer));
    }
}

TEST_F(GoldenPacketTest, EveryFlippedCountFailsAndReachesNoHandler)
{
    LogCapture log;
    for (const GoldenPacket& golden : GoldenPackets()) {
        SCOPED_TRACE(golden.name);
        const NetPacketType type = golden.make()->GetType();
        for (auto [offset, width] : golden.counts) {
            Bytes flipped = golden.bytes;
            for (size_t i = 0; i < width; ++i)
                flipped[offset + i] ^= 0xFF;
            std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(type);
            EXPECT_FALSE(ReadInto(*packet, flipped)) << "count at " << offset;
            EXPECT_FALSE(Handled(type, flipped)) << "count at " << offset;
        }
    }
}

TEST_F(GoldenPacketTest, ADroppedPacketIsLoggedWithItsReason)
{
    LogCapture log;
    Bytes quest = GoldenPackets()[4].bytes;
    quest.pop_back();
    EXPECT_FALSE(Handled(QuestMessagePacket::kType, quest));
    EXPECT_TRUE(log.Contains("QuestMessagePacket from host 1 dropped: short field: 1 bytes needed, 0 left (at byte 26)"));
}

}  // namespace
}  // namespace GAME

namespace GAME {
namespace {

// With FUZZ_PACKETS_CORPUS set, writes each golden packet there as the packet fuzzer's
// seed: the type's place among the registered types, then the bytes after the header.
TEST(GoldenPacketCorpusTest, WritesCorpusSeedsWhenAsked)
{
    const char* folder = std::getenv("FUZZ_PACKETS_CORPUS");
    if (!folder)
        GTEST_SKIP() << "FUZZ_PACKETS_CORPUS not set";
    const std::vector<NetPacketType> types = NetPacketRegistry::Get().GetTypes();
    for (const GoldenPacket& golden : GoldenPackets()) {
        const NetPacketType type = golden.make()->GetType();
        const auto place = std::find(types.begin(), types.end(), type) - types.begin();
        std::ofstream seed(std::string(folder) + "/" + golden.name, std::ios::binary);
        seed.put(static_cast<char>(place));
        seed.write(reinterpret_cast<const char*>(golden.bytes.data() + NetLimits::kHeaderSize),
                   static_cast<std::streamsize>(golden.bytes.size() - NetLimits::kHeaderSize));
        ASSERT_TRUE(seed.good()) << golden.name;
    }
}

}  // namespace
}  // namespace GAME
