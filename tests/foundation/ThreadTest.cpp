#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/resource.h>

#include <atomic>
#include <cstring>
#include <string>

#include "Engine/CriticalSection.h"
#include "Game/core/foundation/Thread.h"

using namespace GAME;

namespace {

class CountingThread : public Thread {
public:
    void Run() override { ++runs; }
    std::atomic<int> runs{0};
};

// Waits until released, then reports its own scheduling level and name.
class ProbeThread : public Thread {
public:
    void Run() override
    {
        SetThreadName(name);
        release.Wait();
        errno = 0;
        nice = getpriority(PRIO_PROCESS, 0);   // on Linux: the calling thread
        char buffer[32] = {};
        pthread_getname_np(pthread_self(), buffer, sizeof(buffer));
        seenName = buffer;
    }
    const char* name = "";
    Event release{true};
    int nice = 0;
    std::string seenName;
};

}  // namespace

TEST(ThreadTest, WaitBeforeStartReturnsAtOnce)
{
    CountingThread thread;
    EXPECT_FALSE(thread.Wait());
    thread.SetPriority(0);   // no thread: nothing happens
    EXPECT_EQ(0, thread.runs);
}

TEST(ThreadTest, StartRunsAndWaitJoins)
{
    CountingThread thread;
    thread.Start();
    EXPECT_TRUE(thread.Wait());
    EXPECT_EQ(1, thread.runs);
    EXPECT_TRUE(thread.Wait());   // a second wait returns at once
    thread.Start();               // a restart releases the old handle
    EXPECT_TRUE(thread.Wait());
    EXPECT_EQ(2, thread.runs);
}

TEST(ThreadTest, LowestPriorityAndNameReachTheThread)
{
    ProbeThread thread;
    thread.name = "QuestStateSaveThread";   // longer than the system keeps
    thread.Start();
    thread.SetPriority(0);
    thread.release.Set();
    ASSERT_TRUE(thread.Wait());
    EXPECT_GT(thread.nice, getpriority(PRIO_PROCESS, 0));
    EXPECT_EQ("QuestStateSaveT", thread.seenName);
}

TEST(ThreadTest, RaisingPriorityIsBestEffort)
{
    // Without the privilege the system refuses; the thread runs on regardless.
    CountingThread thread;
    thread.Start();
    thread.SetPriority(2);
    thread.SetPriority(1);
    EXPECT_TRUE(thread.Wait());
    thread.SetPriority(0);   // after the end: nothing to change
    EXPECT_EQ(1, thread.runs);
}
