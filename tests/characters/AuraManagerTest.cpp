// Auras: times held to what an int holds, expiry, removal by id or name at the next
// update, records that are no entity, and a manager destroyed without clearing.
#include <gtest/gtest.h>

#include <climits>

#include "Engine/Engine.h"

#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Game/skills/AuraManager.h"

namespace GAME {
namespace {

class AuraManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RecordDatabase::Get().Clear();
        RecordDatabase::Get().RegisterRecord(kGlow, "Class,Entity,\n");
    }
    void TearDown() override
    {
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }
    static constexpr const char* kGlow = "Records/Test/Glow.dbr";
    Actor owner;
};

TEST_F(AuraManagerTest, SecondsBecomeMillisecondsHeldToTheIntRange)
{
    AuraManager auras;
    const uint32_t longest = auras.AddAura(owner, kGlow, false, INT_MAX);
    auras.AddAura(owner, kGlow, false, INT_MIN);
    auras.AddAura(owner, kGlow, false, 0);
    ASSERT_EQ(auras.GetAuras().size(), 3u);
    EXPECT_EQ(auras.GetAuras()[0].remaining, INT_MAX);
    EXPECT_EQ(auras.GetAuras()[1].remaining, INT_MIN);
    auras.Update(owner, 0);
    ASSERT_EQ(auras.GetAuras().size(), 1u);   // 0 s and the negative time go at once
    auras.Update(owner, INT_MIN);   // a time going backwards stops at the top, never wraps
    EXPECT_EQ(auras.GetAuras()[0].remaining, INT_MAX);
    auras.Update(owner, INT_MAX - 1);
    ASSERT_EQ(auras.GetAuras().size(), 1u);
    EXPECT_EQ(auras.GetAuras()[0].remaining, 1);
    auras.RemoveAura(longest);
    auras.Update(owner, 0);
    EXPECT_TRUE(auras.GetAuras().empty());
    EXPECT_EQ(ObjectManager::Get().GetObject(longest), nullptr);
}

TEST_F(AuraManagerTest, AurasRunOutAreRemovedByNameAndMustBeEntities)
{
    LogCapture log;
    RecordDatabase::Get().RegisterRecord("Records/Test/Sound.dbr", "Class,SoundPak,\n");
    AuraManager auras;
    EXPECT_EQ(auras.AddAura(owner, "", false, 2), 0u);
    EXPECT_EQ(auras.AddAura(owner, "Records/Test/Sound.dbr", false, 2), 0u);
    EXPECT_TRUE(log.Contains("Aura was not an Entity (Records/Test/Sound.dbr)"));

    const uint32_t timed = auras.AddAura(owner, kGlow, false, 2);
    const uint32_t permanent = auras.AddAura(owner, kGlow, true, 0);
    auras.Update(owner, 1999);
    EXPECT_EQ(auras.GetAuras().size(), 2u);
    auras.Update(owner, 1);
    ASSERT_EQ(auras.GetAuras().size(), 1u);
    EXPECT_EQ(ObjectManager::Get().GetObject(timed), nullptr);
    auras.Update(owner, 1000000);
    EXPECT_NE(ObjectManager::Get().GetObject(permanent), nullptr);   // a permanent aura stays

    auras.RemoveAura(kGlow);
    EXPECT_EQ(auras.GetAuras().size(), 1u);   // removal waits for the update
    auras.Update(owner, 0);
    EXPECT_EQ(ObjectManager::Get().GetObject(permanent), nullptr);
}

TEST_F(AuraManagerTest, EntitiesOutliveAManagerNotClearedAndVanishedOnesAreJustForgotten)
{
    uint32_t kept = 0;
    {
        AuraManager auras;
        kept = auras.AddAura(owner, kGlow, true, 0);
    }
    // An aura is carried by its owner, and stays so when its manager is not cleared.
    const Entity* keptAura = ObjectManager::Get().GetObject<Entity>(kept);
    ASSERT_NE(keptAura, nullptr);
    EXPECT_TRUE(keptAura->IsAttachedTo(&owner));

    AuraManager auras;
    const uint32_t gone = auras.AddAura(owner, kGlow, false, 1);
    ObjectManager::Get().DestroyObjectEx(ObjectManager::Get().GetObject(gone), __FILE__, __LINE__);
    auras.Update(owner, 1000);
    EXPECT_TRUE(auras.GetAuras().empty());
    const uint32_t cleared = auras.AddAura(owner, kGlow, true, 0);
    Entity* aura = ObjectManager::Get().GetObject<Entity>(cleared);
    ASSERT_NE(aura, nullptr);
    auras.Clear(owner);
    EXPECT_FALSE(aura->IsAttachedTo(&owner));   // let go before it is destroyed
}

}  // namespace
}  // namespace GAME
