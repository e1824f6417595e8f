// Townsfolk controllers and their sideline conversations: idle waits, walking, quest
// commands, the conversation records and the manager's lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CharacterWorldFixture.h"
#include "Engine/EventManager.h"
#include "Game/ai/ControllerNpc.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEvents.h"
#include "Game/quests/NpcConversation.h"

namespace GAME {

namespace {

class NpcControllerTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        GraphicsEngine::Get()->RegisterAnimation("Walk.anm", "length,30,\n");
    }
    void TearDown() override
    {
        NpcConversationManager::Destroy();
        CharacterWorldTest::TearDown();
    }
    // A placed townsperson whose controller record has these keys, after its first frames.
    Npc* MakeTownsperson(const std::string& controllerKeys, bool canWalk)
    {
        RecordDatabase::Get().RegisterRecord(Npc::kNpcControllerRecord, "Class,ControllerNpc2,\n" + controllerKeys);
        Npc* npc = Place(Make<Npc>(canWalk ? "unarmedWalkAnim,Walk.anm,\n" : "", "Npc"));
        Frame();
        Frame();
        return npc;
    }
    static ControllerNpc2* ControllerOf(const Npc* npc)
    {
        return ObjectManager::Get().GetObject<ControllerNpc2>(npc->GetControllerId());
    }
    static std::string StateOf(const Npc* npc) { return ControllerOf(npc)->GetExecutingStateName(); }
};

TEST_F(NpcControllerTest, IdleWaitsDecideWhenTheCharacterMovesOn)
{
    // Idle times 0 and 0 leave Idle at the first update after it began; one that cannot
    // walk alternates between Idle and LongIdle.
    Npc* still = MakeTownsperson("npcIdleTimeMin,0,\nnpcIdleTimeMax,0,\n", false);
    ControllerNpc2* controller = ControllerOf(still);
    ASSERT_NE(controller, nullptr);
    EXPECT_EQ(controller->GetIdleTimeMin(), 0);
    std::vector<std::string> seen;
    for (int frame = 0; frame < 4; ++frame) {
        seen.push_back(StateOf(still));
        Frame();
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"Idle", "LongIdle", "Idle", "LongIdle"}));

    // A long wait holds the character idle.
    Npc* patient = MakeTownsperson("npcIdleTimeMin,100000,\nnpcIdleTimeMax,100000,\n", true);
    EXPECT_EQ(ControllerOf(patient)->GetIdleTimeMax(), 100000);
    for (int frame = 0; frame < 5; ++frame)
        Frame();
    EXPECT_EQ(StateOf(patient), "Idle");
}

TEST_F(NpcControllerTest, AQuestWalkToAnUnreachablePointIsIgnoredAndAQuestMoveThereCompletesAtOnce)
{
    Npc* npc = MakeTownsperson("npcIdleTimeMin,100000,\nnpcIdleTimeMax,100000,\n", true);
    int completed = 0;
    struct Counter {
        int* count;
        void On(const GameEvent_MoveCompleted&) { ++*count; }
    } counter{&completed};
    GameEventListener<Counter, GameEvent_MoveCompleted> listener("GameEvent_MoveCompleted", &Counter::On, &counter);

    const WorldVec3 unreachable(nullptr, Vec3(500.0f, 0.0f, 0.0f));   // in no region
    ASSERT_FALSE(npc->CanMoveTo(unreachable, 0.5f));
    npc->QuestCommandWalk(0, unreachable, false);
    EXPECT_EQ(StateOf(npc), "Idle");

    // A quest move there completes at once: the character is placed and back in Idle.
    npc->QuestCommandMove(0, unreachable, false);
    EXPECT_EQ(StateOf(npc), "Idle");
    Frame();
    EXPECT_EQ(completed, 1);

    // A reachable quest walk walks; a second walk while it runs is ignored.
    npc->QuestCommandWalk(0, At(6.0f), false);
    EXPECT_EQ(StateOf(npc), "QuestWalk");
    npc->QuestCommandWalk(0, At(-6.0f), false);
    EXPECT_EQ(ControllerOf(npc)->GetMoveTerrainPoint(), At(6.0f));
}

TEST_F(NpcControllerTest, QuestAnimationEndsUnlessItLoops)
{
    Npc* npc = MakeTownsperson("npcIdleTimeMin,100000,\nnpcIdleTimeMax,100000,\n", true);
    for (bool looping : {false, true}) {
        npc->QuestCommandPlayAnimation(AnimationSet_Walk, looping, false);
        EXPECT_EQ(StateOf(npc), "QuestPlayAnimation");
        ControllerOf(npc)->HandleEvent(Actor::EndEvent());
        EXPECT_EQ(StateOf(npc), looping ? "QuestPlayAnimation" : "Idle") << looping;
    }
}

// ---- Sideline conversations --------------------------------------------------------------

class NpcConversationTest : public NpcControllerTest {
protected:
    void SetUp() override
    {
        NpcControllerTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kTalk, "dialogTag1,Hello,\ndialogSpeaker1,3,\n"
                                      "dialogTag2,Hi,\ndialogSpeaker2,1,\n"
                                      "dialogTag3,Lost,\ndialogSpeaker3,0,\n"
                                      "dialogSpeaker4,2,\n"
                                      "dialogTag5,Bye,\ndialogSpeaker5,3,\n");
        records.RegisterRecord(kPak, std::string("allConversations,") + kTalk + ",\n");
    }
    static constexpr const char* kTalk = "Records/Test/Talk.dbr";
    static constexpr const char* kPak = "Records/Test/TalkPak.dbr";
};

TEST_F(NpcConversationTest, SpeakersMapInOrderAndLinesRunOut)
{
    NpcConversationManager& manager = NpcConversationManager::Get();
    manager._EnableConversationPak(kPak);
    manager._EnableConversationPak(kPak);   // loaded once
    ASSERT_EQ(manager.GetAvailableConversations().size(), 1u);
    Conversation* talk = manager.GetAvailableConversations().front();
    ASSERT_EQ(talk->GetNumberOfConversationalists(), 2u);

    const uint32_t actors[] = {101, 303};   // speaker 1, then speaker 3
    for (uint32_t id : actors)
        manager._MakeEnabled(id);
    manager.OnStartConversation(talk, actors, At(1.0f));
    std::vector<std::pair<uint32_t, std::string>> lines;
    uint32_t speaker = 0;
    std::string tag;
    while (talk->GetNextSpeakerAndSpeech(speaker, tag))
        lines.emplace_back(speaker, tag);
    EXPECT_EQ(lines, (std::vector<std::pair<uint32_t, std::string>>{{303, "Hello"}, {101, "Hi"}, {303, "Bye"}}));
    EXPECT_EQ(speaker, 0u);
    EXPECT_EQ(tag, "");
}

TEST_F(NpcConversationTest, AConversationDisabledWhileItRunsEndsDisabledOnce)
{
    NpcConversationManager& manager = NpcConversationManager::Get();
    manager._EnableConversationPak(kPak);
    Conversation* talk = manager.GetAvailableConversations().front();
    const uint32_t actors[] = {101, 303};
    manager._MakeEnabled(101u);   // 303 was never enabled: the conversation takes it all the same
    manager.OnStartConversation(talk, actors, At(1.0f));
    manager._DisableConversationPak(kPak);
    EXPECT_TRUE(talk->IsPendingDisable());
    EXPECT_EQ(manager.GetDisabledConversations(), std::vector<Conversation*>{talk});

    talk->OnEndConverse();
    EXPECT_TRUE(manager.GetBusyConversations().empty());
    EXPECT_EQ(manager.GetDisabledConversations(), std::vector<Conversation*>{talk});
    EXPECT_TRUE(manager.GetAvailableConversations().empty());
    std::vector<uint32_t> free;
    manager.GetAvailableNpcsList(free);
    EXPECT_EQ(free, (std::vector<uint32_t>{101, 303}));

    manager._EnableConversationPak(kPak);
    EXPECT_EQ(manager.GetAvailableConversations(), std::vector<Conversation*>{talk});
    EXPECT_TRUE(manager.GetDisabledConversations().empty());
}

// Speakers are numbered 1 to 4: a line of speaker 4 is spoken, a line of speaker 5 skipped.
TEST_F(NpcConversationTest, SpeakersAreNumberedOneToFour)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Four.dbr", "dialogTag1,A,\ndialogSpeaker1,4,\n"
                                                                  "dialogTag2,B,\ndialogSpeaker2,5,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/FourPak.dbr", "allConversations,Records/Test/Four.dbr,\n");
    NpcConversationManager& manager = NpcConversationManager::Get();
    manager._EnableConversationPak("Records/Test/FourPak.dbr");
    ASSERT_FALSE(manager.GetAvailableConversations().empty());
    EXPECT_EQ(manager.GetAvailableConversations().back()->GetNumberOfConversationalists(), 1u);
}

}  // namespace

}  // namespace GAME
