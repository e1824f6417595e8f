// Actor config command packets at their edges: values a peer may not send, record
// flag bytes, and the optional fields of the skill target result.
#include <gtest/gtest.h>

#include "Game/network/ConfigCmdPackets.h"
#include "tests/network/GoldenPacketsConfigCmd.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

class ConfigCmdPacketTest : public PacketTest {
protected:
    // The bytes of a packet of type P with `at` set to `value`; true when they read.
    template <class P>
    static bool ReadsWith(P sent, size_t at, unsigned char value)
    {
        Bytes bytes = Written(sent);
        bytes.at(at) = value;
        P received;
        return ReadInto(received, bytes);
    }
};

TEST_F(ConfigCmdPacketTest, EquipLocationsAndDamageTypesOutOfRangeFailTheRead)
{
    AttachItemConfigCmdPacket attach;
    attach.location = EquipLocation_Head;
    EXPECT_TRUE(ReadsWith(attach, 10, 9));
    EXPECT_FALSE(ReadsWith(attach, 10, 10));
    EXPECT_FALSE(ReadsWith(attach, 13, 0x80));   // negative
    DropItemFromEquipLocConfigCmdPacket drop;
    EXPECT_FALSE(ReadsWith(drop, 10, 10));

    StartStopDamageEffectConfigCmdPacket effect;
    EXPECT_TRUE(ReadsWith(effect, 7, 46));
    EXPECT_FALSE(ReadsWith(effect, 7, 47));
}

TEST_F(ConfigCmdPacketTest, TeamFlagByteIsABoolAndFillerIsIgnored)
{
    SetTeamConfigCmdPacket sent;
    sent.team.Set(kTeamMajorHuman, 7);
    const Bytes bytes = Written(sent);
    ASSERT_EQ(bytes.size(), 6u + 12u);   // always 12 bytes of team

    EXPECT_FALSE(ReadsWith(sent, 14, 2));
    Bytes noisy = bytes;
    noisy[15] = 0xAB;
    noisy[17] = 0xCD;
    SetTeamConfigCmdPacket received;
    ASSERT_TRUE(ReadInto(received, noisy));
    EXPECT_EQ(received.team, sent.team);
    EXPECT_EQ(Written(received), bytes);   // filler goes out as zeros

    SetTeamConfigCmdPacket unset;
    ASSERT_TRUE(ReadInto(unset, Written(SetTeamConfigCmdPacket{})));
    EXPECT_FALSE(unset.team.IsInitialized());
}

}  // namespace
}  // namespace GAME
