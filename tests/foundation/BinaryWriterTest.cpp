#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "Engine/Engine.h"
#include "Game/core/foundation/BinaryWriter.h"

namespace GAME {
namespace {

std::vector<uint8_t> Bytes(const BinaryWriter& writer)
{
    return {writer.GetBuffer(), writer.GetBuffer() + writer.GetLength()};
}

TEST(BinaryWriter, LayoutIsLittleEndian)
{
    BinaryWriter writer;
    writer.WriteUInt16(0x1234);
    writer.WriteUInt32(0xA1B2C3D4u);
    writer.WriteBool(true);
    writer.WriteBool(false);
    writer.WriteString("Hi");
    writer.WriteString("");
    const uint8_t raw[] = {0xFF, 0x00};
    writer.WriteBytes(raw, sizeof(raw));
    const std::vector<uint8_t> expected = {
        0x34, 0x12,                // uint16
        0xD4, 0xC3, 0xB2, 0xA1,    // uint32
        0x01, 0x00, 0x00, 0x00,    // true
        0x00, 0x00, 0x00, 0x00,    // false
        0x02, 0x00, 0x00, 0x00,    // length of "Hi"
        'H', 'i',                  // its bytes
        0x00, 0x00, 0x00, 0x00,    // empty string: length only
        0xFF, 0x00,                // raw bytes
    };
    EXPECT_EQ(Bytes(writer), expected);
    EXPECT_FALSE(writer.HasFailed());
}

TEST(BinaryWriter, BufferGrowsByTenTimesTheRequest)
{
    BinaryWriter writer;
    EXPECT_EQ(writer.GetBuffer(), nullptr);
    writer.WriteUInt32(1);
    EXPECT_EQ(writer.GetCapacity(), 40u);   // 0 + 10 x 4
    for (int i = 0; i < 9; ++i)
        writer.WriteUInt32(i);
    EXPECT_EQ(writer.GetLength(), 40u);
    EXPECT_EQ(writer.GetCapacity(), 40u);   // exactly full does not grow
    writer.WriteUInt16(7);
    EXPECT_EQ(writer.GetCapacity(), 60u);   // 40 + 10 x 2
    std::vector<uint8_t> block(100, 0xAB);
    writer.WriteBytes(block.data(), block.size());
    EXPECT_EQ(writer.GetCapacity(), 1060u);
    EXPECT_EQ(writer.GetLength(), 142u);
    EXPECT_EQ(writer.GetBuffer()[141], 0xAB);
    EXPECT_EQ(writer.GetBuffer()[40], 7);
}

TEST(BinaryWriter, FailedGrowthIsLoggedAndStopsLaterWrites)
{
    LogCapture log;
    BinaryWriter writer;
    writer.WriteUInt32(0x01020304u);
    // 300 MB would need 40 + 3000 MB: past the largest buffer, refused before any byte
    // of the source is read (so a one-byte source is enough here).
    const uint8_t one = 0;
    writer.WriteBytes(&one, 300u * 1024u * 1024u);
    EXPECT_TRUE(log.Contains("Memory allocation of 3072000kb failed"));
    EXPECT_TRUE(writer.HasFailed());
    writer.WriteUInt32(5);   // skipped too: no hole in the middle of the output
    EXPECT_EQ(Bytes(writer), (std::vector<uint8_t>{0x04, 0x03, 0x02, 0x01}));
    EXPECT_EQ(log.Count("Memory allocation of 3072000kb failed"), 1u);
}

TEST(BinaryWriter, OverflowingRequestIsRefused)
{
    LogCapture log;
    BinaryWriter writer;
    writer.WriteUInt16(1);
    const uint8_t one = 0;
    writer.WriteBytes(&one, SIZE_MAX / 2);   // 10 x the request does not fit a size
    EXPECT_TRUE(writer.HasFailed());
    EXPECT_EQ(writer.GetLength(), 2u);
    EXPECT_EQ(log.Lines().size(), 1u);
    EXPECT_EQ(log.Lines()[0].level, LOG_ERROR);
}

TEST(BinaryWriter, WritesToAFile)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        BinaryWriter writer(file);
        writer.WriteUInt32(0x11223344u);
        writer.WriteString("ab");
        EXPECT_EQ(writer.GetLength(), 0u);   // nothing kept in memory
        EXPECT_FALSE(writer.HasFailed());
    }
    std::rewind(file);
    uint8_t read[10] = {};
    ASSERT_EQ(std::fread(read, 1, sizeof(read), file), 10u);
    const uint8_t expected[] = {0x44, 0x33, 0x22, 0x11, 0x02, 0x00, 0x00, 0x00, 'a', 'b'};
    EXPECT_EQ(std::vector<uint8_t>(read, read + 10), std::vector<uint8_t>(expected, expected + 10));
    std::fclose(file);
}

TEST(BinaryWriter, FileErrorIsReported)
{
    std::FILE* file = std::fopen("/dev/full", "wb");
    if (!file)
        GTEST_SKIP() << "no /dev/full";
    std::setvbuf(file, nullptr, _IONBF, 0);   // unbuffered: the error shows at once
    LogCapture log;
    BinaryWriter writer(file);
    writer.WriteUInt32(1);
    EXPECT_TRUE(writer.HasFailed());
    EXPECT_TRUE(log.Contains("BinaryWriter: writing 4 bytes to the file failed"));
    std::fclose(file);
}

}  // namespace
}  // namespace GAME
