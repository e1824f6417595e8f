// The byte reader: what the writer wrote reads back, and it fails closed.
#include <gtest/gtest.h>

#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"

namespace GAME {
namespace {

TEST(BinaryReaderTest, ReadsWhatTheWriterWrote)
{
    BinaryWriter writer;
    writer.WriteUInt16(0xBEEF);
    writer.WriteUInt32(0x12345678);
    writer.WriteBool(true);
    writer.WriteString("quest giver");
    BinaryReader reader(writer.GetBuffer(), writer.GetLength());
    EXPECT_EQ(reader.ReadUInt16(), 0xBEEF);
    EXPECT_EQ(reader.ReadUInt32(), 0x12345678u);
    EXPECT_TRUE(reader.ReadBool());
    EXPECT_EQ(reader.ReadString(), "quest giver");
    EXPECT_FALSE(reader.HasFailed());
    EXPECT_EQ(reader.GetRemaining(), 0u);
}

TEST(BinaryReaderTest, AShortBufferFailsAndEveryLaterReadAnswersNothing)
{
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    BinaryReader reader(bytes, sizeof bytes);
    EXPECT_EQ(reader.ReadUInt32(), 0x04030201u);
    EXPECT_EQ(reader.ReadUInt32(), 0u);   // two bytes left
    EXPECT_TRUE(reader.HasFailed());
    EXPECT_EQ(reader.ReadUInt16(), 0u);   // would fit, but the reader has failed
    uint8_t block[2] = {9, 9};
    EXPECT_FALSE(reader.ReadBytes(block, 2));
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(reader.GetPosition(), 4u);
}

TEST(BinaryReaderTest, StringsAreBoundedByTheirLimitAndTheBuffer)
{
    BinaryWriter writer;
    writer.WriteUInt32(BinaryReader::kMaxStringLength + 1);
    BinaryReader tooLong(writer.GetBuffer(), writer.GetLength());
    EXPECT_EQ(tooLong.ReadString(), "");
    EXPECT_TRUE(tooLong.HasFailed());

    BinaryWriter past;
    past.WriteUInt32(10);
    past.WriteBytes("abc", 3);
    BinaryReader cut(past.GetBuffer(), past.GetLength());
    EXPECT_EQ(cut.ReadString(), "");
    EXPECT_TRUE(cut.HasFailed());

    BinaryReader empty(nullptr, 5);
    EXPECT_EQ(empty.ReadUInt16(), 0u);
    EXPECT_TRUE(empty.HasFailed());
}

}  // namespace
}  // namespace GAME
