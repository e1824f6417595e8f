#include <gtest/gtest.h>

#include "Engine/Entity.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/UniqueId.h"

using namespace GAME;

TEST(UniqueIdTest, DefaultIdsAreZeroAndEqual)
{
    UniqueId a, b;
    EXPECT_EQ(a, b);
    for (unsigned i = 0; i < UniqueId::kPartCount; ++i)
        EXPECT_EQ(0u, a.GetPart(i));
    b.SetPart(3, 1);
    EXPECT_FALSE(a == b);
    b.SetPart(4, 7);   // past the last word: ignored
    EXPECT_EQ(0u, b.GetPart(4));
}

TEST(UniqueIdTest, GeneratedIdsDifferAndAreVersionFour)
{
    UniqueId a, b;
    a.Generate();
    b.Generate();
    EXPECT_NE(a, b);
    EXPECT_NE(UniqueId(), a);
    EXPECT_EQ(0x4000u, a.GetPart(1) & 0xF000u);        // version nibble of data3
    EXPECT_EQ(0x80000000u, a.GetPart(2) & 0xC0000000u);   // variant bits of data4[0]
}

TEST(UniqueIdTest, WordsFromTheGuidLayout)
{
    SystemGuid guid;
    guid.data1 = 0x01020304;
    guid.data2 = 0x0506;
    guid.data3 = 0x0708;
    const uint8_t tail[8] = {0x09, 0x0A, 0x0B, 0x0C, 0xD0, 0xE0, 0xF0, 0xFF};
    std::copy(tail, tail + 8, guid.data4);
    UniqueId id;
    id.SetFromGuid(guid);
    EXPECT_EQ(0x01020304u, id.GetPart(0));
    EXPECT_EQ(0x05060708u, id.GetPart(1));
    EXPECT_EQ(0x090A0B0Cu, id.GetPart(2));
    EXPECT_EQ(0xD0E0F0FFu, id.GetPart(3));
}

TEST(InstanceGroupManagerTest, EntityDataAndAffiliations)
{
    InstanceGroupManager& manager = InstanceGroupManager::Get();
    manager.Clear();
    UniqueId id;
    id.SetPart(0, 42);
    EXPECT_EQ(nullptr, manager.GetEntityData(id));
    manager.RegisterEntityData(id, {7, {1, 2, 3}});
    ASSERT_NE(nullptr, manager.GetEntityData(id));
    EXPECT_EQ(7u, manager.GetEntityData(id)->regionId);

    manager.AddGroupAffiliation("Monsters And Weapons", Actor::GetStaticClassInfo());
    manager.AddGroupAffiliation("Any Entity", Entity::GetStaticClassInfo());
    manager.AddGroupAffiliation("Monsters And Weapons", Light::GetStaticClassInfo());
    manager.AddGroupAffiliation("Monsters And Weapons", Actor::GetStaticClassInfo());   // again: kept once
    EXPECT_EQ((std::vector<const RTTI_ClassInfo*>{&Actor::GetStaticClassInfo(), &Light::GetStaticClassInfo()}),
              manager.GetGroupAffiliations("Monsters And Weapons"));
    EXPECT_TRUE(manager.GetGroupAffiliations("Nobody").empty());
    manager.Clear();
    EXPECT_EQ(nullptr, manager.GetEntityData(id));
}

TEST(InstanceGroupManagerTest, NestedMembersComeFromTheHoldersGroupsOfTheTypeUpToTheLimit)
{
    InstanceGroupManager& manager = InstanceGroupManager::Get();
    manager.Clear();
    auto uid = [](uint32_t n) {
        UniqueId id;
        id.SetPart(0, n);
        return id;
    };
    const size_t holders = manager.AddGroup("Walkers", "Npc Wanderers", {uid(1), uid(2)});
    const size_t otherType = manager.AddGroup("Guards", "Patrollers", {uid(1)});
    const size_t square = manager.AddGroup("Square", "Wander Points", {uid(10), uid(11)});
    const size_t route = manager.AddGroup("Route", "Patrol Points", {uid(20)});
    const size_t market = manager.AddGroup("Market", "Wander Points", {uid(12), uid(13), uid(14)});
    ASSERT_TRUE(manager.AddChildGroup(holders, square));
    ASSERT_TRUE(manager.AddChildGroup(holders, route));
    ASSERT_TRUE(manager.AddChildGroup(holders, market));
    ASSERT_TRUE(manager.AddChildGroup(otherType, square));

    std::vector<UniqueId> out;
    EXPECT_TRUE(manager.GetNestedMembers(uid(2), "Npc Wanderers", "Wander Points", 100, out));
    EXPECT_EQ(out, (std::vector<UniqueId>{uid(10), uid(11), uid(12), uid(13), uid(14)}));
    out.clear();
    EXPECT_TRUE(manager.GetNestedMembers(uid(3), "Npc Wanderers", "Wander Points", 100, out));
    EXPECT_TRUE(out.empty());
    // A route longer than the limit is cut where the limit falls, and says so.
    out = {uid(99)};
    EXPECT_FALSE(manager.GetNestedMembers(uid(1), "Npc Wanderers", "Wander Points", 4, out));
    EXPECT_EQ(out, (std::vector<UniqueId>{uid(99), uid(10), uid(11), uid(12)}));
    manager.Clear();
}
