#include <gtest/gtest.h>

#include <pthread.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "Engine/CriticalSection.h"
#include "Engine/Engine.h"
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

// Runs until released; touches only what it was given, so it may outlive its own
// derived part while the base destructor waits for it.
class HeldThread : public Thread {
public:
    HeldThread(Event& started, Event& release, std::atomic<int>& ends)
        : m_started(started), m_release(release), m_ends(ends)
    {
    }
    void Run() override
    {
        Event& release = m_release;
        std::atomic<int>& ends = m_ends;
        m_started.Set();
        release.Wait();
        ends.fetch_add(1);
    }

private:
    Event& m_started;
    Event& m_release;
    std::atomic<int>& m_ends;
};

}  // namespace

TEST(ThreadTest, ASecondStartWhileRunningIsRefusedAndTheDestructorWaits)
{
    Event started{true};
    Event release{true};
    std::atomic<int> ends{0};
    std::thread releaser;
    {
        HeldThread thread(started, release, ends);
        ASSERT_TRUE(thread.Start());
        started.Wait();
        {
            LogCapture log;
            EXPECT_FALSE(thread.Start());
            EXPECT_TRUE(log.Contains("Thread: not started again while the thread of the earlier start runs"));
        }
        releaser = std::thread([&release] {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            release.Set();
        });
    }   // the destructor waits for the one thread
    EXPECT_EQ(ends.load(), 1);
    releaser.join();

    // Once it has ended, the same object starts again.
    release.Reset();
    HeldThread again(started, release, ends);
    ASSERT_TRUE(again.Start());
    release.Set();
    EXPECT_TRUE(again.Wait());
    EXPECT_TRUE(again.Start());
    EXPECT_TRUE(again.Wait());
    EXPECT_EQ(ends.load(), 3);
}

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
    // Whatever nice the suite runs under (a plain run, `nice`, `nice -n 19`), the lowest
    // level lowers the thread below the process, or leaves it at the end of the range.
    constexpr int kNiceMax = 19;
    errno = 0;
    const int start = getpriority(PRIO_PROCESS, 0);
    ASSERT_EQ(0, errno);
    ProbeThread thread;
    thread.name = "QuestStateSaveThread";   // longer than the system keeps
    thread.Start();
    thread.SetPriority(0);
    thread.release.Set();
    ASSERT_TRUE(thread.Wait());
    if (start < kNiceMax)
        EXPECT_GT(thread.nice, start);
    else
        EXPECT_EQ(kNiceMax, thread.nice);
    EXPECT_EQ("QuestStateSaveT", thread.seenName);
}

// A process started niced near or at the end of the range: the lowest level takes its
// threads to the end of the range and never back up towards normal. Each start runs in a
// child, so the suite's own scheduling level stays as it was.
TEST(ThreadTest, LowestPriorityNeverRaisesANicedProcess)
{
    constexpr int kNiceMax = 19;
    constexpr int kExitBias = 20;   // exit codes are unsigned; nice runs from -20
    for (const int start : {15, kNiceMax}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (setpriority(PRIO_PROCESS, 0, start) != 0)
                _exit(0);
            ProbeThread thread;
            thread.Start();
            thread.SetPriority(0);
            thread.release.Set();
            _exit(thread.Wait() ? thread.nice + kExitBias : 0);
        }
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(kNiceMax, WEXITSTATUS(status) - kExitBias) << "started at nice " << start;
    }
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
