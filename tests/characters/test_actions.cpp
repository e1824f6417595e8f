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
    ActTestPacket(uint8_t flag, const WorldVec3& position, uint32_t target, uint32_t skill, float speed)
        : ActTestPacket()
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
    uint32_t word = 0;
};

auto ActPreMove(const CharacterActionPacket& packet)
{
    return std::make_tuple(packet.preMoveFlag, packet.preMovePosition, packet.preMoveTargetId,
                           packet.preMoveSkillNumber, packet.preMoveSpeed);
}

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
    Character* MakeCharacter()
    {
        auto* character = DynamicCast<Character>(ObjectManager::Get().CreateObject("Character"));
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
    handler.SetActionFilter(new ActRefuseAll);   // never asked
    EXPECT_EQ(handler.GetActionAsString(), "Current Action: (no text)");
    auto* first = new ActLoggedAction(log, "a");
    first->onEvent = [&] { handler.Execute(new ActLoggedAction(log, "b")); };
    handler.Execute(first);
    log.clear();
    handler.AnimationCallback(Name("Hit"));
    EXPECT_EQ(log, (Log{"a finish", "b execute", "b returned", "a event done", "a destroyed"}));
    EXPECT_EQ(handler.GetActionAsString(), "Current Action: Logged");

    // A stop from inside the callback is the same; the handler is then empty.
    auto* second = static_cast<ActLoggedAction*>(const_cast<CharacterAction*>(handler.GetCurrentAction()));
    second->onEvent = [&] { handler.Stop(); };
    log.clear();
    handler.AnimationCallback(Name("Hit"));
    EXPECT_EQ(log, (Log{"b finish", "b event done", "b destroyed"}));
    EXPECT_EQ(handler.GetCurrentAction(), nullptr);
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
    EXPECT_EQ(ActPreMove(packet), ActPreMove(ActTestPacket(0, WorldVec3(), 77, 0, 0.0f)));

    attack.SetPreMoveData(At(6, 6), 9, 3, 4.5f);
    attack.LoadPreMoveData(&packet);
    EXPECT_EQ(ActPreMove(packet), ActPreMove(ActTestPacket(1, At(6, 6), 9, 3, 4.5f)));
    const std::unique_ptr<CharacterAction> pre = attack.GetPreAction();
    const auto* run = dynamic_cast<const MoveToAction*>(pre.get());
    ASSERT_NE(run, nullptr);
    EXPECT_EQ(std::make_tuple(run->GetParentId(), run->GetStartPosition(), run->GetDestination(), run->GetTargetId(),
                              run->GetSkillNumber(), run->GetSpeed()),
              std::make_tuple(character->GetObjectId(), At(1, 2), At(6, 6), 9u, 3u, 4.5f));

    ObjectManager::Get().DestroyObjectEx(character, "test", __LINE__);
    EXPECT_EQ(attack.GetPreAction(), nullptr);   // the character is gone
}

TEST_F(ActTest, ActThePreMoveBlockTravelsAndABadOneIsRefused)
{
    ActTestPacket sent;
    ASSERT_EQ(sent.PrepareOutBuffer(), 2u + 1u + 4u);   // header, absent block, word
    const std::vector<unsigned char> bare(sent.GetOutBuffer(), sent.GetOutBuffer() + sent.GetOutBufferSize());
    sent = ActTestPacket(1, At(1, 2), 8, 2, 3.0f);
    ASSERT_EQ(sent.PrepareOutBuffer(), 2u + 1u + 16u + 4u + 4u + 4u + 4u);
    const std::vector<unsigned char> bytes(sent.GetOutBuffer(), sent.GetOutBuffer() + sent.GetOutBufferSize());

    ActTestPacket received;
    ASSERT_TRUE(received.CopyInbound(bytes.data(), static_cast<int>(bytes.size())));
    EXPECT_EQ(ActPreMove(received), ActPreMove(sent));
    EXPECT_EQ(received.word, 5u);
    ASSERT_TRUE(received.CopyInbound(bare.data(), static_cast<int>(bare.size())));
    EXPECT_EQ(ActPreMove(received), ActPreMove(ActTestPacket()));   // nothing of the last read is left

    auto refused = [](std::vector<unsigned char> broken) {
        ActTestPacket packet;
        return !packet.CopyInbound(broken.data(), static_cast<int>(broken.size()));
    };
    auto speed = [&](uint32_t bits) {
        std::vector<unsigned char> changed = bytes;
        NetBytes::StoreU32(&changed[2 + 1 + 16 + 4 + 4], bits);
        return changed;
    };
    std::vector<unsigned char> flag = bytes;
    flag[2] = 2;   // no bool
    EXPECT_TRUE(refused(flag));
    EXPECT_TRUE(refused({bytes.begin(), bytes.end() - 1}));   // short
    EXPECT_TRUE(refused(speed(0x7FC00000u)));                 // NaN
    EXPECT_TRUE(refused(speed(0xBF800000u)));                 // -1.0
    sent.preMoveSpeed = -1.0f;   // what the reader refuses is not written either
    EXPECT_EQ(sent.PrepareOutBuffer(), 0u);
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
    ASSERT_NE(manager, nullptr);
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
    ActDeathHandler* handlers[3];
    for (int i = 0; i < 3; ++i) {
        auto handler = std::make_unique<ActDeathHandler>(character, log, std::string(1, char('a' + i)), i != 1);
        handlers[i] = handler.get();
        manager.AddHandler(std::move(handler));
    }
    handlers[0]->destroyCharacter = true;   // its post-processing removes the body
    std::vector<uint32_t> ids;
    manager.GetObjectIdRequests(ids);
    EXPECT_TRUE(ids.size() == 2 && ids[0] != 0 && ids[0] != ids[1]);
    manager.SetObjectIds({5});   // fewer ids than handlers asking: the rest get none
    manager.Update(16);          // not started: nothing
    EXPECT_FALSE(manager.IsFinished());

    manager.Execute();
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
    EXPECT_EQ(log, (Log{"a id 5", "a execute", "b execute", "c execute", "a update 16", "b update 16", "c update 16",
                        "a post", "b post", "c post"}));
    ObjectManager::Get().FlushDestroyedObjects();
    manager.Reset();
    EXPECT_FALSE(manager.IsStarted() || manager.IsPostProcessed());
}

}  // namespace
}  // namespace GAME
