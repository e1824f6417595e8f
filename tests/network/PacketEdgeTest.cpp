// What single packet families do with the values at their edges.
#include <gtest/gtest.h>

#include "Engine/Engine.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/network/QuestPackets.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

class RosterPacketTest : public PacketTest {
protected:
    PlayerNetBasicInfo Player(int32_t level, const std::string& classTag) const
    {
        PlayerNetBasicInfo info;
        info.playerId = 0x30000001;
        info.level = level;
        info.classTag = classTag;
        info.position = WorldVec3(RegionOf(2), Vec3(1, 2, 3));
        info.playerName = u"Pat";
        return info;
    }

    // The flag byte of the one player of an all-players basic packet, and the packet read back.
    uint8_t FlagsSent(const PlayerNetBasicInfo& info, AllPlayersBasicInfoPacket& back) const
    {
        AllPlayersBasicInfoPacket packet;
        packet.players = {info};
        const Bytes bytes = Written(packet);
        EXPECT_TRUE(ReadInto(back, bytes)) << back.GetReadError();
        constexpr size_t kNameAt = 3 + PlayerNetFlags::kHeadSize;
        return bytes[kNameAt + 2 + 2 * info.playerName.size()];
    }
};

TEST_F(RosterPacketTest, LevelTravelsInOneByteOnlyFrom0To255)
{
    AllPlayersBasicInfoPacket back;
    EXPECT_TRUE(FlagsSent(Player(255, "tagCClass07"), back) & PlayerNetFlags::kSmallLevel);
    EXPECT_EQ(back.players[0].level, 255);
    EXPECT_FALSE(FlagsSent(Player(256, "tagCClass07"), back) & PlayerNetFlags::kSmallLevel);
    EXPECT_EQ(back.players[0].level, 256);
    // A negative level in one unsigned byte would come back as 255.
    EXPECT_FALSE(FlagsSent(Player(-1, "tagCClass07"), back) & PlayerNetFlags::kSmallLevel);
    EXPECT_EQ(back.players[0].level, -1);
}

TEST_F(RosterPacketTest, NumberedClassTagsTravelAsTheirNumber)
{
    AllPlayersBasicInfoPacket back;
    EXPECT_TRUE(FlagsSent(Player(1, "tagCClass07"), back) & PlayerNetFlags::kClassByte);
    EXPECT_EQ(back.players[0].classTag, "tagCClass07");
    EXPECT_TRUE(FlagsSent(Player(1, "tagCClass7"), back) & PlayerNetFlags::kClassByte);
    EXPECT_EQ(back.players[0].classTag, "tagCClass07");
    for (const char* tag : {"tagCClass00", "tagCClass100", "Warrior"}) {
        EXPECT_FALSE(FlagsSent(Player(1, tag), back) & PlayerNetFlags::kClassByte) << tag;
        EXPECT_EQ(back.players[0].classTag, tag);
    }
}

TEST_F(RosterPacketTest, GenderTravelsInTheFlagsOfTheBasicForm)
{
    AllPlayersBasicInfoPacket back;
    PlayerNetBasicInfo female = Player(3, "tagCClass01");
    EXPECT_FALSE(FlagsSent(female, back) & PlayerNetFlags::kMale);
    EXPECT_FALSE(back.players[0].isMale);
    PlayerNetBasicInfo male = female;
    male.isMale = true;
    EXPECT_TRUE(FlagsSent(male, back) & PlayerNetFlags::kMale);
    EXPECT_TRUE(back.players[0].isMale);
}

TEST_F(RosterPacketTest, HeartbeatFlagsRefuseTheGenderBit)
{
    AllPlayersHeartbeatPacket packet;
    packet.players = {Player(3, "tagCClass01")};
    Bytes bytes = Written(packet);
    bytes[3 + PlayerNetFlags::kHeadSize] |= PlayerNetFlags::kMale;
    AllPlayersHeartbeatPacket back;
    EXPECT_FALSE(ReadInto(back, bytes));
}

TEST_F(RosterPacketTest, CountsTakeOneByteInTheCompactFormAndFourInTheSingleForm)
{
    AllPlayersHeartbeatPacket empty;
    EXPECT_EQ(Written(empty), (Bytes{0x15, 0x00, 0x00}));

    SinglePlayerHeartbeatPacket single;
    single.info = Player(3, "tagCClass01");
    const Bytes singleBytes = Written(single);
    EXPECT_EQ(Bytes(singleBytes.end() - 4, singleBytes.end()), (Bytes{0, 0, 0, 0}));
    AllPlayersHeartbeatPacket all;
    all.players = {single.info};
    EXPECT_EQ(Written(all).back(), 0x00);
}

TEST_F(RosterPacketTest, MoreThan255PlayersOrSkillsAreNotSent)
{
    LogCapture log;
    AllPlayersHeartbeatPacket packet;
    packet.players.assign(256, Player(1, "tagCClass01"));
    EXPECT_EQ(packet.PrepareOutBuffer(), 0u);
    packet.players.assign(1, Player(1, "tagCClass01"));
    packet.players[0].statusSkills.assign(256, "S.dbr");
    EXPECT_EQ(packet.PrepareOutBuffer(), 0u);
    packet.players[0].statusSkills.pop_back();
    EXPECT_GT(packet.PrepareOutBuffer(), 0u);
}

// A receiver reads into the same packet again and again: each read must leave exactly
// what was sent, whatever an earlier read left in the list's elements.
TEST_F(RosterPacketTest, AReusedPacketHoldsExactlyTheLastReadOrZerosAfterAFailure)
{
    PlayerNetBasicInfo full = Player(300, "Warrior");
    full.isMale = true;
    full.partyId = 0x30000001;
    full.statusSkills = {"Haste.dbr", "Records/Skills/Shield.dbr"};
    full.playerName = u"A longer name than most";
    PlayerNetBasicInfo plain = Player(2, "tagCClass04");
    plain.playerId = 0x40000004;
    plain.playerName = u"Bo";
    PlayerNetBasicInfo other = Player(9, "tagCClass100");
    other.playerId = 0x50000005;

    AllPlayersBasicInfoPacket back;
    for (const std::vector<PlayerNetBasicInfo>& players : std::vector<std::vector<PlayerNetBasicInfo>>{
             {full, full, other}, {plain}, {plain, full}, {}, {other, plain, full}}) {
        AllPlayersBasicInfoPacket sent;
        sent.players = players;
        ASSERT_TRUE(ReadInto(back, Written(sent))) << back.GetReadError();
        EXPECT_EQ(back.players, players);
    }

    AllPlayersHeartbeatPacket heartbeats;
    for (const std::vector<PlayerNetHeartbeatInfo>& players :
         std::vector<std::vector<PlayerNetHeartbeatInfo>>{{full, full}, {plain}}) {
        AllPlayersHeartbeatPacket sent;
        sent.players = players;
        ASSERT_TRUE(ReadInto(heartbeats, Written(sent)));
        EXPECT_EQ(heartbeats.players, players);
    }

    // A read that fails part way keeps the players up to the one it failed in; that one
    // holds what was read and zeros after it, nothing of an earlier read.
    LogCapture log;
    full.position = WorldVec3(RegionOf(5), Vec3(9, 9, 9));
    AllPlayersBasicInfoPacket sent;
    sent.players = {full, full, full};
    ASSERT_TRUE(ReadInto(back, Written(sent)));

    PlayerNetBasicInfo first = Player(1, "tagCClass01");
    PlayerNetBasicInfo second = first;
    second.playerId = 0x60000006;
    second.statusSkills = {"X.dbr"};
    sent.players = {first, second, first};
    Bytes bytes = Written(sent);
    // header and count, then the first player: head, name "Pat", flags, level, class,
    // position and skill count; the second player's position follows its own class byte
    constexpr size_t kPlayerSize = PlayerNetFlags::kHeadSize + 8 + 3 + NetLimits::kVec3Size + 1;
    constexpr size_t kSecondRegion = 3 + kPlayerSize + PlayerNetFlags::kHeadSize + 8 + 3;
    ASSERT_EQ(bytes[kSecondRegion], 2);
    bytes[kSecondRegion] = 99;   // a region this world does not know
    EXPECT_FALSE(ReadInto(back, bytes));
    ASSERT_EQ(back.players.size(), 2u);
    EXPECT_EQ(back.players[0], first);
    PlayerNetBasicInfo partial = second;
    partial.position = WorldVec3();
    partial.statusSkills.clear();
    EXPECT_EQ(back.players[1], partial);
}

class ItemPacketTest : public PacketTest {};

TEST_F(ItemPacketTest, APlainItemIdentityIsFiveBytes)
{
    ItemReplicaInfo item;
    item.objectId = 0x200;
    item.baseName = "Never/Sent.dbr";
    TradeAddItemPacket packet;
    packet.item = item;
    const Bytes bytes = Written(packet);
    EXPECT_EQ(Bytes(bytes.end() - 5, bytes.end()), (Bytes{0x00, 0x02, 0x00, 0x00, 0x00}));
}

TEST_F(ItemPacketTest, TheCompactSeedKeepsItsLow16Bits)
{
    TradeAddItemPacket packet;
    packet.item.seed = 70000;
    TradeAddItemPacket back;
    ASSERT_TRUE(ReadInto(back, Written(packet)));
    EXPECT_EQ(back.item.seed, 4464u);
}

TEST_F(ItemPacketTest, AReadIdentityKeepsNothingOfAnEarlierOne)
{
    TradeAddItemPacket packet;
    packet.item.baseName = "Axe.dbr";
    TradeAddItemPacket back;
    back.item.suffixName = "Old.dbr";
    back.item.var1 = 9;
    ASSERT_TRUE(ReadInto(back, Written(packet)));
    EXPECT_EQ(back.item.suffixName, "");
    EXPECT_EQ(back.item.var1, 0u);
}

TEST_F(ItemPacketTest, IdentityFlagsOutsideTheFieldsAreRefused)
{
    TradeAddItemPacket packet;
    Bytes bytes = Written(packet);
    for (uint8_t flag : {0x01, 0x80}) {
        Bytes bad = bytes;
        bad[bad.size() - 1] = flag;
        TradeAddItemPacket back;
        EXPECT_FALSE(ReadInto(back, bad)) << int{flag};
    }
}

TEST_F(ItemPacketTest, CreateItemSendsEveryNameAndTheWholeSeed)
{
    CreateItemPacket packet;
    packet.item.baseName = "Sword.dbr";
    packet.item.seed = 70000;
    const Bytes bytes = Written(packet);
    // header, character, coords, item id, base name, four empty names, seed, var1
    EXPECT_EQ(bytes.size(), 2 + 4 + NetLimits::kCoordsSize + 4 + (2 + 9) + 4 * 2 + 4 + 4);
    CreateItemPacket back;
    ASSERT_TRUE(ReadInto(back, bytes));
    EXPECT_EQ(back.item.seed, 70000u);
}

class BonusPacketTest : public PacketTest {};

TEST_F(BonusPacketTest, BonusPacketsCarryTheirFixedSizes)
{
    BonusToClientPacket client;
    client.bonus.effectName = "Records/Fx/Heal.dbr";
    client.bonus.receiver = 0x10000002;
    EXPECT_EQ(Written(client).size(), 2u + 40u);
    BonusToClientPacket back;
    back.bonus.effectName = "Stale.dbr";
    ASSERT_TRUE(ReadInto(back, Written(client)));
    EXPECT_EQ(back.bonus.effectName, "");
    EXPECT_EQ(back.bonus.receiver, 0x10000002u);

    BonusToServerPacket server;
    EXPECT_EQ(Written(server).size(), 2u + 36u + NetLimits::kVec3Size + 4u);
}

TEST_F(BonusPacketTest, NegativeGoldTravelsSigned)
{
    GiveGoldPacket gold;
    gold.amount = -250;
    GiveGoldPacket back;
    ASSERT_TRUE(ReadInto(back, Written(gold)));
    EXPECT_EQ(back.amount, -250);
}

class WorldPacketTest : public PacketTest {};

TEST_F(WorldPacketTest, PositionListsAreIndependent)
{
    PlayerPositionUpdatePacket packet;
    packet.playerIds = {1, 2, 3};
    packet.playerPositions = {WorldVec3(RegionOf(1), Vec3()), WorldVec3(RegionOf(2), Vec3())};
    const Bytes bytes = Written(packet);
    EXPECT_EQ(bytes[2], 3);
    EXPECT_EQ(bytes[2 + 4 + 3 * 4], 2);
    PlayerPositionUpdatePacket back;
    ASSERT_TRUE(ReadInto(back, bytes));
    EXPECT_EQ(back.playerIds.size(), 3u);
    EXPECT_EQ(back.playerPositions, packet.playerPositions);
}

TEST_F(WorldPacketTest, EmptyTextAndEmptyBodiesStillTravel)
{
    ServerSpawnCompletePacket complete;
    EXPECT_EQ(Written(complete), (Bytes{0x22, 0x00}));
    EXPECT_TRUE(ReadInto(complete, Bytes{0x22, 0x00}));

    RemoteWMessagePacket message;
    message.receiver = 0x20000001;
    message.asBubble = true;
    EXPECT_EQ(Written(message), (Bytes{0x1B, 0x00, 0x01, 0x00, 0x00, 0x20, 0x01, 0x00, 0x00}));
}

TEST_F(WorldPacketTest, QuestUseSkillSendsTheTargetBeforeTheSkill)
{
    QuestCommandUseSkillPacket packet;
    packet.characterId = 1;
    packet.targetId = 0x0A0B0C0D;
    packet.skillName = "S.dbr";
    const Bytes bytes = Written(packet);
    EXPECT_EQ(Bytes(bytes.begin() + 6, bytes.begin() + 10), (Bytes{0x0D, 0x0C, 0x0B, 0x0A}));
    EXPECT_EQ(bytes[10], 5);
}

}  // namespace
}  // namespace GAME
