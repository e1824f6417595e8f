// A controller handing actions to its character: permission, the pending and queued
// places, the pre-action first, and idling when nothing is left.
#include "core/EngineFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/characters/CharacterActions.h"

using namespace GAME;

namespace {

// An action of a chosen type that runs until replaced, and writes down what happens to it.
struct ActTypedAction : CharacterActionBase {
    ActTypedAction(uint32_t parentId, CharacterActionType type, std::vector<std::string>& log, std::string name)
        : CharacterActionBase(parentId, type), log(log), name(std::move(name))
    {
    }
    ~ActTypedAction() override { log.push_back(name + " destroyed"); }
    void Execute() override { log.push_back(name + " execute"); }
    void PendingActionAborted() override { log.push_back(name + " aborted"); }
    const char* ToString() const override { return name.c_str(); }

    std::vector<std::string>& log;
    std::string name;
};

// Counts the actions it would send to the peers.
class ActNetController : public ControllerBaseCharacter {
public:
    int sent = 0;

protected:
    void SendActionToPeers(const CharacterAction& action) override
    {
        ++sent;
        ControllerBaseCharacter::SendActionToPeers(action);
    }
};

class ActControllerTest : public EngineTest {
protected:
    Character* Make(const char* kind)
    {
        auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject(kind));
        controller.AttachParent(character->GetObjectId());
        return character;
    }
    ActTypedAction* Action(CharacterActionType type, const char* name)
    {
        return new ActTypedAction(controller.GetParentId(), type, log, name);
    }
    CharacterActionType Running(const Character& character) const
    {
        return character.GetActionHandler()->GetActionType();
    }

    std::vector<std::string> log;   // outlives the actions the controller still holds
    ActNetController controller;
};

using Log = std::vector<std::string>;

TEST_F(ActControllerTest, ActThePreActionRunsFirstThenThePendingOneThenTheQueuedOneThenIdle)
{
    Character* monster = Make("Character");
    auto pendingAttack = [&] {
        auto* attack = Action(CharacterActionType_Attack, "attack");
        attack->SetPreMoveData(WorldVec3(), 0, 0, 1.0f);   // nowhere to run to: the run is over at once
        controller.HandleAction(attack);
        EXPECT_EQ(controller.PeekPendingAction(), attack);
        EXPECT_EQ(Running(*monster), CharacterActionType_MoveTo);
        controller.SetQueuedAction(Action(CharacterActionType_Use, "use"));
    };
    // An allowed action aborts the pending one and drops the queued one.
    pendingAttack();
    controller.HandleAction(Action(CharacterActionType_Idle, "idle"));
    EXPECT_EQ(log, (Log{"attack aborted", "attack destroyed", "use destroyed", "idle execute"}));
    EXPECT_TRUE(controller.PeekPendingAction() == nullptr && controller.PeekQueuedAction() == nullptr);

    monster->GetActionHandler()->Stop();
    pendingAttack();
    controller.CharacterHandlerUpdate(16);   // the run is over: the pending attack
    controller.CharacterHandlerUpdate(16);   // the attack runs on
    EXPECT_EQ(Running(*monster), CharacterActionType_Attack);
    monster->GetActionHandler()->Stop();
    controller.CharacterHandlerUpdate(16);   // then the queued one
    EXPECT_EQ(Running(*monster), CharacterActionType_Use);
    monster->GetActionHandler()->Stop();
    controller.CharacterHandlerUpdate(16);   // not started: no idle
    EXPECT_EQ(monster->GetActionHandler()->GetCurrentAction(), nullptr);
    controller.Update(16);                   // starts, then idles
    EXPECT_EQ(Running(*monster), CharacterActionType_Idle);
}

TEST_F(ActControllerTest, ActADyingMonsterMayAttackAndADeadOneOnlyRespawns)
{
    Character* monster = Make("Character");
    monster->SetLifeState(Character_LifeState_Dying);
    EXPECT_EQ(controller.CheckAction(CharacterActionType_Attack), CharacterActionPermission_Perform);
    monster->SetActionState(Character_ActionState_Dying);
    EXPECT_EQ(controller.CheckAction(CharacterActionType_Attack), CharacterActionPermission_Perform);
    EXPECT_EQ(controller.CheckAction(CharacterActionType_Idle), CharacterActionPermission_Refuse);
    monster->SetLifeState(Character_LifeState_Dead);
    EXPECT_EQ(controller.CheckAction(CharacterActionType_Attack), CharacterActionPermission_Refuse);
    EXPECT_EQ(controller.CheckAction(CharacterActionType_Respawn), CharacterActionPermission_Perform);

    // A refused action is destroyed and leaves the places as they were.
    controller.SetQueuedAction(Action(CharacterActionType_Use, "use"));
    controller.HandleAction(Action(CharacterActionType_Walk, "walk"));
    EXPECT_EQ(log, Log{"walk destroyed"});
    ASSERT_NE(controller.PeekQueuedAction(), nullptr);
}

TEST_F(ActControllerTest, ActAPlayerAsksTheGameMatrixWhileItsHandlerRuns)
{
    Character* player = Make("Player");
    controller.HandleAction(Action(CharacterActionType_Use, "use"));   // idle handler: at once
    EXPECT_EQ(Running(*player), CharacterActionType_Use);
    // An attack while using is queued; a second queued one replaces the first.
    controller.HandleAction(Action(CharacterActionType_Attack, "first"));
    controller.HandleAction(Action(CharacterActionType_Attack, "second"));
    EXPECT_STREQ(controller.PeekQueuedAction()->ToString(), "second");
    EXPECT_EQ(log, (Log{"use execute", "first destroyed"}));
}

TEST_F(ActControllerTest, ActBeforeItTakesItsCharacterAnActionWaitsAndRunsOnceItHasIt)
{
    LogCapture capture;
    controller.HandleAction(Action(CharacterActionType_Use, "use"));
    EXPECT_TRUE(capture.Texts().empty());
    EXPECT_TRUE(log.empty());
    Make("Monster");
    controller.CharacterHandlerUpdate(0);
    EXPECT_EQ(log, Log{"use execute"});
}

TEST_F(ActControllerTest, ActWithoutItsCharacterAnActionIsLoggedAndDestroyedAndPeersHearOnlyNetworked)
{
    controller.SetParentId(12345);
    LogCapture capture;
    controller.HandleAction(Action(CharacterActionType_Idle, "idle"));
    EXPECT_TRUE(capture.Contains("ControllerBaseCharacter: Can't execute action because parent does not exist."));
    EXPECT_EQ(log, Log{"idle destroyed"});
    EXPECT_EQ(controller.sent, 0);   // single player

    gGameEngine->SetAsNetworkServer();
    controller.HandleAction(Action(CharacterActionType_Idle, "idle"));
    controller.HandleAction(new CharacterActionBase(12345));   // replays on no peer
    EXPECT_EQ(controller.sent, 1);
}

}  // namespace
