// Reading a gamehost server's printed lines for its frames, its port and the hosts that join
// and leave, and the frame rates timed from them, as the network benchmark reads the real
// server.
#include <gtest/gtest.h>

#include "bench/ServerFrameLines.h"

namespace GAME {
namespace {

TEST(ServerFrameLinesTest, TakesFramesPortAndLeavesFromTheLinesThatTellThem)
{
    ServerFrameLines lines;
    lines.See("gamehost: listening on port 40123", 0.0);
    lines.See("fight: frame 12: Bystander strikes (blow 3 on the player): hit", 1.0);
    lines.See("quest giver: frame 14: the player engages the quest giver", 1.5);
    lines.See("net: player 268435458 \"Guest\" life 300.0 at (0.00, 0.00, 4.00)", 1.6);
    lines.See("gamehost: ran 6000 frames of 250 ms", 1.7);
    lines.See("fight: frame 99 of the player's blows", 1.8);              // no frame's line
    lines.See("townsfolk: villager 1 says: frame 500: a word", 1.9);     // nor one whose frame is not its first field's
    lines.See("session: frame 20: host 2 joined", 2.5);
    lines.See("session: frame 21: host 4 was told of 8 characters and 0 items on the ground", 2.5);
    lines.See("session: frame 22: host 2 left", 2.6);
    lines.See("session: frame 30: host 2 left: it sent too much", 3.0);
    lines.See("session: frame 31: host 3 timed out", 3.1);
    lines.See("ai: frame 25: a line of an earlier frame printed late", 3.2);

    EXPECT_EQ(lines.port, 40123);
    EXPECT_EQ(lines.LatestFrame(), 31);
    const std::vector<FrameSample> samples = lines.Samples();
    ASSERT_EQ(samples.size(), 7u);
    EXPECT_EQ(samples[1].frame, 14);
    EXPECT_DOUBLE_EQ(samples[1].seconds, 1.5);
    EXPECT_EQ(samples[2].frame, 20);
    EXPECT_TRUE(lines.Joined(2));
    EXPECT_FALSE(lines.Joined(3));
    EXPECT_EQ(lines.Left(2), "left: it sent too much");   // its last leave
    EXPECT_EQ(lines.Left(3), "timed out");
    EXPECT_EQ(lines.Left(4), "");
    EXPECT_EQ(lines.Left(1), "");
}

TEST(ServerFrameLinesTest, TimesAFloodsFramesAgainstTheSameFramesOfAReference)
{
    // The flooded run: frames 100 to 300 over 10 s, samples a second apart.
    std::vector<FrameSample> flooded;
    for (int i = 0; i <= 10; ++i)
        flooded.push_back({5.0 + i, 100 + 20 * i});
    int first = 0, last = 0;
    // A span from 6 s to 9 s holds the samples at its ends.
    EXPECT_DOUBLE_EQ(RateBetween(flooded, 6.0, 9.0, &first, &last), 20.0);
    EXPECT_EQ(first, 120);
    EXPECT_EQ(last, 180);
    EXPECT_EQ(RateBetween(flooded, 5.5, 6.5), 0.0);   // one sample in it

    // The reference played frames 120 to 180 in 2 s (from the first sample at or past each).
    const std::vector<FrameSample> reference{{1.0, 100}, {2.0, 110}, {3.0, 121}, {4.0, 150}, {5.0, 181}, {6.0, 200}};
    EXPECT_DOUBLE_EQ(RateOverFrames(reference, 120, 180), 30.0);
    // A reference that never got that far is timed to its last frame.
    EXPECT_DOUBLE_EQ(RateOverFrames(reference, 150, 400), 25.0);
    EXPECT_EQ(RateOverFrames(reference, 200, 400), 0.0);
    EXPECT_EQ(RateOverFrames(reference, 400, 500), 0.0);
}

}  // namespace
}  // namespace GAME
