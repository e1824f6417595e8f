#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "Engine/Name.h"

using namespace GAME;

TEST(Name, SameTextIsSameNameAndCaseMatters)
{
    const Name a("RightHandHit");
    const Name b(std::string("RightHandHit"));
    const Name c = Name::Create("righthandhit");
    EXPECT_EQ(a, b);
    EXPECT_EQ(a.c_str(), b.c_str());   // one stored text
    EXPECT_NE(a, c);
    EXPECT_STREQ(c.c_str(), "righthandhit");
}

TEST(Name, EmptyAndNullTextsGiveTheEmptyName)
{
    EXPECT_TRUE(Name::noName.IsEmpty());
    EXPECT_STREQ(Name::noName.c_str(), "");
    EXPECT_EQ(Name(""), Name::noName);
    EXPECT_EQ(Name(static_cast<const char*>(nullptr)), Name::noName);
    EXPECT_EQ(Name(), Name::noName);
    EXPECT_FALSE(Name("End").IsEmpty());
}

TEST(Name, TextAfterAnEmbeddedNulIsNotPartOfTheName)
{
    const std::string withNul("Beam\0Two", 8);
    EXPECT_EQ(Name(withNul), Name("Beam"));
}

TEST(Name, WorksAsKeyOfHashedAndOrderedMaps)
{
    std::unordered_map<Name, int> hashed;
    hashed[Name("Beam1")] = 1;
    hashed[Name("Beam2")] = 2;
    EXPECT_EQ(hashed.at(Name("Beam1")), 1);
    EXPECT_EQ(hashed.count(Name("Beam3")), 0u);

    // Ordered by text whatever order the names were made in.
    std::map<Name, int> ordered;
    ordered[Name("zulu-order")] = 0;
    ordered[Name("alpha-order")] = 0;
    ordered[Name("mike-order")] = 0;
    std::vector<std::string> texts;
    for (const auto& [name, value] : ordered)
        texts.emplace_back(name.c_str());
    EXPECT_EQ(texts, (std::vector<std::string>{"alpha-order", "mike-order", "zulu-order"}));
}

// Another process interns its texts in another order, so an index means nothing here:
// a name crosses over as its text and is made again on this side.
TEST(Name, ANameFromAnotherProcessArrivesAsItsText)
{
    static int run = 0;   // a text neither side has interned yet, on every run
    const std::string text = "cross-process-" + std::to_string(++run);
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child makes other names first, so its index for the text differs.
        for (int i = 0; i < 3; ++i)
            Name("only-in-child-" + std::to_string(i) + text);
        const uint32_t index = Name(text).GetIndex();
        _exit(write(pipeEnds[1], &index, sizeof index) == sizeof index ? 0 : 1);
    }
    close(pipeEnds[1]);
    uint32_t childIndex = 0;
    ASSERT_EQ(read(pipeEnds[0], &childIndex, sizeof childIndex), static_cast<ssize_t>(sizeof childIndex));
    close(pipeEnds[0]);
    waitpid(child, nullptr, 0);
    const Name mine(text);
    EXPECT_NE(childIndex, mine.GetIndex());
    EXPECT_EQ(Name(std::string(mine.c_str())), mine);
}

// Every thread gets the one name of each text, however the first interning races. The
// texts are new on every run, so repeating the test still races on fresh texts, and
// nothing depends on what other tests left in the process-wide table.
TEST(Name, ConcurrentCreationInternsEachTextOnce)
{
    static int run = 0;
    const std::string prefix = "concurrent-" + std::to_string(++run) + "-";
    constexpr int kThreads = 4;
    constexpr int kTexts = 500;
    std::vector<std::vector<Name>> made(kThreads, std::vector<Name>(kTexts));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &made, &prefix] {
            // Each thread walks the texts in its own order (strides prime to the count).
            constexpr int kStrides[kThreads] = {1, 3, 7, 9};
            for (int step = 0; step < kTexts; ++step) {
                const int i = (step * kStrides[t]) % kTexts;
                made[t][i] = Name(prefix + std::to_string(i));
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    std::set<uint32_t> indices;
    for (int i = 0; i < kTexts; ++i) {
        for (int t = 1; t < kThreads; ++t)
            EXPECT_EQ(made[t][i], made[0][i]) << i;
        EXPECT_EQ(made[0][i].c_str(), prefix + std::to_string(i));
        indices.insert(made[0][i].GetIndex());
    }
    EXPECT_EQ(indices.size(), static_cast<size_t>(kTexts));
}
