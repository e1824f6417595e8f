#include "world/PlacedObjectFixture.h"

#include "Engine/PathFinder.h"

#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemSkill.h"

namespace GAME {

// A kind that takes every state it is given and notes how.
class ShownFixedItem : public FixedItem {
    GAME_DECLARE_CLASS(ShownFixedItem)

public:
    void SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects) override
    {
        notes.push_back(std::to_string(state) + (instant ? " instant" : "") + (withEffects ? " effects" : "") +
                        " by " + std::to_string(actorId));
        SetCurrentState(state);
    }
    std::vector<std::string> notes;
};
GAME_IMPLEMENT_CLASS(ShownFixedItem, FixedItem)

namespace {

class FixedItemTest : public PlacedObjectTest {
protected:
    ShownFixedItem* Item(const std::string& keys = "") { return MakeOf<ShownFixedItem>("ShownFixedItem", keys); }
    static std::vector<uint8_t> Saved(FixedItem& item)
    {
        BinaryWriter writer;
        item.SaveState(writer);
        return std::vector<uint8_t>(writer.GetBuffer(), writer.GetBuffer() + writer.GetLength());
    }
};

TEST_F(FixedItemTest, TheReplicationByteCarriesTheStateAndTheLock)
{
    struct Case {
        FixedItem_State state;
        bool locked;
        uint8_t byte;
    };
    const Case cases[] = {{FixedItemState_Open, true, 0x82},
                          {FixedItemState_DoorClosed, false, 0x09},
                          {FixedItemState_None, false, 0x00},
                          {FixedItemState_DoorOpenByTrigger, true, 0x8B}};
    for (const Case& c : cases) {
        ShownFixedItem* sender = Item();
        sender->SetFixedItemState(c.state, 0, false, false);
        sender->SetLock(c.locked);
        EXPECT_EQ(sender->WriteReplicationData(), c.byte);

        ShownFixedItem* receiver = Item();
        receiver->ReadReplicationData(c.byte);
        EXPECT_FALSE(receiver->IsLocked());   // nothing applies before ApplyReplicationData
        receiver->ApplyReplicationData();
        EXPECT_EQ(receiver->IsLocked(), c.locked);
        EXPECT_EQ(receiver->GetPendingState(), c.state);
        // A state received but not yet shown is what the item passes on.
        EXPECT_EQ(receiver->WriteReplicationData(), c.byte);
    }
}

TEST_F(FixedItemTest, ASavedItemComesBackInItsStateWithoutItsTransition)
{
    ShownFixedItem* chest = Item("perPartyMemberDropItemName,Records/Test/Ring.dbr,\n");
    EXPECT_EQ(chest->GetDropPerPartyMemberItem().baseName, "Records/Test/Ring.dbr");
    chest->SetFixedItemState(FixedItemState_Open, 0, false, true);
    chest->SetLock(true);
    const std::vector<uint8_t> blob = Saved(*chest);
    const std::vector<uint8_t> golden = {
        0x02, 0, 0, 0,   // state: open
        0x01, 0, 0, 0,   // locked
        0, 0, 0, 0,      // drop item: object id
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,   // prefix, suffix, relic, relic bonus
        0, 0, 0, 0, 0, 0, 0, 0};                          // seed, var1
    EXPECT_EQ(blob, golden);

    ShownFixedItem* restored = Item();
    BinaryReader reader(blob.data(), blob.size());
    ASSERT_TRUE(restored->RestoreState(reader));
    EXPECT_TRUE(restored->IsLocked());
    EXPECT_EQ(restored->GetPendingState(), FixedItemState_Open);
    Place(restored);
    Step();
    EXPECT_EQ(restored->notes, std::vector<std::string>{"2 instant by 0"});
    EXPECT_EQ(restored->GetPendingState(), FixedItemState_None);
    EXPECT_EQ(restored->GetCurrentState(), FixedItemState_Open);
}

TEST_F(FixedItemTest, ASaveCutShortOrHoldingNoStateChangesNothing)
{
    ShownFixedItem* chest = Item();
    chest->SetFixedItemState(FixedItemState_DoorOpen, 0, false, false);
    std::vector<uint8_t> blob = Saved(*chest);
    for (size_t size = 0; size < blob.size(); ++size) {
        ShownFixedItem* restored = Item();
        BinaryReader reader(blob.data(), size);
        EXPECT_FALSE(restored->RestoreState(reader)) << size;
        EXPECT_EQ(restored->GetPendingState(), FixedItemState_None);
    }
    blob[0] = 0x80;   // past the seven bits every peer keeps
    ShownFixedItem* restored = Item();
    BinaryReader reader(blob.data(), blob.size());
    EXPECT_FALSE(restored->RestoreState(reader));
    EXPECT_EQ(restored->GetPendingState(), FixedItemState_None);
}

TEST_F(FixedItemTest, TheSkillFiresOnceAfterItsDelayOnTheTargetsChosenBeforeTheCommand)
{
    const std::string buff = NewRecord("FixedItemSkill_Buff", "buffSkillName,Records/Test/Blessing.dbr,\n"
                                                           "skillActivateSound," + std::string(kSound) + ",\n");
    ShownFixedItem* shrine = Place(Item("skillName," + buff + ",\nskillDelay,0,\n"));
    FixedItemSkill* skill = shrine->GetSkill();
    ASSERT_NE(skill, nullptr);
    EXPECT_EQ(shrine->GetSkillDelay(), 1);
    auto* blessing = DynamicCast<FixedItemSkill_Buff>(skill);
    ASSERT_NE(blessing, nullptr);
    EXPECT_EQ(blessing->GetActiveDuration(), 1000);   // a duration of 0 lasts a second
    std::vector<uint32_t> targets;
    blessing->GetTargets(77, targets);
    EXPECT_EQ(targets, std::vector<uint32_t>{77});   // no radius: the user alone

    Step();
    shrine->StartSkillCountdown(0);
    EXPECT_TRUE(shrine->IsSkillPending());
    for (int i = 0; i < 4; ++i)
        Step(16);
    EXPECT_FALSE(shrine->IsSkillPending());
    EXPECT_EQ(skill->GetActivateSound()->GetPlayCount(), 1u);
}

TEST_F(FixedItemTest, ASpawnSkillWithoutAMonsterStillShowsItsActivationAndOneWithOneSetsItFree)
{
    const std::string empty = NewRecord("FixedItemSkill_SpawnMonster", "skillActivateSound," + std::string(kSound) + ",\n");
    ShownFixedItem* trap = Place(Item("skillName," + empty + ",\n"));
    std::vector<uint32_t> ids;
    trap->GetSkill()->GetTargets(1, ids);
    EXPECT_TRUE(ids.empty());
    trap->UseSkillOnTargets(1, ids);
    EXPECT_EQ(trap->GetSkill()->GetActivateSound()->GetPlayCount(), 1u);

    const std::string mind = NewRecord("ControllerMonster", "");
    const std::string monster = NewRecord("Monster", "controller," + mind + ",\n");
    const std::string spawner = NewRecord("FixedItemSkill_SpawnMonster", "monsterName," + monster + ",\ntimeToLive,0,\n");
    ShownFixedItem* lair = Place(Item("skillName," + spawner + ",\n"), 4.0f);
    lair->GetSkill()->GetTargets(1, ids);
    ASSERT_EQ(ids.size(), 1u);
    lair->UseSkillOnTargets(1, ids);
    const Monster* spawned = ObjectManager::Get().GetObject<Monster>(ids[0]);
    ASSERT_NE(spawned, nullptr);
    EXPECT_TRUE(spawned->IsInWorld());
    EXPECT_EQ(spawned->GetCoords().GetPosition(), lair->GetCoords().GetPosition());
    // It is set on the user of the item.
    auto* controller = ObjectManager::Get().GetObject<ControllerMonster>(spawned->GetControllerId());
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->GetAngerManager().GetMostHatedEnemy(), 1u);
}

TEST_F(FixedItemTest, PathObstaclesAreRebuiltInTheSecondUpdateAfterTheRequest)
{
    ShownFixedItem* door = Place(Item());
    EXPECT_EQ(door->GetPathObstacleCount(), 0u);   // no mesh, nothing in the way
    door->SetOwnMesh("Door.msh");
    door->RequestPathObstacleRebuild();
    door->UpdateSelf(16);
    EXPECT_EQ(door->GetObstacleCountdown(), 1);
    EXPECT_EQ(door->GetPathObstacleCount(), 0u);
    door->UpdateSelf(16);
    EXPECT_EQ(door->GetPathObstacleCount(), 1u);
    World::Get().RemoveEntity(door);
    EXPECT_EQ(door->GetPathObstacleCount(), 0u);
}

TEST_F(FixedItemTest, EachHitBoxOfTheMeshIsAnObstacleWhereTheItemStands)
{
    GraphicsEngine::Get()->RegisterMesh("Gate.msh", ABBox{{0, 1, 0}, {3, 1, 1}},
                                        {ABBox{{-2, 1, 0}, {1, 1, 1}}, ABBox{{2, 1, 0}, {1, 1, 1}}});
    ShownFixedItem* gate = Item("mesh,Gate.msh,\n");
    Place(gate, 10.0f);
    ASSERT_EQ(gate->GetPathObstacleCount(), 2u);
    EXPECT_TRUE(PathFinder::TestPointCollide(WorldVec3(region, {8.0f, 1.0f, 0.0f})));
    EXPECT_TRUE(PathFinder::TestPointCollide(WorldVec3(region, {12.0f, 1.0f, 0.0f})));
    EXPECT_FALSE(PathFinder::TestPointCollide(WorldVec3(region, {10.0f, 1.0f, 0.0f})));   // between the posts
}

TEST_F(FixedItemTest, ACharacterStandsBesideTheItemFacingIt)
{
    ShownFixedItem* chest = Place(Item());
    Character* hero = Place(DynamicCast<Character>(ObjectManager::Get().CreateObject("Character")), 10.0f);
    EXPECT_EQ(chest->GetMoveToPoint(hero->GetObjectId()), chest->GetCoords().GetPosition());   // no mesh
    EXPECT_EQ(chest->GetStandingDistance(1.0f), 4.0f);
    chest->SetOwnMesh("Chest.msh");
    const float distance = chest->GetBoundingRadius() + hero->GetExtents() + 2.0f;
    EXPECT_EQ(chest->GetStandingDistance(hero->GetExtents()), distance);
    const WorldVec3 point = chest->GetMoveToPoint(hero->GetObjectId());
    EXPECT_FLOAT_EQ(point.GetRegionPosition().x, distance);
    EXPECT_FLOAT_EQ(point.GetRegionPosition().z, 0.0f);
    // The chest faces +z: a character in front stands on that side, one exactly beside it
    // stands behind.
    EXPECT_TRUE(chest->IsCharacterInFront(Facing(0.0f, 1.0f)));
    EXPECT_FALSE(chest->IsCharacterInFront(Facing(1.0f, 0.0f)));
}

TEST_F(FixedItemTest, TheItemAnnouncesItsSpawnAndItsUseAndALockedItemSoundsLocked)
{
    Listen("GameEvent_FixedItemSpawn");
    Listen("GameEvent_FixedItemUse");
    ShownFixedItem* well = Place(Item("locked,1,\nlockedSound," + std::string(kSound) +
                                      ",\ndescription,tagWell,\nlockedTextTag,tagLocked,\n"));
    EXPECT_EQ(well->GetGameDescription(false), u"tagWell^ntagLocked");
    EXPECT_EQ(well->GetGameDescription(true), u"^ytagWell");
    Step();
    EXPECT_EQ(events.Count("GameEvent_FixedItemSpawn"), 1);

    well->RequestToUse(1);
    EXPECT_EQ(well->GetLockedSound()->GetPlayCount(), 1u);
    well->SetLock(false);
    EXPECT_EQ(well->WriteReplicationData() & FixedItem::kReplicatedLockBit, 0);
    well->RequestToUse(1);
    EXPECT_EQ(well->GetLockedSound()->GetPlayCount(), 1u);

    Player* player = Place(MakeMainPlayer(), 2.0f);
    well->UseOnTarget(player->GetObjectId(), {player->GetObjectId()});
    EXPECT_EQ(events.Count("GameEvent_FixedItemUse"), 1);
    well->UseOnTarget(12345, {});   // no player: no announcement
    EXPECT_EQ(events.Count("GameEvent_FixedItemUse"), 1);
}

}  // namespace
}  // namespace GAME
