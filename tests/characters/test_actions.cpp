// Character actions: the handler keeping an action alive through its own calls, the
// pre-move data and its packet block, the kinds, and dying through the death manager.
#include "characters/CharacterWorldFixture.h"
#include "Engine/CharacterActionPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/characters/CharacterActions.h"

namespace GAME {
namespace {

// A filter that would refuse everything, were it asked.
struct RefuseAll : FilterFunction<CharacterAction> {
    bool operator()(const CharacterAction*) const override { return false; }
};

// Carries the pre-move block and one word of its own.
class PreMovePacket : public CharacterActionPacket {
public:
    PreMovePacket() : CharacterActionPacket(63) {}
    PreMovePacket(uint8_t flag, const WorldVec3& position, uint32_t target, uint32_t skill, float speed)
        : PreMovePacket()
    {
        preMoveFlag = flag;
        preMovePosition = position;
        preMoveTargetId = target;
        preMoveSkillNumber = skill;
        preMoveSpeed = speed;
        word = 5;
    }
    void Serialize(NetPacketOutBuffer& out) override { out.AddU32(word); }
    void Deserialize(NetPacketInBuffer& in) override { word = in.RemoveU32(); }
    std::string GetPacketDescription(bool) override { return {}; }
    auto PreMove() const
    {
        return std::make_tuple(preMoveFlag, preMovePosition, preMoveTargetId, preMoveSkillNumber, preMoveSpeed);
    }
    uint32_t word = 0;
};

using ActionTest = CharacterWorldTest;

TEST_F(ActionTest, AnActionStoppedInItsOwnExecuteIsDestroyedAfterItReturnsAndLaterOnesStillFollow)
{
    CharacterActionHandler handler;
    auto* first = new HookAction("a");
    first->onExecute = [&] {
        handler.Execute(new HookAction("b"));
        handler.Stop();   // the character stops moving
        first->name = "a";   // still alive
    };
    handler.Execute(first);
    EXPECT_EQ(gHookLog, (HookLog{"a execute", "a finish", "a returned", "a destroyed", "b execute", "b returned"}));
    EXPECT_STREQ(handler.GetCurrentAction()->ToString(), "b");
}

TEST_F(ActionTest, AnActionReplacedOrStoppedInItsOwnAnimationCallbackIsDestroyedAfterItReturns)
{
    CharacterActionHandler handler;
    handler.SetActionFilter(new RefuseAll);   // never asked
    EXPECT_EQ(handler.GetActionAsString(), "Current Action: (no text)");
    auto* first = new HookAction("a");
    auto* second = new HookAction("b");
    first->onEvent = [&] { handler.Execute(second); };
    second->onEvent = [&] { handler.Stop(); };
    handler.Execute(first);
    gHookLog.clear();
    handler.AnimationCallback(Name("Hit"));
    EXPECT_EQ(gHookLog, (HookLog{"a finish", "b execute", "b returned", "a event done", "a destroyed"}));

    gHookLog.clear();
    handler.AnimationCallback(Name("Hit"));
    EXPECT_EQ(gHookLog, (HookLog{"b finish", "b event done", "b destroyed"}));
    EXPECT_EQ(handler.GetCurrentAction(), nullptr);
}

TEST_F(ActionTest, PreMoveDataGivesARunFromThePathPositionAndFillsThePacket)
{
    Character* character = Make();
    character->SetPathPosition(At(1, 2));
    AttackAction attack(character->GetObjectId(), 9, At(7, 7), 3, 0, TargetLeadingData{});
    EXPECT_EQ(attack.GetPreAction(), nullptr);
    PreMovePacket packet;
    packet.preMoveTargetId = 77;
    attack.LoadPreMoveData(&packet);   // no data: untouched
    EXPECT_EQ(packet.PreMove(), PreMovePacket(0, WorldVec3(), 77, 0, 0.0f).PreMove());

    attack.SetPreMoveData(At(6, 6), 9, 3, 4.5f);
    attack.LoadPreMoveData(&packet);
    EXPECT_EQ(packet.PreMove(), PreMovePacket(1, At(6, 6), 9, 3, 4.5f).PreMove());
    const std::unique_ptr<CharacterAction> pre = attack.GetPreAction();
    const auto* run = dynamic_cast<const MoveToAction*>(pre.get());
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(std::make_tuple(run->GetParentId(), run->GetStartPosition(), run->GetDestination(), run->GetTargetId(),
                              run->GetSkillNumber(), run->GetSpeed()),
              std::make_tuple(character->GetObjectId(), At(1, 2), At(6, 6), 9u, 3u, 4.5f));

    ObjectManager::Get().DestroyObjectEx(character, "test", __LINE__);
    EXPECT_EQ(attack.GetPreAction(), nullptr);   // the character is gone
}

TEST_F(ActionTest, ThePreMoveBlockTravelsAndABadOneIsRefused)
{
    PreMovePacket sent;
    ASSERT_EQ(sent.PrepareOutBuffer(), 2u + 1u + 4u);   // header, absent block, word
    const std::vector<unsigned char> bare(sent.GetOutBuffer(), sent.GetOutBuffer() + sent.GetOutBufferSize());
    sent = PreMovePacket(1, At(1, 2), 8, 2, 3.0f);
    ASSERT_EQ(sent.PrepareOutBuffer(), 2u + 1u + 16u + 4u + 4u + 4u + 4u);
    const std::vector<unsigned char> bytes(sent.GetOutBuffer(), sent.GetOutBuffer() + sent.GetOutBufferSize());

    PreMovePacket received;
    ASSERT_TRUE(received.CopyInbound(bytes.data(), static_cast<int>(bytes.size())));
    EXPECT_EQ(received.PreMove(), sent.PreMove());
    EXPECT_EQ(received.word, 5u);
    ASSERT_TRUE(received.CopyInbound(bare.data(), static_cast<int>(bare.size())));
    EXPECT_EQ(received.PreMove(), PreMovePacket().PreMove());   // nothing of the last read is left

    auto refused = [](std::vector<unsigned char> broken) {
        return !PreMovePacket().CopyInbound(broken.data(), static_cast<int>(broken.size()));
    };
    auto withSpeed = [&](uint32_t bits) {
        std::vector<unsigned char> changed = bytes;
        NetBytes::StoreU32(&changed[2 + 1 + 16 + 4 + 4], bits);
        return changed;
    };
    std::vector<unsigned char> flag = bytes;
    flag[2] = 2;   // no bool
    EXPECT_TRUE(refused(flag));
    EXPECT_TRUE(refused({bytes.begin(), bytes.end() - 1}));   // short
    EXPECT_TRUE(refused(withSpeed(0x7FC00000u)));             // NaN
    EXPECT_TRUE(refused(withSpeed(0xBF800000u)));             // -1.0
    sent.preMoveSpeed = -1.0f;   // what the reader refuses is not written either
    EXPECT_EQ(sent.PrepareOutBuffer(), 0u);
}

TEST_F(ActionTest, ARunThatDoesNotStartEndsAndTellsTheControllerAndAnAttackOnTheDeadEnds)
{
    Character* character = Make(kBareHands);
    HookController* controller = Control(character);
    CharacterActionHandler& handler = *character->GetActionHandler();
    // A destination in no region cannot be run to.
    handler.Execute(new MoveToAction(character->GetObjectId(), At(0), WorldVec3(), 44, 0, 1.0f));
    EXPECT_FALSE(handler.IsActive());
    EXPECT_EQ(controller->GetTarget(), 44u);
    EXPECT_EQ(controller->endsOfPath, 1);

    Character* target = Make();
    target->SetLifeState(Character_LifeState_Dead);
    character->SetActionState(Character_ActionState_Idle);
    handler.Execute(new AttackAction(character->GetObjectId(), target->GetObjectId(), At(1), 0, 7, {}));
    EXPECT_FALSE(handler.IsActive());
    EXPECT_EQ(character->GetActionState(), Character_ActionState_Idle);   // the blow never started

    // Without its character an attack ends, and aborting it does nothing.
    AttackAction orphan(12345, 0, At(1), 0, 7, {});
    orphan.PendingActionAborted();
    orphan.Execute();
    EXPECT_FALSE(orphan.IsActive());
}

// Dying sets both states, counts the death and starts the death manager with the action's
// ids; the manager finishes once every handler has, post-processes once, and the character
// is dead once the action stops.
TEST_F(ActionTest, DyingRunsTheDeathManagerToItsEndOnce)
{
    DieAction orphan(12345, {});
    orphan.Execute();   // no character: nothing, not even finished
    EXPECT_TRUE(orphan.IsActive());

    Character* character = Make();
    character->InitialUpdate();
    DeathManager& manager = *character->GetDeathManager();
    HookDeathHandler* handlers[3];
    for (int i = 0; i < 3; ++i) {
        auto handler = std::make_unique<HookDeathHandler>(character, std::string(1, char('a' + i)), i != 0);
        handlers[i] = handler.get();
        manager.AddHandler(std::move(handler));
    }
    std::vector<uint32_t> ids;
    manager.GetObjectIdRequests(ids);
    EXPECT_TRUE(ids.size() == 2 && ids[0] != 0 && ids[0] != ids[1]);
    manager.Update(16);   // not started: nothing

    const uint32_t deaths = character->GetPlayStats().GetDeaths();
    CharacterActionHandler& actions = *character->GetActionHandler();
    actions.Execute(new DieAction(character->GetObjectId(), {31}));   // fewer ids than asked: c gets none
    EXPECT_EQ(character->GetLifeState(), Character_LifeState_Dying);
    EXPECT_EQ(character->GetActionState(), Character_ActionState_Dying);
    EXPECT_EQ(character->GetPlayStats().GetDeaths(), deaths + 1);
    EXPECT_TRUE(manager.IsStarted());
    actions.AnimationCallback(Name("ragDoll"));
    manager.Update(16);
    handlers[0]->Finish();
    handlers[2]->Finish();
    EXPECT_FALSE(manager.IsFinished());   // b is not done
    handlers[1]->Finish();
    EXPECT_TRUE(manager.IsFinished());
    manager.PostProcess();
    manager.PostProcess();   // the handlers' part runs once
    manager.Update(16);      // done: no more updates
    EXPECT_FALSE(manager.IsFinished());
    EXPECT_EQ(gHookLog, (HookLog{"b id 31", "a execute", "b execute", "c execute", "a ragDoll", "b ragDoll",
                                 "c ragDoll", "a update 16", "b update 16", "c update 16", "a post", "b post",
                                 "c post"}));
    EXPECT_TRUE(actions.IsActive());
    actions.Stop();   // the character's update, once the death handlers are done
    EXPECT_EQ(character->GetLifeState(), Character_LifeState_Dead);
    manager.Reset();
    EXPECT_FALSE(manager.IsStarted() || manager.IsPostProcessed());
}

}  // namespace
}  // namespace GAME
