// The byte form of every field kind, the class tag byte, and the reader's and writer's
// bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>

#include "Engine/ClassTag.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/network/QuestPackets.h"
#include "tests/network/EngineKindsPacket.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {

GAME_IMPLEMENT_PACKET(EngineKindsPacket, ObjectInteractionPacket)

namespace {

TEST(ClassTagTest, NumberedTagsFrom1To99BecomeTheirNumber)
{
    EXPECT_EQ(ClassTagToByte("tagCClass01"), 1);
    EXPECT_EQ(ClassTagToByte("tagCClass99"), 99);
    EXPECT_EQ(ClassTagToByte("tagCClass7"), 7);
    EXPECT_EQ(ClassTagToByte("tagCClass7x"), 7);
    EXPECT_EQ(ClassTagToByte("tagCClass 12"), 12);
    EXPECT_EQ(ClassTagToByte("tagCClass+5"), 5);
    EXPECT_EQ(ClassTagToByte("tagCClass0000000000000000000000042"), 42);
}

TEST(ClassTagTest, EverythingElseIsNotEncodable)
{
    for (const char* tag : {"tagCClass00", "tagCClass100", "xtagCClass05", "tagCClass", "tagCClass-5", "tagcclass05",
                            "", "Warrior"})
        EXPECT_EQ(ClassTagToByte(tag), kClassTagNotEncodable) << tag;
    EXPECT_EQ(ClassTagToByte(nullptr), kClassTagNotEncodable);
}

TEST(ClassTagTest, LongDigitStringsDoNotOverflowIntoRange)
{
    // 2^32 + 1 and 2^64 + 5 wrap to small numbers in a 32- or 64-bit conversion.
    EXPECT_EQ(ClassTagToByte("tagCClass4294967297"), kClassTagNotEncodable);
    EXPECT_EQ(ClassTagToByte("tagCClass18446744073709551621"), kClassTagNotEncodable);
    EXPECT_EQ(ClassTagToByte(("tagCClass" + std::string(5000, '9')).c_str()), kClassTagNotEncodable);
}

TEST(ClassTagTest, ByteBecomesATagWithAtLeastTwoDigits)
{
    std::string tag;
    ByteToClassTag(5, tag);
    EXPECT_EQ(tag, "tagCClass05");
    ByteToClassTag(12, tag);
    EXPECT_EQ(tag, "tagCClass12");
    ByteToClassTag(255, tag);
    EXPECT_EQ(tag, "tagCClass255");
    ByteToClassTag(0, tag);
    EXPECT_EQ(tag, "tagCClass00");
}

class FieldEncodingTest : public PacketTest {};

TEST_F(FieldEncodingTest, WordsAndFloatsAreLittleEndian)
{
    WorldInitPacket init;
    init.timeOfDay = 258;
    EXPECT_EQ(Written(init), (Bytes{0x19, 0x00, 0x02, 0x01, 0x00, 0x00}));

    StartTeleportPacket teleport;
    teleport.SetDestination(0x10000001, 3, -4, 5);
    EXPECT_EQ(Written(teleport), (Bytes{0x2E, 0x00,                      // type 46
                                        0x01, 0x00, 0x00, 0x10,          // player
                                        0x00, 0x00, 0x40, 0x40,          // 3.0
                                        0x00, 0x00, 0x80, 0xC0,          // -4.0
                                        0x00, 0x00, 0xA0, 0x40}));       // 5.0
    GameBalanceUpdatePacket balance;
    balance.level = -1;
    EXPECT_EQ(Written(balance), (Bytes{0x3D, 0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST_F(FieldEncodingTest, AnEmptyListIsAZeroCountAndReadsBackEmpty)
{
    AckEntityPacket ack;
    EXPECT_EQ(Written(ack), (Bytes{0x23, 0x00, 0x00, 0x00, 0x00, 0x00}));
    AckEntityPacket received;
    received.entityIds = {4, 5};   // a reused packet keeps nothing of an earlier read
    ASSERT_TRUE(ReadInto(received, Written(ack)));
    EXPECT_TRUE(received.entityIds.empty());

    MarketS2CUpdatePacket market;
    market.marketName = "Merchant.dbr";
    MarketS2CUpdatePacket marketBack;
    ASSERT_TRUE(ReadInto(marketBack, Written(market)));
    EXPECT_TRUE(marketBack.soldIndices.empty());
}

TEST_F(FieldEncodingTest, EngineKindsHaveTheirDocumentedBytes)
{
    EngineKindsPacket packet;
    packet.flag = true;
    packet.half = 0x12345;   // only the low 16 bits travel
    packet.signedHalf = -2;
    packet.actor = 0x1000000A;
    packet.target = 0;
    packet.members = std::vector<uint32_t>{1, 2};
    packet.slots = std::vector<uint32_t>{0};
    packet.point = WorldVec3(RegionOf(3), Vec3(1.0f, 0.0f, 0.0f));
    packet.coords = WorldCoords(nullptr, Coords());
    packet.text = "ab";
    packet.rawText = "";
    packet.fileName = "F.dbr";
    packet.wide = u"\u00e9";
    const Bytes expected = {
        0xC8, 0x00,                                      // type 200
        0x01,                                            // flag true
        0x45, 0x23,                                      // half: low 16 bits of 0x12345
        0xFE, 0xFF,                                      // signed half -2
        0x0A, 0x00, 0x00, 0x10,                          // actor
        0x00, 0x00, 0x00, 0x00,                          // target: none
        0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00,  // members 1, 2
        0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // slots: one empty slot
        0x03, 0x00, 0x00, 0x00,                          // point: region 3
        0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // 1, 0, 0
        0x00, 0x00, 0x00, 0x00,                          // coords: no region
        0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // x axis
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // y axis
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // z axis
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // origin
        0x02, 0x00, 'a', 'b',                            // text "ab"
        0x00, 0x00,                                      // raw text ""
        0x05, 0x00, 'F', '.', 'd', 'b', 'r',             // file "F.dbr"
        0x01, 0x00, 0xE9, 0x00,                          // wide "\u00e9"
    };
    EXPECT_EQ(Written(packet), expected);

    EngineKindsPacket received;
    ASSERT_TRUE(ReadInto(received, expected)) << received.GetReadError();
    EXPECT_EQ(received.half, 0x2345u);
    EXPECT_EQ(received.signedHalf, -2);
    EXPECT_EQ(received.members.GetIds(), (std::vector<uint32_t>{1, 2}));
    EXPECT_EQ(received.point, packet.point);
    EXPECT_EQ(received.wide, u"\u00e9");
}

TEST_F(FieldEncodingTest, ReaderRefusesValuesItsKindDoesNotAllow)
{
    LogCapture log;
    const auto refused = [](NetPacket& packet, Bytes bytes, size_t at, unsigned char value) {
        bytes[at] = value;
        return !ReadInto(packet, bytes);
    };
    RemoteWMessagePacket message;
    message.text = u"hi";
    const Bytes messageBytes = Written(message);
    EXPECT_TRUE(refused(message, messageBytes, 6, 2));   // a bool byte of 2

    WarpEntityPacket warp;
    warp.warpPoint = WorldVec3(RegionOf(1), Vec3());
    EXPECT_TRUE(refused(warp, Written(warp), 2, 99));   // a region this world does not know
    EXPECT_EQ(warp.GetReadError(), "unknown region 99 (at byte 6)");

    NRLoaderStatePacket loader;
    EXPECT_TRUE(refused(loader, Written(loader), 6, 3));   // past the last loader state
    MarketS2CStatusUpdatePacket status;
    EXPECT_TRUE(refused(status, Written(status), 10, 4));   // past the last item status
}

// After the first failure every read yields zeros, though its bytes are there, and the
// first reason is the one kept.
TEST_F(FieldEncodingTest, AfterAFailureEveryReadYieldsZerosAndTheFirstReasonStays)
{
    RemoteMessagePacket sent;
    sent.receiver = 0x20000001;
    sent.optionalInsert = 0x10000002;
    sent.textTag = "tagHello";
    Bytes bytes = Written(sent);
    bytes[10] = 7;   // the bubble flag
    RemoteMessagePacket back;
    back.asBubble = true;
    back.textTag = "tagStale";
    EXPECT_FALSE(ReadInto(back, bytes));
    EXPECT_EQ(back.GetReadError(), "bool byte 7 (at byte 11)");
    EXPECT_EQ(back.receiver, sent.receiver);
    EXPECT_EQ(back.optionalInsert, sent.optionalInsert);
    EXPECT_FALSE(back.asBubble);
    EXPECT_EQ(back.textTag, "");
}

// A position that is not a finite number compares false with every distance, so it
// must never reach the game: each position reader refuses it, in every packet, and no
// writer sends it.
TEST_F(FieldEncodingTest, PositionsThatAreNotFiniteAreRefusedAndNotSent)
{
    LogCapture log;
    const unsigned char notFinite[][4] = {
        {0x00, 0x00, 0xC0, 0x7F},   // NaN
        {0x01, 0x00, 0x80, 0xFF},   // a signalling NaN with the sign set
        {0x00, 0x00, 0x80, 0x7F},   // infinity
        {0x00, 0x00, 0x80, 0xFF},   // minus infinity
    };
    const auto refusedAt = [&](NetPacket& packet, const Bytes& bytes, size_t at) {
        for (const auto& value : notFinite) {
            Bytes bad = bytes;
            std::copy(value, value + 4, bad.begin() + static_cast<std::ptrdiff_t>(at));
            if (ReadInto(packet, bad))
                return false;
        }
        return ReadInto(packet, bytes);   // the untouched bytes still read
    };

    WarpEntityPacket warp;
    warp.warpPoint = WorldVec3(RegionOf(1), Vec3(1, 2, 3));
    const Bytes warpBytes = Written(warp);
    for (size_t at : {6, 10, 14})   // x, y, z after the header and the region
        EXPECT_TRUE(refusedAt(warp, warpBytes, at)) << at;

    AllPlayersHeartbeatPacket heartbeat;
    PlayerNetHeartbeatInfo player;
    player.classTag = "tagCClass01";
    player.position = WorldVec3(RegionOf(2), Vec3(5, 0, 5));
    heartbeat.players = {player};
    const Bytes heartbeatBytes = Written(heartbeat);
    // count, six words, flags, level byte, class byte, then the position's region
    constexpr size_t kPositionX = 3 + PlayerNetFlags::kHeadSize + 3 + 4;
    EXPECT_TRUE(refusedAt(heartbeat, heartbeatBytes, kPositionX));

    CreateEntityPacket entity;
    entity.coords = WorldCoords(RegionOf(3), Coords::MakeTranslation(Vec3(1, 2, 3)));
    const Bytes entityBytes = Written(entity);
    for (size_t at : {6, 26, 46, 50})   // first and a middle axis value, origin y and z
        EXPECT_TRUE(refusedAt(entity, entityBytes, at)) << at;

    ReadInto(warp, Bytes{0x25, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x7F, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(warp.GetReadError(), "a coordinate that is not a finite number (at byte 10)");
    EXPECT_EQ(warp.warpPoint, WorldVec3());

    // Nor is one sent.
    warp.warpPoint = WorldVec3(RegionOf(1), Vec3(0, std::numeric_limits<float>::quiet_NaN(), 0));
    EXPECT_EQ(warp.PrepareOutBuffer(), 0u);
    EXPECT_TRUE(log.Contains("WarpEntityPacket (type 37) not built: a coordinate is not a finite number"));

    Coords frame;
    frame.yAxis.z = std::numeric_limits<float>::infinity();
    entity.coords = WorldCoords(RegionOf(1), frame);
    EXPECT_EQ(entity.PrepareOutBuffer(), 0u);
}

TEST_F(FieldEncodingTest, ReaderRefusesLengthsAndCountsOverTheirBounds)
{
    EngineKindsPacket packet;
    packet.text = std::string(NetLimits::kMaxStringLength, 'x');
    Bytes bytes = Written(packet);
    ASSERT_FALSE(bytes.empty());
    EngineKindsPacket received;
    ASSERT_TRUE(ReadInto(received, bytes));

    // header, bool, two 16-bit halves, two ids, two empty id lists, a point, a frame
    const size_t textLength = 2 + 1 + 2 + 2 + 4 + 4 + 4 + 4 + NetLimits::kVec3Size + NetLimits::kCoordsSize;
    ASSERT_EQ(bytes[textLength + 1], NetLimits::kMaxStringLength >> 8);
    bytes[textLength] = 0x01;   // 4097 bytes, one more than a string may hold
    bytes[textLength + 1] = 0x10;
    bytes.push_back('x');
    EXPECT_FALSE(ReadInto(received, bytes));
    EXPECT_EQ(received.text, "");
}

TEST_F(FieldEncodingTest, WriterRefusesWhatAReaderWouldRefuse)
{
    LogCapture log;
    CreateEntityPacket entity;
    entity.recordName = std::string(NetLimits::kMaxFileNameLength + 1, 'r');
    EXPECT_EQ(entity.PrepareOutBuffer(), 0u);
    EXPECT_EQ(entity.GetOutBufferSize(), 0u);
    EXPECT_TRUE(log.Contains("CreateEntityPacket (type 33) not built: a file name is longer than a file name may be"));

    entity.recordName = std::string("a\0b", 3);
    EXPECT_EQ(entity.PrepareOutBuffer(), 0u);

    QuestMessagePacket quest;
    quest.data.assign(NetLimits::kMaxListCount + 1, 7);
    EXPECT_EQ(quest.PrepareOutBuffer(), 0u);
    quest.data.pop_back();
    EXPECT_GT(quest.PrepareOutBuffer(), 0u);
}

TEST_F(FieldEncodingTest, ReaderRefusesAFileNameWithAZeroByte)
{
    CreateEntityPacket entity;
    entity.recordName = "abc";
    Bytes bytes = Written(entity);
    bytes[57] = 0;
    EXPECT_FALSE(ReadInto(entity, bytes));
    EXPECT_EQ(entity.recordName, "");

    // A zero byte anywhere in a longer name, in the writer and in the reader.
    LogCapture log;
    const std::string name = "Records/Items/Sword01.dbr";
    entity.recordName = name;
    const Bytes good = Written(entity);
    for (size_t at = 0; at < name.size(); ++at) {
        entity.recordName = name;
        entity.recordName[at] = '\0';
        EXPECT_EQ(entity.PrepareOutBuffer(), 0u) << at;
        Bytes bad = good;
        bad[56 + at] = 0;
        EXPECT_FALSE(ReadInto(entity, bad)) << at;
        EXPECT_EQ(entity.GetReadError(), "file name with a zero byte (at byte " + std::to_string(56 + name.size()) + ")");
    }
}

}  // namespace
}  // namespace GAME
