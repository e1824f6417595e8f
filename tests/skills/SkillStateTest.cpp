#include <gtest/gtest.h>

#include "Engine/IOStreamReadWrite.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/skills/SkillState.h"

namespace GAME {
namespace {

TEST(SkillStateTest, StatesRoundTripInTheNamedAndTheBinaryForm)
{
    EXPECT_EQ(SkillActiveState(), SkillActiveState(0, false, false));
    const SkillState state{7, true};
    const SkillActiveState active(3, true, false);

    IOStreamWrite named;
    SkillState(state).StreamProperties(named);
    SkillActiveState(active).StreamProperties(named);
    ASSERT_TRUE(named.Close());
    IOStreamRead reading(named.GetBytes().data(), named.GetBytes().size());
    SkillState namedState;
    SkillActiveState namedActive;
    namedState.StreamProperties(reading);
    namedActive.StreamProperties(reading);
    EXPECT_FALSE(reading.Failed());
    EXPECT_EQ(namedState, state);
    EXPECT_EQ(namedActive, active);

    BinaryWriter writer;
    state.SaveState(writer);
    active.SaveState(writer);
    ASSERT_EQ(writer.GetLength(), 20u);   // five 32-bit words
    BinaryReader reader(writer.GetBuffer(), writer.GetLength());
    SkillState binaryState;
    SkillActiveState binaryActive;
    binaryState.RestoreState(reader);
    binaryActive.RestoreState(reader);
    EXPECT_FALSE(reader.HasFailed());
    EXPECT_EQ(binaryState, state);
    EXPECT_EQ(binaryActive, active);
}

TEST(SkillStateTest, AnyNonZeroFlagWordIsTrueAndACutRecordChangesNothing)
{
    const uint32_t words[] = {5, 2, 9, 2};
    BinaryReader reader(words, sizeof(words));
    SkillState state;
    state.RestoreState(reader);
    EXPECT_EQ(state, (SkillState{5, true}));
    SkillActiveState active;
    active.RestoreState(reader);   // one word short
    EXPECT_TRUE(reader.HasFailed());
    EXPECT_EQ(active, SkillActiveState());

    BinaryReader cut(words, 7);
    SkillState kept{4, false};
    kept.RestoreState(cut);
    EXPECT_TRUE(cut.HasFailed());
    EXPECT_EQ(kept, (SkillState{4, false}));

    // A level word too big for the signed field, or a negative named level, reads as 0.
    const uint32_t huge[] = {0x80000001u, 1, 0xFFFFFFFFu, 1, 1};
    BinaryReader hugeReader(huge, sizeof(huge));
    state.RestoreState(hugeReader);
    EXPECT_EQ(state, (SkillState{0, true}));
    active.RestoreState(hugeReader);
    EXPECT_EQ(active, SkillActiveState(0, true, true));
    IOStreamWrite named;
    SkillState{-4, true}.StreamProperties(named);
    ASSERT_TRUE(named.Close());
    IOStreamRead reading(named.GetBytes().data(), named.GetBytes().size());
    state.StreamProperties(reading);
    EXPECT_EQ(state, (SkillState{0, true}));
}

}  // namespace
}  // namespace GAME
