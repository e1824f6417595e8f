#include <gtest/gtest.h>

#include <cstring>
#include <map>
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

TEST(Name, SixteenBytesRoundTripAndForeignBytesGiveTheEmptyName)
{
    const Name original("SpecialHit01");
    unsigned char bytes[16];
    std::memcpy(bytes, &original, sizeof bytes);
    EXPECT_EQ(Name::FromBytes(bytes), original);

    unsigned char empty[16] = {};
    EXPECT_EQ(Name::FromBytes(empty), Name::noName);

    unsigned char outOfRange[16] = {0xFF, 0xFF, 0xFF, 0x7F};
    EXPECT_EQ(Name::FromBytes(outOfRange), Name::noName);

    unsigned char dirty[16];
    std::memcpy(dirty, &original, sizeof dirty);
    dirty[9] = 1;   // the reserved words must be zero
    EXPECT_EQ(Name::FromBytes(dirty), Name::noName);
    EXPECT_EQ(Name::FromBytes(nullptr), Name::noName);
}

TEST(Name, ConcurrentCreationInternsEachTextOnce)
{
    constexpr int kThreads = 4;
    constexpr int kTexts = 500;
    const size_t before = Name::GetTableSize();
    std::vector<std::vector<Name>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &made] {
            for (int i = 0; i < kTexts; ++i) {
                const Name name("concurrent-" + std::to_string((i * (t + 1)) % kTexts));
                made[t].push_back(name);
                EXPECT_EQ(std::string(name.c_str()).rfind("concurrent-", 0), 0u);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(Name::GetTableSize() - before, static_cast<size_t>(kTexts));
    for (int i = 0; i < kTexts; ++i)
        EXPECT_EQ(Name("concurrent-" + std::to_string(i)).c_str(), ("concurrent-" + std::to_string(i)));
}
