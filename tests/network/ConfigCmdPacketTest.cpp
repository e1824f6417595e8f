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

TEST_F(ConfigCmdPacketTest, SkillStateFlagBytesAreBoolsAndFillerIsIgnored)
{
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
}

// The skill target result: the flag byte, the actor, 4 bytes of skill number and seed,
// the weapon, the origin, then what the flags say.
class SkillTargetResultTest : public ConfigCmdPacketTest {
protected:
    static constexpr size_t kFixedSize = 2 + 1 + 4 + 4 + 4 + NetLimits::kCoordsSize;

    SkillTargetResultConfigCmdPacket Sent(std::vector<uint32_t> targets, int32_t iteration, bool useWeapon = false)
    {
        SkillTargetResultConfigCmdPacket p;
        p.actorId = 0x3001;
        p.origin = GoldenSkillFrame();
        p.targetIds = targets;
        p.hitIteration = iteration;
        p.useWeapon = useWeapon;
        return p;
    }

    // The bytes sent, and the packet they read back into.
    Bytes RoundTrip(const SkillTargetResultConfigCmdPacket& sent, SkillTargetResultConfigCmdPacket& back)
    {
        SkillTargetResultConfigCmdPacket copy(sent);
        const Bytes bytes = Written(copy);
        EXPECT_TRUE(ReadInto(back, bytes)) << back.GetReadError();
        return bytes;
    }
};

TEST_F(SkillTargetResultTest, FlagsSayWhichTargetsFollow)
{
    SkillTargetResultConfigCmdPacket back;
    Bytes bytes = RoundTrip(Sent({}, 0), back);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes.size(), kFixedSize);
    EXPECT_TRUE(back.targetIds.GetIds().empty());
    EXPECT_EQ(back.hitIteration, 0);
    EXPECT_FALSE(back.useWeapon);

    bytes = RoundTrip(Sent({0x3004}, 0, true), back);
    EXPECT_EQ(bytes[2], 4 | 1);
    EXPECT_EQ(bytes.size(), kFixedSize + 4);   // a single id, no count
    EXPECT_EQ(back.targetIds.GetIds(), (std::vector<uint32_t>{0x3004}));
    EXPECT_TRUE(back.useWeapon);

    bytes = RoundTrip(Sent({0x3004, 0x3005, 0x3006}, 0), back);
    EXPECT_EQ(bytes[2], 8);
    EXPECT_EQ(bytes.size(), kFixedSize + 4 + 12);
    EXPECT_EQ(back.targetIds.GetIds(), (std::vector<uint32_t>{0x3004, 0x3005, 0x3006}));

    // A packet read into again keeps nothing of the earlier targets.
    RoundTrip(Sent({}, 0), back);
    EXPECT_TRUE(back.targetIds.GetIds().empty());
}

TEST_F(SkillTargetResultTest, HitIterationTravelsAsOneSignedByte)
{
    const std::pair<int32_t, int32_t> cases[] = {{3, 3}, {-1, -1}, {200, -56}, {256, 0}};
    for (auto [sent, read] : cases) {
        SkillTargetResultConfigCmdPacket back;
        back.hitIteration = 99;
        const Bytes bytes = RoundTrip(Sent({}, sent), back);
        EXPECT_EQ(bytes[2], 2) << sent;
        ASSERT_EQ(bytes.size(), kFixedSize + 1) << sent;
        EXPECT_EQ(bytes.back(), static_cast<uint8_t>(sent)) << sent;
        EXPECT_EQ(back.hitIteration, read) << sent;
    }
}

TEST_F(SkillTargetResultTest, DescribesTheFieldsAndEachTarget)
{
    SkillTargetResultConfigCmdPacket p = Sent({0x3002, 0x3003}, 4);
    const std::string text = p.GetPacketDescription(false);
    for (const char* label : {"Skill Number: ", "Seed: ", "Weapon ID: ", "Use weapon flag: false", "Origin Coords: ",
                              "Hit Iteration: 4", "Target IDs:", "  Target 0: 12290", "  Target 1: 12291"})
        EXPECT_NE(text.find(label), std::string::npos) << label << " in\n" << text;
}

TEST_F(ConfigCmdPacketTest, LabelsStandAsTheyAreRead)
{
    UseItemConfigCmdPacket use;
    use.actorId = 7;
    use.itemId = 9;
    use.destroy = true;
    EXPECT_EQ(use.GetPacketDescription(false), "Parent ID: 7\nItem ID: 9\nDestory: true");

    FixedItemStateChangeConfigCmdPacket fixed;
    fixed.state = 12;   // a state the fixed item may not know still travels
    EXPECT_NE(fixed.GetPacketDescription(false).find("State:     12\nTarget ID: 0\nDo Sound:  false"),
              std::string::npos);

    CreateProjectileConfigCmdPacket projectile;
    projectile.hitIteration = -3;
    EXPECT_NE(projectile.GetPacketDescription(false).find("Hit Iteration:-3"), std::string::npos);

    SpawnObjectConfigCmdPacket spawn;
    spawn.spawnIds = {5, 6};
    EXPECT_NE(spawn.GetPacketDescription(false).find("Spawn IDs:\n  ID 0: 5\n  ID 1: 6"), std::string::npos);
}

}  // namespace
}  // namespace GAME
