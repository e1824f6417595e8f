// Character actions: the handler keeping an action alive through its own calls, the
// pre-move data and its packet block, the five kinds, and the death manager.
#include "core/EngineFixture.h"
#include "Engine/CharacterActionPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/characters/CharacterAction.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/DeathHandler.h"

namespace GAME {

// Walks by stopping at once, as a character that cannot play its walk animation does.
class ActStopWalkingCharacter : public Character {
    GAME_DECLARE_CLASS(ActStopWalkingCharacter)

public:
    void WalkTo(const WorldVec3&, float) override { GetActionHandler()->Stop(); }
};

GAME_IMPLEMENT_CLASS(ActStopWalkingCharacter, Character)

// Counts what the move actions tell it.
class ActCountingController : public ControllerBaseCharacter {
    GAME_DECLARE_CLASS(ActCountingController)

public:
    void EndOfPathReached() override { ++endsOfPath; }
    int endsOfPath = 0;
};

GAME_IMPLEMENT_CLASS(ActCountingController, ControllerBaseCharacter)

namespace {

// Writes what happens to it into a shared log, and reads its own members after the
// handler was asked to stop or replace it (ASan reports a use after free).
struct ActLoggedAction : CharacterAction {
    ActLoggedAction(std::vector<std::string>& log, std::string name) : log(log), name(std::move(name)) {}
    ~ActLoggedAction() override { log.push_back(name + " destroyed"); }
    void Execute() override
    {
        log.push_back(name + " execute");
        if (onExecute)
            onExecute();
        log.push_back(name + " returned");
    }
    void AnimationCallback(const Name&) override
    {
        if (onEvent)
            onEvent();
        log.push_back(name + " event done");
    }
    void Finish() override { log.push_back(name + " finish"); }
    bool IsActive() const override { return true; }
    const char* ToString() const override { return "Logged"; }

    std::vector<std::string>& log;
    std::string name;
    std::function<void()> onExecute;
    std::function<void()> onEvent;
};

// A filter that would refuse everything, were it asked.
struct ActRefuseAll : FilterFunction<CharacterAction> {
    bool operator()(const CharacterAction*) const override { return false; }
};

// Carries the pre-move block and one word of its own.
class ActTestPacket : public CharacterActionPacket {
public:
    ActTestPacket() : CharacterActionPacket(63) {}
    void Serialize(NetPacketOutBuffer& out) override { out.AddU32(word); }
    void Deserialize(NetPacketInBuffer& in) override { word = in.RemoveU32(); }
    std::string GetPacketDescription(bool) override { return {}; }
    uint32_t word = 0;
};

struct ActDeathHandler : DeathHandler {
    ActDeathHandler(Character* character, std::vector<std::string>& log, std::string name, bool needsId)
        : DeathHandler(character), log(log), name(std::move(name)), needsId(needsId)
    {
    }
    void Execute() override
    {
        DeathHandler::Execute();
        log.push_back(name + " execute");
    }
    void Update(int ms) override { log.push_back(name + " update " + std::to_string(ms)); }
    void AnimationCallback(const Name& event) override { log.push_back(name + " " + event.c_str()); }
    void PostProcess() override
    {
        log.push_back(name + " post");
        if (destroyCharacter)
            ObjectManager::Get().DestroyObjectEx(GetCharacter(), "test", __LINE__);
    }
    void Reset() override
    {
        DeathHandler::Reset();
        log.push_back(name + " reset");
    }
    bool NeedsObjectId() const override { return needsId; }
    void SetObjectId(unsigned id) override { log.push_back(name + " id " + std::to_string(id)); }

    std::vector<std::string>& log;
    std::string name;
    bool needsId;
    bool destroyCharacter = false;
};

class ActTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        region = World::Get().GetRegionById(1) ? World::Get().GetRegionById(1) : World::Get().AddRegion(1, "Act");
    }
    Character* MakeCharacter(const char* kind = "Character")
    {
        auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject(kind));
        character->SetPathPosition(At(0.0f, 0.0f));
        return character;
    }
    WorldVec3 At(float x, float z) const { return WorldVec3(region, Vec3(x, 0.0f, z)); }

    Region* region = nullptr;
    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(ActTest, ActAnActionStoppedInItsOwnExecuteIsDestroyedAfterItReturnsAndLaterOnesStillFollow)
{
    CharacterActionHandler handler;
    auto* first = new ActLoggedAction(log, "a");
    first->onExecute = [&] {
        handler.Execute(new ActLoggedAction(log, "b"));
        handler.Stop();   // the character stops moving
        first->name = "a";   // still alive
    };
    handler.Execute(first);
    EXPECT_EQ(log, (Log{"a execute", "a finish", "a returned", "a destroyed", "b execute", "b returned"}));
    EXPECT_STREQ(handler.GetCurrentAction()->ToString(), "Logged");
}

TEST_F(ActTest, ActAnActionReplacedInItsOwnAnimationCallbackIsDestroyedAfterItReturns)
{
    CharacterActionHandler handler;
    auto* first = new ActLoggedAction(log, "a");
    first->onEvent = [&] { handler.Execute(new ActLoggedAction(log, "b")); };
    handler.Execute(first);
    log.clear();
    handler.AnimationCallback(Name("Hit"));
    EXPECT_EQ(log, (Log{"a finish", "b execute", "b returned", "a event done", "a destroyed"}));

    // A stop from inside the callback is the same; the handler is then empty.
    auto* second = static_cast<ActLoggedAction*>(const_cast<CharacterAction*>(handler.GetCurrentAction()));
    second->onEvent = [&] { handler.Stop(); };
    log.clear();
    handler.AnimationCallback(Name("Hit"));
    EXPECT_EQ(log, (Log{"b finish", "b event done", "b destroyed"}));
    EXPECT_EQ(handler.GetCurrentAction(), nullptr);
}

TEST_F(ActTest, ActAWalkThatStopsTheCharacterEndsWithoutUseAfterFree)
{
    Character* walker = MakeCharacter("ActStopWalkingCharacter");
    CharacterActionHandler& handler = *walker->GetActionHandler();
    handler.Execute(new WalkAction(walker->GetObjectId(), At(0, 0), At(5, 0), 0));
    EXPECT_EQ(handler.GetCurrentAction(), nullptr);
    EXPECT_FALSE(handler.IsActive());
}

TEST_F(ActTest, ActHandlerAnswersWithoutAnActionAndNeverAsksItsFilter)
{
    CharacterActionHandler handler;
    EXPECT_EQ(handler.GetActionType(), CharacterActionType_None);
    EXPECT_EQ(handler.GetBlendTime(), 0.0f);
    EXPECT_EQ(handler.GetActionAsString(), "Current Action: (no text)");
    handler.SetActionFilter(new ActRefuseAll);
    handler.SetActionFilter(new ActRefuseAll);   // the first one is destroyed (leak check)
    handler.Execute(new ActLoggedAction(log, "a"));
    EXPECT_EQ(handler.GetActionAsString(), "Current Action: Logged");
}

TEST_F(ActTest, ActKindsNameThemselvesAndReplayOnPeers)
{
    const TargetLeadingData leading;
    const std::vector<std::pair<std::unique_ptr<CharacterAction>, const char*>> kinds = [&] {
        std::vector<std::pair<std::unique_ptr<CharacterAction>, const char*>> list;
        list.emplace_back(std::make_unique<IdleAction>(1), "IdleAction");
        list.emplace_back(std::make_unique<MoveToAction>(1, WorldVec3(), WorldVec3(), 0, 0, 0.0f), "MoveToAction");
        list.emplace_back(std::make_unique<WalkAction>(1, WorldVec3(), WorldVec3(), 0), "WalkAction");
        list.emplace_back(std::make_unique<AttackAction>(1, 0, WorldVec3(), 0, 0, leading), "AttackAction");
        list.emplace_back(std::make_unique<DieAction>(1, std::vector<uint32_t>{}), "DieAction");
        return list;
    }();
    for (const auto& [action, text] : kinds) {
        EXPECT_STREQ(action->ToString(), text);
        EXPECT_TRUE(action->SupportsNetwork());
        EXPECT_TRUE(action->IsActive());
        EXPECT_EQ(action->GetNetPacket(), nullptr);   // the packets come later
        EXPECT_EQ(action->GetBlendTime(), action->GetType() == CharacterActionType_Attack ? 100.0f : 250.0f);
    }
    const CharacterActionBase base(1);
    EXPECT_STREQ(base.ToString(), "(unset value)");
    EXPECT_FALSE(base.SupportsNetwork());
    EXPECT_EQ(base.GetType(), CharacterActionType_None);
}

TEST_F(ActTest, ActPreMoveDataGivesARunFromThePathPositionAndFillsThePacket)
{
    Character* character = MakeCharacter();
    character->SetPathPosition(At(1, 2));
    AttackAction attack(character->GetObjectId(), 9, At(7, 7), 3, 0, TargetLeadingData{});
    EXPECT_EQ(attack.GetPreAction(), nullptr);
    ActTestPacket packet;
    packet.preMoveTargetId = 77;
    attack.LoadPreMoveData(&packet);   // no data: untouched
    EXPECT_EQ(packet.preMoveFlag, 0);
    EXPECT_EQ(packet.preMoveTargetId, 77u);

    attack.SetPreMoveData(At(6, 6), 9, 3, 4.5f);
    const std::unique_ptr<CharacterAction> pre = attack.GetPreAction();
    const auto* run = dynamic_cast<const MoveToAction*>(pre.get());
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(run->GetParentId(), character->GetObjectId());
    EXPECT_EQ(run->GetStartPosition(), At(1, 2));
    EXPECT_EQ(run->GetDestination(), At(6, 6));
    EXPECT_EQ(run->GetTargetId(), 9u);
    EXPECT_EQ(run->GetSkillNumber(), 3u);
    EXPECT_EQ(run->GetSpeed(), 4.5f);

    attack.LoadPreMoveData(&packet);
    EXPECT_EQ(packet.preMoveFlag, 1);
    EXPECT_EQ(packet.preMovePosition, At(6, 6));
    EXPECT_EQ(packet.preMoveTargetId, 9u);
    EXPECT_EQ(packet.preMoveSkillNumber, 3u);
    EXPECT_EQ(packet.preMoveSpeed, 4.5f);

    // The character gone: no pre-action.
    ObjectManager::Get().DestroyObjectEx(character, "test", __LINE__);
    EXPECT_EQ(attack.GetPreAction(), nullptr);
}

TEST_F(ActTest, ActThePreMoveBlockTravelsAndABadOneIsRefused)
{
    ActTestPacket sent;
    sent.word = 5;
    ASSERT_EQ(sent.PrepareOutBuffer(), 2u + 1u + 4u);   // header, absent block, word
    const std::vector<unsigned char> bare(sent.GetOutBuffer(), sent.GetOutBuffer() + sent.GetOutBufferSize());

    sent.preMoveFlag = 1;
    sent.preMovePosition = At(1, 2);
    sent.preMoveTargetId = 8;
    sent.preMoveSkillNumber = 2;
    sent.preMoveSpeed = 3.0f;
    ASSERT_EQ(sent.PrepareOutBuffer(), 2u + 1u + 16u + 4u + 4u + 4u + 4u);
    std::vector<unsigned char> bytes(sent.GetOutBuffer(), sent.GetOutBuffer() + sent.GetOutBufferSize());

    ActTestPacket received;
    ASSERT_TRUE(received.CopyInbound(bytes.data(), static_cast<int>(bytes.size())));
    EXPECT_TRUE(received.HasPreMove());
    EXPECT_EQ(received.preMovePosition, At(1, 2));
    EXPECT_EQ(received.preMoveTargetId, 8u);
    EXPECT_EQ(received.preMoveSkillNumber, 2u);
    EXPECT_EQ(received.preMoveSpeed, 3.0f);
    EXPECT_EQ(received.word, 5u);
    // Read again without the block: the old block does not survive.
    ASSERT_TRUE(received.CopyInbound(bare.data(), static_cast<int>(bare.size())));
    EXPECT_FALSE(received.HasPreMove());
    EXPECT_EQ(received.preMoveTargetId, 0u);

    auto refused = [&](std::vector<unsigned char> broken) {
        ActTestPacket packet;
        return !packet.CopyInbound(broken.data(), static_cast<int>(broken.size()));
    };
    std::vector<unsigned char> flag = bytes;
    flag[2] = 2;   // no bool
    EXPECT_TRUE(refused(flag));
    EXPECT_TRUE(refused(std::vector<unsigned char>(bytes.begin(), bytes.end() - 1)));   // short
    const size_t speedAt = 2 + 1 + 16 + 4 + 4;
    for (uint32_t bits : {0x7FC00000u /* NaN */, 0xBF800000u /* -1.0 */}) {
        std::vector<unsigned char> speed = bytes;
        NetBytes::StoreU32(&speed[speedAt], bits);
        EXPECT_TRUE(refused(speed));
    }
    // A speed the reader refuses is not written either.
    sent.preMoveSpeed = -1.0f;
    EXPECT_EQ(sent.PrepareOutBuffer(), 0u);
}

TEST_F(ActTest, ActIdleSetsTheStateOnceAndADeadCharacterIdlesNot)
{
    Character* character = MakeCharacter();
    CharacterActionHandler& handler = *character->GetActionHandler();
    handler.Execute(new IdleAction(character->GetObjectId()));
    EXPECT_EQ(character->GetActionState(), Character_ActionState_Idle);
    EXPECT_TRUE(handler.IsActive());
    handler.AnimationCallback(Name("End"));   // plays the idle again; still running
    EXPECT_TRUE(handler.IsActive());

    character->SetLifeState(Character_LifeState_Dead);
    character->SetActionState(Character_ActionState_Dying);
    handler.Execute(new IdleAction(character->GetObjectId()));
    EXPECT_FALSE(handler.IsActive());
    EXPECT_EQ(character->GetActionState(), Character_ActionState_Dying);
    handler.Execute(new IdleAction(12345));   // no such character
    EXPECT_FALSE(handler.IsActive());
}

TEST_F(ActTest, ActARunThatDoesNotStartEndsAndTellsTheController)
{
    Character* character = MakeCharacter();
    auto* controller = DynamicCast<ActCountingController>(ObjectManager::Get().CreateObject("ActCountingController"));
    controller->AttachParent(character->GetObjectId());
    character->SetControllerId(controller->GetObjectId());
    CharacterActionHandler& handler = *character->GetActionHandler();
    // A destination in no region cannot be run to.
    handler.Execute(new MoveToAction(character->GetObjectId(), At(0, 0), WorldVec3(), 44, 0, 1.0f));
    EXPECT_FALSE(handler.IsActive());
    EXPECT_EQ(controller->GetTarget(), 44u);
    EXPECT_EQ(controller->endsOfPath, 1);
}

TEST_F(ActTest, ActAnAttackOnADeadTargetEndsWithoutStartingTheSkill)
{
    Character* attacker = MakeCharacter();
    Character* target = MakeCharacter();
    target->SetLifeState(Character_LifeState_Dead);
    attacker->SetActionState(Character_ActionState_Idle);
    CharacterActionHandler& handler = *attacker->GetActionHandler();
    handler.Execute(new AttackAction(attacker->GetObjectId(), target->GetObjectId(), At(1, 0), 0, 7, {}));
    EXPECT_FALSE(handler.IsActive());
    EXPECT_EQ(attacker->GetActionState(), Character_ActionState_Idle);
    EXPECT_NE(attacker->GetAnimationSet() ? attacker->GetAnimationSet()->GetCurrentType() : AnimationSet_None,
              AnimationSet_Attack);

    // Without its character an attack ends, and aborting it does nothing.
    AttackAction orphan(12345, 0, At(1, 0), 0, 7, {});
    orphan.PendingActionAborted();
    orphan.Execute();
    EXPECT_FALSE(orphan.IsActive());
}

TEST_F(ActTest, ActDyingSetsBothStatesCountsTheDeathAndDeadOnlyWhenStopped)
{
    Character* character = MakeCharacter();
    const uint32_t deaths = character->GetPlayStats().GetDeaths();
    DieAction orphan(12345, {});
    orphan.Execute();   // no character: nothing, not even finished
    EXPECT_TRUE(orphan.IsActive());

    CharacterActionHandler& handler = *character->GetActionHandler();
    handler.Execute(new DieAction(character->GetObjectId(), {}));
    EXPECT_EQ(character->GetLifeState(), Character_LifeState_Dying);
    EXPECT_EQ(character->GetActionState(), Character_ActionState_Dying);
    EXPECT_EQ(character->GetPlayStats().GetDeaths(), deaths + 1);
    EXPECT_TRUE(handler.IsActive());
    handler.Stop();   // the character's update, once the death handlers are done
    EXPECT_EQ(character->GetLifeState(), Character_LifeState_Dead);
}

TEST_F(ActTest, ActDieActionStartsTheDeathManagerWithItsIds)
{
    Character* character = MakeCharacter();
    character->InitialUpdate();
    DeathManager* manager = character->GetDeathManager();
    if (!manager)
        GTEST_SKIP() << "the character makes its death manager in its first update";
    manager->AddHandler(std::make_unique<ActDeathHandler>(character, log, "a", false));
    manager->AddHandler(std::make_unique<ActDeathHandler>(character, log, "b", true));
    manager->AddHandler(std::make_unique<ActDeathHandler>(character, log, "c", true));
    CharacterActionHandler& handler = *character->GetActionHandler();
    handler.Execute(new DieAction(character->GetObjectId(), {31, 32}));
    EXPECT_TRUE(manager->IsStarted());
    handler.AnimationCallback(Name("ragDoll"));
    EXPECT_EQ(log, (Log{"b id 31", "c id 32", "a execute", "b execute", "c execute", "a ragDoll", "b ragDoll",
                        "c ragDoll"}));
}

TEST_F(ActTest, ActDeathManagerRunsItsHandlersAndPostProcessesOnce)
{
    Character* character = MakeCharacter();
    DeathManager manager(character);
    EXPECT_FALSE(manager.IsFinished());   // not started
    manager.Execute();
    EXPECT_TRUE(manager.IsFinished());    // no handler to wait for
    manager.Reset();

    auto first = std::make_unique<ActDeathHandler>(character, log, "a", true);
    auto second = std::make_unique<ActDeathHandler>(character, log, "b", false);
    auto third = std::make_unique<ActDeathHandler>(character, log, "c", true);
    ActDeathHandler* a = first.get();
    ActDeathHandler* c = third.get();
    a->destroyCharacter = true;   // its post-processing removes the body
    manager.AddHandler(std::move(first));
    manager.AddHandler(std::move(second));
    manager.AddHandler(std::move(third));

    std::vector<uint32_t> ids;
    manager.GetObjectIdRequests(ids);
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_NE(ids[0], 0u);
    EXPECT_NE(ids[0], ids[1]);
    manager.SetObjectIds({5});   // fewer ids than handlers asking: the rest get none
    manager.Update(16);          // not started: nothing
    EXPECT_EQ(log, Log{"a id 5"});

    log.clear();
    manager.Execute();
    manager.Update(16);
    EXPECT_FALSE(manager.IsFinished());
    a->Finish();
    c->Finish();
    manager.AnimationCallback(Name("End"));
    EXPECT_FALSE(manager.IsFinished());   // b is not done
    EXPECT_EQ(log, (Log{"a execute", "b execute", "c execute", "a update 16", "b update 16", "c update 16", "a End",
                        "b End", "c End"}));

    log.clear();
    manager.PostProcess();
    manager.PostProcess();   // the handlers' part runs once
    manager.Update(16);      // done: no more updates
    EXPECT_FALSE(manager.IsFinished());
    EXPECT_EQ(log, (Log{"a post", "b post", "c post"}));
    ObjectManager::Get().FlushDestroyedObjects();

    log.clear();
    manager.Reset();
    EXPECT_FALSE(manager.IsStarted());
    EXPECT_FALSE(manager.IsPostProcessed());
    EXPECT_EQ(log, (Log{"a reset", "b reset", "c reset"}));
}

}  // namespace
}  // namespace GAME
