// Locks, the platform's rand and the log.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/Engine.h"
#include "Engine/Random.h"

namespace GAME {
namespace {

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads)
{
    CriticalSection section;
    section.Enter();
    section.Enter();
    std::thread other([&] { EXPECT_FALSE(section.TryEnter()); });
    other.join();
    section.Exit();
    std::thread still([&] { EXPECT_FALSE(section.TryEnter()); });
    still.join();
    section.Exit();

    long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) {
                CriticalSectionLock lock(section);
                CriticalSectionLock again(section);
                ++counter;
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(counter, 80000);
}

TEST(Event, AutomaticResetLetsOneWaiterThrough)
{
    Event automatic(false, false);
    EXPECT_FALSE(automatic.Wait(0));
    automatic.Set();
    EXPECT_TRUE(automatic.Wait(0));
    EXPECT_FALSE(automatic.Wait(0));

    Event manual(true, false);
    manual.Set();
    EXPECT_TRUE(manual.Wait(0));
    EXPECT_TRUE(manual.Wait(0));
    manual.Reset();
    EXPECT_FALSE(manual.Wait(1));
}

TEST(PlatformRand, IsSeedableAndInRange)
{
    srand(7);
    std::vector<int> first;
    for (int i = 0; i < 100; ++i) {
        first.push_back(rand());
        ASSERT_GE(first.back(), 0);
        ASSERT_LE(first.back(), kRandMax);
    }
    srand(7);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(rand(), first[static_cast<size_t>(i)]);
}

TEST(Log, ChannelsAreOffUntilGivenANumber)
{
    LogCapture log;
    gEngine->ChannelLog(0, 0, "never %d", 1);
    const int channel = gEngine->RegisterLogChannel("testchannel");
    EXPECT_NE(channel, 0);
    EXPECT_EQ(gEngine->RegisterLogChannel("testchannel"), channel);
    EXPECT_EQ(gEngine->FindLogChannel("testchannel"), channel);
    gEngine->ChannelLog(0, channel, "trace %s %d", "line", 2);
    gEngine->Log(LOG_ERROR, "%s", std::string(1000, 'x').c_str());   // longer than the fast buffer
    auto lines = log.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text, "trace line 2");
    EXPECT_EQ(lines[0].channel, channel);
    EXPECT_EQ(lines[1].text.size(), 1000u);
    EXPECT_EQ(lines[1].level, LOG_ERROR);
}

}  // namespace
}  // namespace GAME
