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

TEST_F(ConfigCmdPacketTest, OutOfRangeEnumsAndBoolsFailTheReadAndFillerIsIgnored)
{
    AttachItemConfigCmdPacket attach;
    EXPECT_TRUE(ReadsWith(attach, 10, 9));   // equip locations
    EXPECT_FALSE(ReadsWith(attach, 10, 10));
    EXPECT_FALSE(ReadsWith(attach, 13, 0x80));   // negative
    EXPECT_FALSE(ReadsWith(DropItemFromEquipLocConfigCmdPacket{}, 10, 10));
    EXPECT_TRUE(ReadsWith(StartStopDamageEffectConfigCmdPacket{}, 7, 46));   // combat attribute types
    EXPECT_FALSE(ReadsWith(StartStopDamageEffectConfigCmdPacket{}, 7, 47));

    SkillStateUpdateConfigCmdPacket state;   // flag at 12, filler 13 to 15
    EXPECT_FALSE(ReadsWith(state, 12, 2));
    EXPECT_TRUE(ReadsWith(state, 15, 0xFF));
    SkillActiveStateUpdateConfigCmdPacket active;   // flags at 12 and 13, filler 14 and 15
    EXPECT_FALSE(ReadsWith(active, 12, 0x80));
    EXPECT_FALSE(ReadsWith(active, 13, 3));
    EXPECT_TRUE(ReadsWith(active, 14, 0x11));
    state.state = {-5, true};
    Bytes bytes = Written(state);
    bytes[13] = 0x77;
    SkillStateUpdateConfigCmdPacket received;
    ASSERT_TRUE(ReadInto(received, bytes));
    EXPECT_EQ(received.state, (SkillState{-5, true}));   // a signed level stays signed
    EXPECT_EQ(Written(received)[13], 0);

    SetTeamConfigCmdPacket team;   // set flag at 14, filler 15 to 17
    team.team.Set(kTeamMajorHuman, 7);
    EXPECT_FALSE(ReadsWith(team, 14, 2));
    bytes = Written(team);
    Bytes noisy = bytes;
    noisy[15] = 0xAB;
    noisy[17] = 0xCD;
    SetTeamConfigCmdPacket teamBack;
    ASSERT_TRUE(ReadInto(teamBack, noisy));
    EXPECT_EQ(teamBack.team, team.team);
    EXPECT_EQ(Written(teamBack), bytes);   // filler goes out as zeros
    ASSERT_TRUE(ReadInto(teamBack, Written(SetTeamConfigCmdPacket{})));
    EXPECT_FALSE(teamBack.team.IsInitialized());
}

// The skill target result: the flag byte, the actor, 4 bytes of skill number and seed,
// the weapon, the origin, then what the flags say.
TEST_F(ConfigCmdPacketTest, SkillTargetResultFlagsSayWhichFieldsFollow)
{
    constexpr size_t kFixedSize = 2 + 1 + 4 + 4 + 4 + NetLimits::kCoordsSize;
    SkillTargetResultConfigCmdPacket back;
    // The bytes of a result with these targets, iteration and weapon flag, read into `back`.
    auto roundTrip = [&](std::vector<uint32_t> targets, int32_t iteration, bool useWeapon = false) {
        SkillTargetResultConfigCmdPacket p;
        p.actorId = 0x3001;
        p.origin = GoldenSkillFrame();
        p.targetIds = targets;
        p.hitIteration = iteration;
        p.useWeapon = useWeapon;
        const Bytes bytes = Written(p);
        EXPECT_TRUE(ReadInto(back, bytes)) << back.GetReadError();
        return bytes;
    };

    Bytes bytes = roundTrip({0x3004}, 0, true);
    EXPECT_EQ(bytes[2], 4 | 1);
    EXPECT_EQ(bytes.size(), kFixedSize + 4);   // a single id, no count
    EXPECT_EQ(back.targetIds.GetIds(), (std::vector<uint32_t>{0x3004}));
    EXPECT_TRUE(back.useWeapon);
    bytes = roundTrip({0x3004, 0x3005, 0x3006}, 0);
    EXPECT_EQ(bytes[2], 8);
    EXPECT_EQ(bytes.size(), kFixedSize + 4 + 12);
    EXPECT_EQ(back.targetIds.GetIds(), (std::vector<uint32_t>{0x3004, 0x3005, 0x3006}));
    EXPECT_FALSE(back.useWeapon);
    // Read into again, the packet keeps nothing of the earlier targets or iteration.
    back.hitIteration = 99;
    bytes = roundTrip({}, 0);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes.size(), kFixedSize);
    EXPECT_TRUE(back.targetIds.GetIds().empty());
    EXPECT_EQ(back.hitIteration, 0);

    // The hit iteration travels as one signed byte.
    for (auto [sent, read] : {std::pair{3, 3}, {-1, -1}, {200, -56}, {256, 0}}) {
        back.hitIteration = 99;
        bytes = roundTrip({}, sent);
        EXPECT_EQ(bytes[2], 2) << sent;
        ASSERT_EQ(bytes.size(), kFixedSize + 1) << sent;
        EXPECT_EQ(bytes.back(), static_cast<uint8_t>(sent)) << sent;
        EXPECT_EQ(back.hitIteration, read) << sent;
    }
}

TEST_F(ConfigCmdPacketTest, DescriptionsListEachId)
{
    SpawnObjectConfigCmdPacket spawn;
    spawn.spawnIds = {5, 6};
    EXPECT_NE(spawn.GetPacketDescription(false).find("Spawn IDs:\n  ID 0: 5\n  ID 1: 6"), std::string::npos);
}

}  // namespace
}  // namespace GAME
