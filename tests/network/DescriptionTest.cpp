// Packet descriptions: their labels, their order and what they leave out.
#include <gtest/gtest.h>

#include "Engine/ChatPacket.h"
#include "Engine/Engine.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/GoldBonusPartyPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/network/QuestPackets.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

class DescriptionTest : public PacketTest {
protected:
    static PlayerNetBasicInfo Pat()
    {
        PlayerNetBasicInfo info;
        info.playerId = 5;
        info.life = 1.5f;
        info.maxLife = 2;
        info.mana = 3;
        info.maxMana = 4;
        info.partyId = 6;
        info.level = 7;
        info.playerName = u"Pat";
        info.isMale = true;
        info.classTag = "tagCClass03";
        return info;
    }
};

TEST_F(DescriptionTest, TheBasicRecordIsDescribedNameFirst)
{
    SinglePlayerBasicInfoPacket packet;
    packet.info = Pat();
    EXPECT_EQ(packet.GetPacketDescription(false),
              "Player: Pat\nIs Male: true\nLevel: 7\nPlayer ID: 5\nHealth: 1.5\nMaximum Health: 2\nMana: 3\n"
              "Maximum Mana: 4\nParty ID: 6");
}

TEST_F(DescriptionTest, TheHeartbeatOpensWithItsHeading)
{
    SinglePlayerHeartbeatPacket packet;
    packet.info = Pat();
    EXPECT_EQ(packet.GetPacketDescription(false),
              "Game Player\nPlayer: 5\nHealth: 1.5\nMaximum Health: 2\nMana: 3\nMaximum Mana: 4\nParty ID: 6\nLevel: 7");
}

TEST_F(DescriptionTest, EachPlayerOfTheRosterHasItsOwnHeading)
{
    AllPlayersBasicInfoPacket packet;
    packet.players = {Pat(), Pat()};
    packet.players[1].playerName = u"Lou";
    const std::string one =
        "Game Player\nPlayer: %s\nIs Male: true\nLevel: 7\nPlayer ID: 5\nHealth: 1.5\nMaximum Health: 2\nMana: 3\n"
        "Maximum Mana: 4\nParty ID: 6";
    std::string expected = one;
    expected.replace(expected.find("%s"), 2, "Pat");
    std::string second = one;
    second.replace(second.find("%s"), 2, "Lou");
    EXPECT_EQ(packet.GetPacketDescription(false), expected + "\n" + second);
}

TEST_F(DescriptionTest, ListsAreDescribedElementByElement)
{
    QuestMessagePacket quest;
    quest.sender = 1;
    quest.receiver = 2;
    quest.data = {8, 9};
    EXPECT_EQ(quest.GetPacketDescription(false),
              "QuestMessage Data\nSender:   1\nReceiver: 2\n  Data: 8\n  Data: 9\nIs Condition Set:false");

    MarketS2CUpdatePacket market;
    market.marketName = "M.dbr";
    market.soldIndices = {4};
    EXPECT_EQ(market.GetPacketDescription(false),
              "Market Id: 0\nMarket Name: M.dbr\nLevel: 0\nSeed: 0\nSold Item Index Size1\n    Item Index: 4");

    PlayerPositionUpdatePacket positions;
    positions.playerIds = {1, 2, 3};
    positions.playerPositions = {WorldVec3(RegionOf(1), Vec3(1, 2, 3)), WorldVec3()};
    EXPECT_EQ(positions.GetPacketDescription(false),
              "Player Positions: \n  Player ID: 1\n  Player Position: region 1 (1, 2, 3)\n  Player ID: 2\n"
              "  Player Position: region 0 (0, 0, 0)");
}

TEST_F(DescriptionTest, BonusPointsAreUnsignedAndTheWordsAreLeftOut)
{
    BonusToServerPacket packet;
    packet.bonus = {1, 0.5f, 0, 0, 0, 10, 0, 0, 0xFFFFFFFF, "", 3};
    packet.activePlayer = 9;
    EXPECT_EQ(packet.GetPacketDescription(false),
              "Life Points: 0.5\nLife Percent: 0\nMana Points: 0\nMana Percent: 0\nGold Points: 10\n"
              "Skill Points: 0\nAttribute Points: 0\nExp Points: 4294967295\nActive Player: 9");
}

TEST_F(DescriptionTest, OnlyTheLabelledFieldsAreDescribed)
{
    TradeAddItemPacket trade;
    trade.sender = 1;
    trade.receiver = 2;
    trade.item.baseName = "A.dbr";
    EXPECT_EQ(trade.GetPacketDescription(false), "Sender: 1\nReceiver: 2");

    GiveGoldPacket gold;
    gold.playerId = 4;
    gold.amount = -3;
    EXPECT_EQ(gold.GetPacketDescription(true), "GiveGoldPacket (type 112)\nPlayerID: 4\nGoldAmount: -3");

    ServerSpawnCompletePacket complete;
    EXPECT_EQ(complete.GetPacketDescription(true), "ServerSpawnCompletePacket is atomic, containing no member elements");
}

TEST_F(DescriptionTest, ASpawnedPlayerIsLoggedWhenItsPacketIsWritten)
{
    LogCapture log;
    SpawnPlayerPacket packet;
    packet.playerObjectId = 0x1000002A;
    packet.PrepareOutBuffer();
    EXPECT_TRUE(log.Contains("Replicating entity 268435498 (0x1000002a) in SpawnPlayerPacket"));
    EXPECT_EQ(packet.GetContainerKind(), ObjectContainerPacket::kSpawnedObjectContainer);
    EXPECT_EQ(packet.GetPacketDescription(false), "Player Object Id: 268435498");
}

}  // namespace
}  // namespace GAME
