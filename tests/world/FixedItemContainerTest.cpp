// Chests: the lock by nearby monster rank, and the opening with its loot event.
#include "world/PlacedObjectFixture.h"

#include "Game/characters/Monster.h"
#include "Game/world/FixedItemContainer.h"

namespace GAME {

namespace {

using ::testing::_;

class FixedItemContainerTest : public PlacedObjectTest {
protected:
    FixedItemContainer* Chest(const std::string& keys)
    {
        return Place(MakeOf<FixedItemContainer>("FixedItemContainer", keys));
    }
    Monster* Guard(const char* rank, float x)
    {
        return Place(MakeOf<Monster>("Monster", std::string("monsterClassification,") + rank + ",\n"), x);
    }
};

TEST_F(FixedItemContainerTest, StrongMonstersNearbyLockTheChestUntilTheyDie)
{
    struct Case {
        const char* lockRank;
        const char* monsterRank;
        float radius;
        bool locked;
    };
    const Case cases[] = {{"Hero", "Champion", 5.0f, false}, {"Hero", "Hero", 5.0f, true},
                          {"Hero", "Boss", 5.0f, true},      {"Common", "Common", 5.0f, true},
                          {"", "Boss", 5.0f, false}};
    for (const Case& c : cases) {
        FixedItemContainer* chest = Chest("LockedRadius," + std::to_string(c.radius) + ",\nLockedClassification," +
                                          c.lockRank + ",\n");
        Monster* guard = Guard(c.monsterRank, 2.0f);
        chest->SetLock(!c.locked);   // the radius check decides, whatever set the lock
        chest->UpdateSelf(16);
        EXPECT_EQ(chest->IsLocked(), c.locked) << c.lockRank << " " << c.monsterRank;
        World::Get().RemoveEntity(guard);
        World::Get().RemoveEntity(chest);
    }

    FixedItemContainer* tiny = Chest("LockedRadius,0.0001,\nLockedClassification,Common,\n");
    EXPECT_FALSE(tiny->IsRadiusLockEnabled());
    Monster* boss = Guard("Boss", 0.5f);
    tiny->UpdateSelf(16);
    EXPECT_FALSE(tiny->IsLocked());
    World::Get().RemoveEntity(boss);

    FixedItemContainer* chest =
        Chest("LockedRadius,5,\nLockedClassification,Hero,\nLockedEffect," + std::string(kSpark) + ",\n");
    Monster* hero = Guard("Hero", 2.0f);
    chest->UpdateSelf(16);
    EXPECT_TRUE(chest->IsLocked());
    hero->SetLifeState(Character_LifeState_Dead);
    chest->UpdateSelf(484);
    EXPECT_TRUE(chest->IsLocked());   // checked again only after 500 ms
    EXPECT_EQ(chest->GetNumAttachedEntities(), 1u);   // the locked effect
    chest->UpdateSelf(16);
    EXPECT_FALSE(chest->IsLocked());
    chest->UpdateSelf(16);
    EXPECT_EQ(chest->GetNumAttachedEntities(), 0u);
}

TEST_F(FixedItemContainerTest, AUseRightAfterTheGuardDiesOpensTheChestBeforeTheTimedCheck)
{
    FixedItemContainer* chest = Chest("LockedRadius,5,\nLockedClassification,Hero,\n");
    Monster* hero = Guard("Hero", 2.0f);
    Step();
    ASSERT_TRUE(chest->IsLocked());
    chest->RequestToUse(5);
    Step();
    EXPECT_EQ(chest->GetCurrentState(), FixedItemState_Closed);   // the living guard still locks it

    hero->SetLifeState(Character_LifeState_Dead);
    chest->RequestToUse(5);   // before the next timed check
    Step();
    EXPECT_FALSE(chest->IsLocked());
    EXPECT_EQ(chest->GetCurrentState(), FixedItemState_Open);
}

// A client hears its chest open in the frame it hears the guard fall, before its own timed
// check: the open chest is unlocked, and its locked effect goes.
TEST_F(FixedItemContainerTest, AChestHeardToOpenIsNoLongerHeldByItsGuards)
{
    FixedItemContainer* chest =
        Chest("LockedRadius,5,\nLockedClassification,Hero,\nLockedEffect," + std::string(kSpark) + ",\n");
    Monster* hero = Guard("Hero", 2.0f);
    chest->UpdateSelf(16);
    ASSERT_TRUE(chest->IsLocked());
    hero->SetLifeState(Character_LifeState_Dead);
    chest->SetFixedItemState(FixedItemState_Open, 5, false, true);
    EXPECT_FALSE(chest->IsLocked());
    chest->UpdateSelf(16);
    EXPECT_EQ(chest->GetNumAttachedEntities(), 0u);
}

TEST_F(FixedItemContainerTest, AUseLiftsOnlyTheRadiusLockNotOneATriggerSet)
{
    FixedItemContainer* chest = Chest("LockedRadius,5,\nLockedClassification,Hero,\n");
    Monster* hero = Guard("Hero", 2.0f);
    Step();
    ASSERT_TRUE(chest->IsRadiusLocked());
    chest->SetLock(true);   // a trigger action locks it between the timed checks
    hero->SetLifeState(Character_LifeState_Dead);
    chest->RequestToUse(5);
    Step();
    EXPECT_TRUE(chest->IsLocked());
    EXPECT_EQ(chest->GetCurrentState(), FixedItemState_Closed);

    // Unlocked by the radius check, then locked by a trigger: a use does not open it.
    World::Get().RemoveEntity(hero);
    for (int i = 0; i < 40 && chest->IsLocked(); ++i)
        Step();
    ASSERT_FALSE(chest->IsLocked());
    chest->SetLock(true);
    chest->RequestToUse(5);
    Step();
    EXPECT_TRUE(chest->IsLocked());
    EXPECT_EQ(chest->GetCurrentState(), FixedItemState_Closed);
}

TEST_F(FixedItemContainerTest, ATouchOpensTheChestAndTheLootComesAtTheLootEventOnly)
{
    NiceNetwork network;
    engine->InstallNetworkInterface(&network);
    int made = 0;
    EXPECT_CALL(network, CreateItem(0, _, _, nullptr)).WillRepeatedly([&](auto, auto, auto, auto) { ++made; });
    ItemReplicaInfo perParty;
    perParty.baseName = "Records/Thing.dbr";

    for (bool endFirst : {false, true}) {
        FixedItemContainer* chest = Chest("");
        chest->SetDropPerPartyMemberItem(perParty);
        Step();
        auto* controller = dynamic_cast<FixedItemContainerController*>(chest->GetController());
        ASSERT_NE(controller, nullptr);
        EXPECT_EQ(chest->GetCurrentState(), FixedItemState_Closed);
        EXPECT_TRUE(chest->IsOfInterest());

        chest->SetLock(true);
        chest->RequestToUse(5);
        Step();
        EXPECT_EQ(chest->GetCurrentState(), FixedItemState_Closed);   // a locked chest ignores the touch
        chest->SetLock(false);
        chest->RequestToUse(5);
        Step();
        EXPECT_EQ(chest->GetCurrentState(), FixedItemState_Open);
        EXPECT_EQ(controller->GetContainerState(), FixedItemContainerController::Opening);
        EXPECT_FALSE(chest->IsOfInterest());

        made = 0;
        if (endFirst)
            chest->AnimationCallback(Name("End"));
        chest->AnimationCallback(Name("lootGen"));
        chest->AnimationCallback(Name("End"));
        EXPECT_EQ(made, endFirst ? 0 : 1);
        EXPECT_EQ(controller->GetContainerState(), FixedItemContainerController::Opened);
        chest->RequestToUse(5);
        Step();
        chest->AnimationCallback(Name("lootGen"));
        EXPECT_EQ(made, endFirst ? 0 : 1);   // an open chest never opens again
    }
}

TEST_F(FixedItemContainerTest, AChestRestoredOpenShowsItsLastFrameAndDropsNothing)
{
    GraphicsEngine::Get()->RegisterAnimation("ChestOpen.anm", "length,30,\nframeRate,30,\n");
    NiceNetwork network;
    engine->InstallNetworkInterface(&network);
    int made = 0;
    EXPECT_CALL(network, CreateItem(0, _, _, nullptr)).WillRepeatedly([&](auto, auto, auto, auto) { ++made; });
    const std::string keys = "openAnimation,ChestOpen.anm,\nopenAnimationSpeed,1,\nopenSound," + std::string(kSound) +
                             ",\nperPartyMemberDropItemName,Records/Thing.dbr,\n";

    FixedItemContainer* opened = Chest(keys);
    Step();
    opened->RequestToUse(5);
    Step();
    EXPECT_EQ(opened->GetAnimationChannel(0)->animation, "ChestOpen.anm");
    EXPECT_EQ(opened->GetOpenLook().GetSound()->GetPlayCount(), 1u);

    FixedItemContainer* restored = MakeOf<FixedItemContainer>("FixedItemContainer", keys);
    restored->ReadReplicationData(FixedItemState_Open);
    restored->ApplyReplicationData();
    Place(restored, 10.0f);
    Step();
    EXPECT_EQ(restored->GetCurrentState(), FixedItemState_Open);
    EXPECT_EQ(restored->GetOpenLook().GetSound()->GetPlayCount(), 0u);
    EXPECT_EQ(dynamic_cast<FixedItemContainerController*>(restored->GetController())->GetContainerState(),
              FixedItemContainerController::Opened);
    restored->AnimationCallback(Name("lootGen"));
    EXPECT_EQ(made, 0);
}

}  // namespace

}  // namespace GAME
