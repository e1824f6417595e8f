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
