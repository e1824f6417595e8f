// The action kinds: where a run starts from, and how the kinds without a fight end.
#include "characters/CharacterWorldFixture.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/Npc.h"
#include "Game/world/FixedItem.h"

namespace GAME {

// Record who asked to use them or engaged them.
class TouchedItem : public FixedItem {
    GAME_DECLARE_CLASS(TouchedItem)

public:
    void RequestToUse(uint32_t actorId) override { users.push_back(actorId); }
    std::vector<uint32_t> users;
};
GAME_IMPLEMENT_CLASS(TouchedItem, FixedItem)

class EngagedNpc : public Npc {
    GAME_DECLARE_CLASS(EngagedNpc)

public:
    void OnPlayerInteract(uint32_t playerId, bool first, bool second) override
    {
        engaged.push_back({playerId, first && !second});
    }
    std::vector<std::pair<uint32_t, bool>> engaged;
};
GAME_IMPLEMENT_CLASS(EngagedNpc, Npc)

namespace {

using ActionKindsTest = CharacterWorldTest;

TEST_F(ActionKindsTest, AStartExactlyTenUnitsAwayContinuesThePathAndAFartherOneMovesTheCharacter)
{
    Character* runner = Place(Make(kBareHands), 0.0f);
    CharacterActionHandler& handler = *runner->GetActionHandler();
    handler.Execute(new MoveToAction(runner->GetObjectId(), At(10), At(30), 0, 0, 1.0f));
    EXPECT_FLOAT_EQ(runner->GetCoords().GetPosition().GetRegionPosition().x, 0.0f);   // not moved

    Character* other = Place(Make(kBareHands), 0.0f);
    other->GetActionHandler()->Execute(new MoveToAction(other->GetObjectId(), At(10.01f), At(30), 0, 0, 1.0f));
    EXPECT_FLOAT_EQ(other->GetCoords().GetPosition().GetRegionPosition().x, 10.01f);   // put at the start
}

TEST_F(ActionKindsTest, KindsEndAsTheyShould)
{
    Character* character = Place(Make(kBareHands), 0.0f);
    const uint32_t id = character->GetObjectId();
    CharacterActionHandler& handler = *character->GetActionHandler();

    handler.Execute(new TakeTrapAction(id));   // ends at once
    EXPECT_FALSE(handler.IsActive());

    handler.Execute(new RespawnAction(id, character->GetCoords()));   // alive already: nothing to respawn
    EXPECT_FALSE(handler.IsActive());
    EXPECT_TRUE(character->IsAlive());

    // No such animation: finished, and still in the unnamed state 2.
    handler.Execute(new PlayAnimationAction(id, AnimationSet_Mount, Name::noName, 1.0f, false, 0));
    EXPECT_FALSE(handler.IsActive());
    EXPECT_EQ(static_cast<int>(character->GetActionState()), 2);

    // Neither a transition nor a long idle to play: finished at once.
    handler.Execute(new LongIdleAction(id));
    EXPECT_FALSE(handler.IsActive());

    // Picking up a live character, chatting to nobody, engaging nobody: they stay.
    Character* other = Place(Make(kBareHands), 3.0f);
    handler.Execute(new PickUpAction(id, other->GetObjectId()));
    EXPECT_TRUE(handler.IsActive());
    EXPECT_NE(character->GetActionState(), Character_ActionState_Pickup);
    handler.Execute(new ChatAction(id, 0));
    EXPECT_TRUE(handler.IsActive());
    handler.Execute(new EngageNpcAction(id, 0, true, false));
    EXPECT_TRUE(handler.IsActive());

    // A spawn stands until its animation's end.
    handler.Execute(new SpawnAction(id));
    EXPECT_TRUE(handler.IsActive());
    handler.AnimationCallback(Name("NotTheEnd"));
    EXPECT_TRUE(handler.IsActive());
    handler.AnimationCallback(Actor::EndEvent());
    EXPECT_FALSE(handler.IsActive());

    // Without the character every kind but the death ends.
    TakeStunAction stun(12345);
    stun.Execute();
    EXPECT_FALSE(stun.IsActive());
    UseAction use(12345, id);
    use.Execute();
    EXPECT_FALSE(use.IsActive());
}

TEST_F(ActionKindsTest, UseAndEngageReachTheirTargetOnce)
{
    Character* character = Place(Make(kBareHands), 0.0f);
    const uint32_t id = character->GetObjectId();
    auto* item = DynamicCast<TouchedItem>(ObjectManager::Get().CreateObject("TouchedItem"));
    auto* npc = Place(Make<EngagedNpc>("", "EngagedNpc"), 2.0f);
    CharacterActionHandler& handler = *character->GetActionHandler();

    handler.Execute(new UseAction(id, item->GetObjectId()));
    EXPECT_FALSE(handler.IsActive());
    handler.Execute(new EngageNpcAction(id, npc->GetObjectId(), true, false));
    EXPECT_FALSE(handler.IsActive());
    EXPECT_EQ(item->users, std::vector<uint32_t>{id});
    EXPECT_EQ(npc->engaged, (std::vector<std::pair<uint32_t, bool>>{{id, true}}));
    ObjectManager::Get().DestroyObjectEx(item, "test", __LINE__);
}

}  // namespace
}  // namespace GAME
