// Quests against the real repository, conditions and keyed streams: quest files written
// and read back, completion and unsolvable quests, messages between hosts, time-outs and
// saved state.
#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

#include "Engine/Crc32.h"
#include "Engine/GameServices.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/Texture.h"
#include "EngineFixture.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/core/GameEvents.h"
#include "Game/core/PartyManager.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/FixedItem.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestActions.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestItem.h"
#include "Game/quests/QuestNetMsg.h"
#include "Game/quests/QuestRepository.h"
#include "Game/quests/QuestTargetedActions.h"

namespace GAME {

namespace {

constexpr uint32_t kQuestPartner = 0x20000002;
constexpr uint32_t kQuestOutsider = 0x30000003;
constexpr uint32_t kQuestLeaver = 0x40000004;   // not on the roster: left the game
constexpr const char* kQuestWolf = "Records/Creatures/Wolf.dbr";
constexpr const char* kQuestDen = "Records/Proxies/Den.dbr";
constexpr const char* kQuestCave = "Records/Markers/Cave.dbr";
constexpr const char* kQuestFile = "Levels/Quests/Hunt.qst";

// Builds the condition of that kind, set up by `set`, in a new trigger of `step`.
template <class C>
C* AddQuestCondition(QuestStep& step, const char* kind, std::function<void(C&)> set = {})
{
    Trigger* trigger = step.AddNewTrigger();
    auto made = TriggerConditionFactory::Get().Create(kind, 0);
    C* condition = dynamic_cast<C*>(made.get());
    if (condition && set)
        set(*condition);
    trigger->AddCondition(std::move(made));
    return condition;
}

class QuestTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        engine->InstallNetworkInterface(&network);
        gEngine->RegisterLogChannel(kQuestLogChannel);
        std::string pattern = (std::filesystem::temp_directory_path() / "quest-XXXXXX").string();
        ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
        dir = pattern;
        std::filesystem::create_directories(dir + "/Levels/Quests");
        std::filesystem::create_directories(dir + "/save");
        RecordDatabase::Get().SetDataRoot(dir);
        quests = QuestRepository::Get();
        quests->Reset();
    }
    void TearDown() override
    {
        quests->Reset();
        std::filesystem::remove_all(dir);
        EngineTest::TearDown();
    }

    // Writes a quest file of one step holding the triggers `build` makes.
    std::vector<unsigned char> WriteQuest(const std::string& file, const std::function<void(QuestStep&)>& build,
                                          const std::string& title = "The Hunt")
    {
        Quest quest(0);
        quest.SetName(title);
        quest.m_rewardGold[2] = 300;
        QuestStep* step = quest.AddNewQuestStep();
        step->SetNextTaskDescription("tagNext");
        build(*step);
        IOStreamWrite stream;
        quest.Serialize(stream);
        EXPECT_TRUE(stream.Close());
        std::vector<unsigned char> bytes(stream.GetBytes().begin(), stream.GetBytes().end());
        std::ofstream(dir + "/" + file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }
    Quest* LoadQuest(const std::string& file = kQuestFile)
    {
        World::Get().AddQuestFile(file);
        quests->Load();
        return quests->GetQuest(Name::Create(GetNormalizedPath(file)));
    }
    // The main player, a partner in its party, and an outsider in another party.
    void MakeParty()
    {
        Player* main = MakeMainPlayer();
        main->SetIsControllingCharacter(true);
        ObjectManager::Get().CreateObject("Player", kQuestPartner);
        ObjectManager::Get().CreateObject("Player", kQuestOutsider);
        std::vector<PlayerNetBasicInfo> records = Roster({kMainPlayerId, kQuestPartner, kQuestOutsider});
        records[0].partyId = records[1].partyId = kMainPlayerId;
        records[2].partyId = kQuestOutsider;
        engine->GetPlayerManagerClient()->HandlePlayerUpdate(records);
    }
    // A monster of the den's proxy (`siblings` in all) is made and killed by the main player.
    static void KillDenMonster(uint32_t id, unsigned siblings)
    {
        auto* monster = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster", id));
        ASSERT_NE(monster, nullptr);
        monster->SetProxyParent(kQuestDen);
        monster->SetProxyNumSiblings(siblings);
        GameEvent_CreatureDeath death;
        death.objectName = kQuestWolf;
        death.objectId = monster->GetObjectId();
        death.attackerId = kMainPlayerId;
        EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    }
    static std::vector<uint32_t> Words(std::initializer_list<uint32_t> words) { return words; }

    std::string dir;
    QuestRepository* quests = nullptr;
    NiceNetwork network;
};

}  // namespace

TEST(QuestFormatTest, CrcAndHandleWordsAreFixed)
{
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
    uint32_t words[4];
    Name::Create("levels\\quests\\hunt.qst").GetHashWords(words);
    uint32_t again[4];
    Name::Create(std::string("levels\\quests\\hunt.qst")).GetHashWords(again);
    EXPECT_TRUE(std::equal(words, words + 4, again));
    Name::noName.GetHashWords(words);
    EXPECT_EQ(words[0] | words[1] | words[2] | words[3], 0u);
}

TEST_F(QuestTest, QuestFileReadsBackTheSameAndLoadsOnce)
{
    const auto bytes = WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_KillCreatureHerd>(step, "Condition_KillCreatureHerd", [](auto& herd) {
            herd.SetCreatureRecord(kQuestWolf);
            herd.SetCreatureCount(3);
            herd.SetQuestWindowDisplay("Wolves");
            herd.m_exclusive = true;
        });
        AddQuestCondition<Condition_OwnsTriggerToken>(step, "Condition_OwnsTriggerToken",
                                                 [](auto& token) { token.SetTokenName("key"); });
    });
    World::Get().AddQuestFile("levels\\QUESTS\\hunt.qst");   // the same file, spelt as a record name
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    EXPECT_EQ(quests->GetQuestCount(), 1u);
    EXPECT_EQ(quest->GetName(), "The Hunt");
    EXPECT_EQ(quest->m_rewardGold[2], 300);
    EXPECT_EQ(quest->GetCrc(), Crc32(bytes.data(), bytes.size()));
    ASSERT_EQ(quest->GetStepCount(), 1u);
    QuestStep* step = quest->GetQuestStepAtIndx(0);
    ASSERT_EQ(step->GetTriggerCount(), 2u);
    EXPECT_EQ(step->GetTriggerOfIdx(1)->GetId(), 0x00000100u);
    TriggerCondition* herd = step->GetTriggerOfIdx(0)->GetConditionAtIdx(0);
    EXPECT_EQ(herd->GetDescription(), "Player Kills {B3 Wolf}");
    EXPECT_TRUE(herd->m_exclusive);
    EXPECT_EQ(step->GetTriggerOfIdx(0)->m_ownerName, "The Hunt");

    IOStreamWrite again;
    quest->Serialize(again);
    ASSERT_TRUE(again.Close());
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), again.GetBytes().begin(), again.GetBytes().end()));
}

TEST_F(QuestTest, BrokenQuestFilesAreSkippedWithALogLine)
{
    // A step count above the 256 ids allow, and a condition kind nobody registered.
    IOStreamWrite tooMany;
    tooMany.BeginBlock();
    tooMany.EndBlock();
    tooMany.BeginBlock();
    int32_t max = 257;
    tooMany.StreamInt32("max", max);
    tooMany.EndBlock();
    ASSERT_TRUE(tooMany.Close());
    std::ofstream(dir + "/Levels/Quests/Many.qst", std::ios::binary)
        .write(reinterpret_cast<const char*>(tooMany.GetBytes().data()), static_cast<long>(tooMany.GetBytes().size()));
    std::ofstream(dir + "/Levels/Quests/Junk.qst") << "not a quest";

    LogCapture log;
    World::Get().AddQuestFile("Levels/Quests/Many.qst");
    World::Get().AddQuestFile("Levels/Quests/Junk.qst");
    World::Get().AddQuestFile("Levels/Quests/Missing.qst");
    quests->Load();
    EXPECT_EQ(quests->GetQuestCount(), 0u);
    EXPECT_TRUE(log.Contains("QuestRepository: quest file \"Levels/Quests/Missing.qst\" not found"));
    EXPECT_EQ(log.Lines().size(), 5u);   // two stream failures, their two skips, the missing file
}

TEST_F(QuestTest, CompletionAndUnsolvableAreAnnouncedOnce)
{
    EventCapture events;
    Quest quest(0);
    QuestStep* first = quest.AddNewQuestStep();
    QuestStep* second = quest.AddNewQuestStep();
    first->GenerateEnablingEquation();
    first->OnTriggerFired(nullptr);   // no triggers: complete at once
    EXPECT_TRUE(first->IsComplete());
    EXPECT_TRUE(quest.IsActive());
    second->OnTriggerFired(nullptr);
    EXPECT_TRUE(quest.IsComplete());
    EXPECT_EQ(events.Count("GameEvent_InheritQuest"), 1u);
    EXPECT_EQ(events.Count("GameEvent_QuestComplete"), 1u);

    Quest other(1 << 24);
    other.AddNewQuestStep();
    other.SetUnsolvable();
    other.SetUnsolvable();
    EXPECT_EQ(events.Count("GameEvent_QuestUnsolvable"), 1u);
    EXPECT_TRUE(other.IsComplete());
}

TEST_F(QuestTest, EnablingFormulaGatesTheTriggers)
{
    MakeMainPlayer();
    Quest quest(0);
    quest.SetName("Gate");
    QuestStep* step = quest.AddNewQuestStep();
    step->SetQuestTitle("Gate");
    step->GenerateEnablingEquation();   // empty: always
    EXPECT_TRUE(step->IsEnabled());
    step->SetEnablingTokensFunc("(key&");
    LogCapture log;
    step->GenerateEnablingEquation();
    EXPECT_FALSE(step->HasEquation());
    EXPECT_FALSE(step->IsEnabled());
    EXPECT_TRUE(log.Contains("A quest step equation for Quest \"Gate\" failed.  Quest will not function."));
    step->SetEnablingTokensFunc("(!key & 1)");
    step->GenerateEnablingEquation();
    EXPECT_TRUE(step->IsEnabled());
}

TEST_F(QuestTest, TimeOutsSatisfyAtTheNextUpdate)
{
    TriggerCondition* condition = nullptr;
    TriggerCondition* early = nullptr;
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_GotToken>(step, "Condition_GotToken", [](auto& got) { got.SetTokenName("a"); });
        AddQuestCondition<Condition_GotToken>(step, "Condition_GotToken", [](auto& got) { got.SetTokenName("b"); });
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    condition = quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0)->GetConditionAtIdx(0);
    early = quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(1)->GetConditionAtIdx(0);
    EventCapture events;
    quests->AddTimeoutCondition(condition, 0.0f);
    quests->AddTimeoutCondition(early, 5.0f);
    EXPECT_FALSE(condition->GetSatisfied());
    quests->Update(16);
    EXPECT_TRUE(condition->GetSatisfied());
    EXPECT_TRUE(quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0)->m_fired);
    // Satisfied meanwhile: the time-out ends without firing anything again.
    GameEvent_GotToken got;
    got.tokenName = "b";
    EventManager::Get().Send(got, "GameEvent_GotToken");
    quests->Update(5000);
    EXPECT_TRUE(quest->IsComplete());
    EXPECT_EQ(events.Count("GameEvent_InheritQuest"), 1u);
    EXPECT_EQ(events.Count("GameEvent_QuestComplete"), 1u);
    EXPECT_EQ(quests->GetFiredTriggers().size(), 2u);
}

// Who may satisfy a kill here, by kind: the local player, a partner and a player who
// left count; an outsider makes the quest unsolvable only when the flag word is set.
TEST_F(QuestTest, KillMessagesFollowTheAcceptanceMatrix)
{
    MakeParty();
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_KillCreature>(step, "Condition_KillCreature",
                                             [](auto& kill) { kill.SetCreatureRecord(kQuestWolf); });
        AddQuestCondition<Condition_GotToken>(step, "Condition_GotToken", [](auto& got) { got.SetTokenName("x"); });
    });
    struct Case {
        uint32_t sender;
        uint32_t flag;
        bool satisfied;
        bool unsolvable;
    };
    const Case cases[] = {
        {kMainPlayerId, 0, true, false},
        {kQuestPartner, 0, true, false},
        {kQuestLeaver, 0, true, false},
        {kQuestOutsider, 0, false, false},
        {kQuestOutsider, 1, false, true},
    };
    for (const Case& c : cases) {
        quests->Reset();
        Quest* quest = LoadQuest();
        ASSERT_NE(quest, nullptr);
        quests->RecvNetMsg(Words({1, 0x00000000, c.sender, c.sender, 77, c.flag}));
        TriggerCondition* kill = quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0)->GetConditionAtIdx(0);
        EXPECT_EQ(kill->GetSatisfied(), c.satisfied) << std::hex << c.sender << " flag " << c.flag;
        EXPECT_EQ(quest->IsUnsolvable(), c.unsolvable) << std::hex << c.sender << " flag " << c.flag;
        if (c.satisfied) {
            EXPECT_EQ(quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0)->m_value, 77u);
        }
    }
}

TEST_F(QuestTest, ProxyAndHerdKillMessagesCountFromAPartner)
{
    MakeParty();
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_KillAllCreaturesFromProxy>(step, "Condition_KillAllCreaturesFromProxy",
                                                          [](auto& all) { all.SetProxyRecord(kQuestDen); });
        AddQuestCondition<Condition_KillCreatureHerd>(step, "Condition_KillCreatureHerd", [](auto& herd) {
            herd.SetCreatureRecord(kQuestWolf);
            herd.SetCreatureCount(2);
        });
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    QuestStep* step = quest->GetQuestStepAtIndx(0);
    for (int death = 1; death <= 3; ++death) {
        quests->RecvNetMsg(Words({2, 0x00000000, kQuestPartner, 3, 0}));
        quests->RecvNetMsg(Words({4, 0x00000100, kQuestPartner, kQuestPartner, 9, 0}));
        EXPECT_EQ(step->GetTriggerOfIdx(0)->m_fired, death >= 3) << death;
        EXPECT_EQ(step->GetTriggerOfIdx(1)->m_fired, death >= 2) << death;
    }
    EXPECT_EQ(step->GetTriggerOfIdx(1)->m_value, 9u);
}

TEST_F(QuestTest, SatisfiedConversationAndRequestMessagesFollowTheSender)
{
    MakeParty();
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_KillCreature>(step, "Condition_KillCreature", [](auto& kill) {
            kill.SetCreatureRecord(kQuestWolf);
            kill.m_exclusive = true;
        });
        AddQuestCondition<Condition_ConversationStart>(step, "Condition_ConversationStart",
                                                  [](auto& talk) { talk.SetPersonRecord("Records/Npc/Sage.dbr"); });
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    // Kind 0 from the local player or a partner is ignored; from an outsider it is kept and,
    // the condition being exclusive, the quest can no longer be solved here.
    quests->RecvNetMsg(Words({0, 0x00000000, kQuestPartner}));
    EXPECT_TRUE(quests->GetConditionsSatisfiedElsewhere().empty());
    quests->RecvNetMsg(Words({3, 0x00000100, kQuestOutsider, kQuestOutsider}));   // conversation of an outsider
    EXPECT_FALSE(quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(1)->m_fired);
    quests->RecvNetMsg(Words({3, 0x00000100, kQuestPartner, kQuestPartner}));
    EXPECT_TRUE(quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(1)->m_fired);
    quests->RecvNetMsg(Words({0, 0x00000000, kQuestOutsider}));
    EXPECT_EQ(quests->GetConditionsSatisfiedElsewhere().size(), 1u);
    EXPECT_TRUE(quest->IsUnsolvable());

    // Kind 6 answers only another host.
    EXPECT_CALL(network, HandleQuestMessagePacket(kMainPlayerId, true, Words({0}), kQuestPartner));
    quests->RecvNetMsg(Words({6, ConditionId::kNone, kMainPlayerId}));
    quests->RecvNetMsg(Words({6, ConditionId::kNone, kQuestPartner}));
}

TEST_F(QuestTest, MalformedMessagesAreDroppedWithALogLine)
{
    MakeParty();
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_GotToken>(step, "Condition_GotToken", [](auto& got) { got.SetTokenName("x"); });
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    const std::vector<uint32_t> bad[] = {
        {},
        {1, 0},
        {1, 0x00000000, kQuestPartner, kQuestPartner, 5},            // short of a3
        {1, 0x00000000, kQuestPartner, kQuestPartner, 5, 0, 9},      // one word too many
        {1, 0x00000000, kQuestPartner, kQuestPartner, 5, 0},         // the condition is not a kill
        {0, 0x05000000, kQuestOutsider},                        // names no quest
        {0, 0x0000FF00, kQuestOutsider},                        // names no trigger
        {5, ConditionId::kNone, kQuestPartner, 1, 3, 7},        // three ids announced, one sent
        {5, ConditionId::kNone, kQuestPartner, 1, 0xFFFFFFFF},  // a count no message holds
        {9, 0, kQuestPartner},
    };
    for (const std::vector<uint32_t>& words : bad) {
        LogCapture log;
        quests->RecvNetMsg(words);
        EXPECT_EQ(log.Lines().size(), 2u) << words.size();   // the trace and the drop
    }
    EXPECT_FALSE(quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0)->GetConditionAtIdx(0)->GetSatisfied());
    EXPECT_TRUE(quests->GetConditionsSatisfiedElsewhere().empty());

    // A client's packet carries only what a client sends, under its own id.
    EXPECT_TRUE(quests->MaySend(0x00000010, false, Words({1, 0, kQuestPartner, kQuestPartner, 5, 0})));   // the server
    EXPECT_TRUE(quests->MaySend(kQuestOutsider, false, Words({3, 0x100, kQuestOutsider, kQuestOutsider})));
    EXPECT_FALSE(quests->MaySend(kQuestOutsider, false, Words({3, 0x100, kQuestPartner, kQuestPartner})));
    EXPECT_FALSE(quests->MaySend(kQuestOutsider, false, Words({1, 0, kQuestOutsider, kQuestOutsider, 5, 0})));
    EXPECT_FALSE(quests->MaySend(kQuestOutsider, true, Words({0})));

    LogCapture log;
    quests->CompleteCondition("zz");
    quests->CompleteCondition("7f000000");   // names nothing: skipped
    EXPECT_TRUE(quests->GetConditionsSatisfiedElsewhere().empty());
    EXPECT_TRUE(log.Contains("QuestRepository: \"zz\" is not a condition id"));
}

TEST_F(QuestTest, ConditionKinds)
{
    MakeParty();
    RecordDatabase::Get().RegisterRecord(kQuestCave, "Class,QuestLocation,\n");
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_KillAllCreaturesFromProxy>(step, "Condition_KillAllCreaturesFromProxy",
                                                          [](auto& all) { all.SetProxyRecord(kQuestDen); });
        AddQuestCondition<Condition_OwnsTriggerToken>(step, "Condition_OwnsTriggerToken", [](auto& token) {
            token.SetTokenName("curse");
            token.m_negate = true;
        });
        AddQuestCondition<Condition_EnterVolume>(step, "Condition_EnterVolume",
                                            [](auto& enter) { enter.SetVolumeRecord(kQuestCave); });
        AddQuestCondition<Condition_ExitVolume>(step, "Condition_ExitVolume",
                                           [](auto& exit) { exit.SetVolumeRecord(kQuestCave); });
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    QuestStep* step = quest->GetQuestStepAtIndx(0);

    // Five monsters of one proxy: the fifth death satisfies, later deaths change nothing.
    auto* all = dynamic_cast<Condition_KillAllCreaturesFromProxy*>(step->GetTriggerOfIdx(0)->GetConditionAtIdx(0));
    for (uint32_t i = 0; i < 7; ++i) {
        ASSERT_NO_FATAL_FAILURE(KillDenMonster(0x500 + i, 5));
        EXPECT_EQ(all->GetSatisfied(), i >= 4) << i;
    }
    EXPECT_EQ(all->GetKillCount(), 5u);   // a fired trigger's condition counts no more

    bool holds = true;
    step->GetTriggerOfIdx(1)->GetConditionAtIdx(0)->IsSatisfied(holds);
    EXPECT_TRUE(holds);   // negated: the player does not hold the token

    // The volume announces itself on load; a partner leaving is ignored, entering counts.
    auto* cave = ObjectManager::Get().CreateObjectFromFile<QuestLocation>(kQuestCave);
    ASSERT_NE(cave, nullptr);
    GameEvent_ExitBoundingVolume exit;
    exit.volumeId = cave->GetObjectId();
    exit.entityId = kQuestPartner;
    EventManager::Get().Send(exit, "GameEvent_ExitBoundingVolume");
    EXPECT_FALSE(step->GetTriggerOfIdx(3)->m_fired);
    GameEvent_EnterBoundingVolume enter;
    enter.volumeId = cave->GetObjectId();
    enter.entityId = kQuestPartner;
    EventManager::Get().Send(enter, "GameEvent_EnterBoundingVolume");
    EXPECT_TRUE(step->GetTriggerOfIdx(2)->m_fired);
    EXPECT_EQ(step->GetTriggerOfIdx(2)->m_playerId, kQuestPartner);
    exit.entityId = kMainPlayerId;
    EventManager::Get().Send(exit, "GameEvent_ExitBoundingVolume");
    EXPECT_TRUE(step->GetTriggerOfIdx(3)->m_fired);
}

// While its step stays open, what is done stays done: a proxy's kill count that was reached
// (its trigger still waits on a token) is announced once, not again on each later kill of
// the proxy's monsters; a trigger that fired (its conditions holding every frame) gives its
// money once, not again each frame.
TEST_F(QuestTest, WhatIsDoneInAnOpenStepIsNotDoneAgain)
{
    MakeParty();
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_KillAllCreaturesFromProxy>(step, "Condition_KillAllCreaturesFromProxy",
                                                               [](auto& all) { all.SetProxyRecord(kQuestDen); });
        auto never = TriggerConditionFactory::Get().Create("Condition_GotToken", 0);
        dynamic_cast<Condition_GotToken&>(*never).SetTokenName("never");
        step.GetTriggerOfIdx(0)->AddCondition(std::move(never));
        AddQuestCondition<Condition_OwnsTriggerToken>(step, "Condition_OwnsTriggerToken", [](auto& token) {
            token.SetTokenName("curse");
            token.m_negate = true;   // holds every frame: the player has no curse
        });
        auto money = TriggerActionFactory::Get().Create("Action_GiveMoney", 0);
        dynamic_cast<Action_GiveMoney&>(*money).SetMoneyAmountNormal(5);
        step.GetTriggerOfIdx(1)->AddAction(std::move(money));
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    QuestStep* step = quest->GetQuestStepAtIndx(0);
    int announced = 0;
    ON_CALL(network, HandleQuestMessagePacket(testing::_, false, testing::_, testing::_))
        .WillByDefault([&announced](uint32_t, bool, const std::vector<uint32_t>& words, uint32_t) {
            announced += !words.empty() && words[0] == QuestNetMsg::kSatisfied;
        });
    TriggerCondition* count = step->GetTriggerOfIdx(0)->GetConditionAtIdx(0);
    for (uint32_t i = 0; i < 5; ++i) {
        ASSERT_NO_FATAL_FAILURE(KillDenMonster(0x700 + i, 3));
        EXPECT_EQ(count->GetSatisfied(), i >= 2) << i;
        EXPECT_EQ(announced, i >= 2 ? 1 : 0) << i;
    }
    EXPECT_FALSE(step->GetTriggerOfIdx(0)->m_fired);

    const Player* player = ObjectManager::Get().GetObject<Player>(kMainPlayerId);
    const uint32_t before = player->GetCurrentMoney();
    for (int frame = 0; frame < 3; ++frame)
        quests->Update(16);
    EXPECT_TRUE(step->GetTriggerOfIdx(1)->m_fired);
    EXPECT_FALSE(step->IsComplete());
    EXPECT_EQ(player->GetCurrentMoney() - before, 5u);
}

TEST_F(QuestTest, StateFilesRoundTripAndAChangedQuestIsDropped)
{
    const auto build = [](QuestStep& step) {
        AddQuestCondition<Condition_GotToken>(step, "Condition_GotToken", [](auto& got) { got.SetTokenName("a"); });
        AddQuestCondition<Condition_GotToken>(step, "Condition_GotToken", [](auto& got) { got.SetTokenName("b"); });
    };
    WriteQuest(kQuestFile, build);
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    GameEvent_GotToken got;
    got.objectId = 42;
    got.tokenName = "a";
    EventManager::Get().Send(got, "GameEvent_GotToken");
    const std::string save = dir + "/save";
    quests->SaveQuestState(save, "quests.sav", false);
    EXPECT_TRUE(std::filesystem::exists(QuestRepository::GetQuestStatePath(save, *quest)));
    EXPECT_FALSE(quest->IsDirty());

    quests->Reset();
    quest = LoadQuest();
    EXPECT_TRUE(quests->LoadQuestState(save, "quests.sav"));
    EXPECT_TRUE(quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0)->m_fired);
    EXPECT_FALSE(quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(1)->m_fired);
    EXPECT_FALSE(quest->GetQuestStepAtIndx(0)->IsComplete());   // one of its two triggers fired
    ASSERT_EQ(quests->GetFiredTriggers().size(), 1u);
    EXPECT_EQ(quests->GetFiredTriggers()[0].target, 42u);
    EXPECT_EQ(quests->GetActiveTriggerCount(), 1u);

    // The quest file changed since: its state and records are dropped.
    quests->Reset();
    WriteQuest(kQuestFile, build, "The Hunt, again");
    quest = LoadQuest();
    EventCapture events;
    EXPECT_FALSE(quests->LoadQuestState(save, "quests.sav"));
    EXPECT_FALSE(quest->GetQuestStepAtIndx(0)->GetTriggerOfIdx(0)->m_fired);
    EXPECT_TRUE(quests->GetFiredTriggers().empty());
    EXPECT_TRUE(quests->IsBadQuest(quest->GetHandle()));
    EXPECT_EQ(events.Count("GameEvent_QuestUpdate"), 1u);

    // A main file cut short is refused as a whole; one that is not there is a fresh game.
    quests->Reset();
    WriteQuest(kQuestFile, build);
    quest = LoadQuest();
    std::filesystem::resize_file(save + "/quests.sav", 7);
    EXPECT_FALSE(quests->LoadQuestState(save, "quests.sav"));
    EXPECT_TRUE(quests->GetFiredTriggers().empty());
    std::filesystem::remove(save + "/quests.sav");
    EXPECT_TRUE(quests->LoadQuestState(save, "quests.sav"));
}

TEST_F(QuestTest, BackgroundSavesAreWaitedForAndSurviveAReset)
{
    WriteQuest(kQuestFile, [](QuestStep&) {});
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    const std::string save = dir + "/save";
    const std::string path = QuestRepository::GetQuestStatePath(save, *quest);

    quests->SaveQuestState("", "quests.sav", true);   // no directory: nothing written
    quests->WaitDone();
    EXPECT_TRUE(std::filesystem::is_empty(save));
    EXPECT_TRUE(quest->IsDirty());

    quests->SaveQuestState(save, "quests.sav", true);
    EXPECT_FALSE(quest->IsDirty());   // serialised at hand-off
    quests->WaitDone();
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::exists(save + "/quests.sav"));

    std::filesystem::remove_all(save);
    std::filesystem::create_directories(save);
    quest->SetDirty(true);
    quests->SaveQuestState(save, "quests.sav", true);
    quests->Reset();   // finishes the write before the quests go
    EXPECT_TRUE(std::filesystem::exists(path));

    std::filesystem::remove(path);
    quest = LoadQuest();
    quests->SaveQuestState(save, "quests.sav", true);
    QuestRepository::Destroy();   // so does the repository's end
    EXPECT_TRUE(std::filesystem::exists(path));
    quests = QuestRepository::Get();

    // A directory that cannot be written keeps the quest dirty for the next save.
    quest = LoadQuest();
    LogCapture log;
    quests->SaveQuestState(dir + "/no/such/folder", "", true);
    quests->WaitDone();
    EXPECT_TRUE(quest->IsDirty());
}

TEST_F(QuestTest, QuestItemTrailAndLocationAnnouncements)
{
    RecordDatabase::Get().RegisterRecord("Records/Fx/Trail.dbr", "Class,EffectEntity,\n");
    RecordDatabase::Get().RegisterRecord("Records/Items/Idol.dbr", "Class,QuestItem,\nbitmap,Items/Idol.tex,\ntrailEffect,Records/Fx/Trail.dbr,\n");
    RecordDatabase::Get().RegisterRecord("Records/Items/Plain.dbr", "Class,QuestItem,\n");
    RecordDatabase::Get().RegisterRecord(kQuestCave, "Class,QuestLocation,\n");
    Region region(1, "Region", {});

    auto* plain = ObjectManager::Get().CreateObjectFromFile<QuestItem>("Records/Items/Plain.dbr");
    ASSERT_NE(plain, nullptr);
    plain->UpdateSelf(16);
    EXPECT_EQ(plain->GetTrailEffect(), nullptr);

    auto* idol = ObjectManager::Get().CreateObjectFromFile<QuestItem>("Records/Items/Idol.dbr");
    ASSERT_NE(idol, nullptr);
    ASSERT_NE(idol->GetTrailEffect(), nullptr);
    EXPECT_FALSE(idol->GetTrailEffect()->IsEmitting());
    World::Get().AddEntity(idol, WorldCoords(&region, Coords()));
    idol->UpdateSelf(16);
    EXPECT_TRUE(idol->GetTrailEffect()->IsEmitting());
    World::Get().RemoveEntity(idol);   // picked up
    idol->UpdateSelf(16);
    EXPECT_FALSE(idol->GetTrailEffect()->IsEmitting());
    World::Get().AddEntity(idol, WorldCoords(&region, Coords()));   // dropped again
    idol->UpdateSelf(16);
    EXPECT_TRUE(idol->GetTrailEffect()->IsEmitting());
    ASSERT_NE(idol->GetBitmap(), nullptr);
    EXPECT_EQ(idol->GetBitmap()->GetName(), "Items/Idol.tex");
    std::vector<GameTextLine> lines;
    idol->GetUIDisplayText(nullptr, lines);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(static_cast<int>(lines.back().textClass), 25);
    World::Get().RemoveEntity(idol);

    EventCapture events;
    auto* cave = ObjectManager::Get().CreateObjectFromFile<QuestLocation>(kQuestCave);
    ASSERT_NE(cave, nullptr);
    EXPECT_EQ(cave->GetMeshName(), QuestLocation::kDefaultMesh);
    cave->InitialUpdate();
    EXPECT_FALSE(cave->GetVisibility());
    ObjectManager::Get().DestroyObjectEx(cave, __FILE__, __LINE__);
    ObjectManager::Get().DestroyAllObjects();
    EXPECT_EQ(events.Names(), (std::vector<std::string>{"GameEvent_GenericEntitySpawn",
                                                        "GameEvent_GenericEntityInitialUpdate",
                                                        "GameEvent_GenericEntityDestroy"}));

    // In the editor it shows, under the trigger volumes' kind of the editor filter.
    gEngine->SetEditorMode(true);
    cave = ObjectManager::Get().CreateObjectFromFile<QuestLocation>(kQuestCave);
    cave->InitialUpdate();
    const uint32_t id = cave->GetObjectId();
    EXPECT_TRUE(cave->GetVisibility());
    EXPECT_EQ(EditorFilter::Get().GetType(id), 1);
    ObjectManager::Get().DestroyObjectEx(cave, __FILE__, __LINE__);
    ObjectManager::Get().DestroyAllObjects();
    EXPECT_EQ(EditorFilter::Get().GetType(id), -1);
    gEngine->SetEditorMode(false);
}

// A client's quest command is applied on the server only for an action of the server's
// quests that waits to command that object.
TEST_F(QuestTest, AClientsQuestCommandNeedsAPendingActionForItsObject)
{
    WriteQuest(kQuestFile, [](QuestStep& step) {
        Trigger* trigger = step.AddNewTrigger();
        auto action = TriggerActionFactory::Get().Create("Action_TaskCreatureToLocation", 0);
        dynamic_cast<Action_TaskCreatureToLocation&>(*action).SetTargetRecord(kQuestWolf);
        trigger->AddAction(std::move(action));
    });
    ASSERT_NE(LoadQuest(), nullptr);
    std::vector<TriggerAction*> found;
    quests->FindActionsByType("Action_TaskCreatureToLocation", QuestRepository::kUnfiredTriggers, found);
    ASSERT_EQ(found.size(), 1u);
    auto& task = dynamic_cast<Action_TaskCreatureToLocation&>(*found.front());
    RecordDatabase::Get().RegisterRecord(kQuestWolf, "Class,Actor,\n");
    RecordDatabase::Get().RegisterRecord(kQuestCave, "Class,Actor,\n");
    const uint32_t wolf = ObjectManager::Get().CreateObjectFromFile(kQuestWolf)->GetObjectId();
    const uint32_t cave = ObjectManager::Get().CreateObjectFromFile(kQuestCave)->GetObjectId();

    EXPECT_FALSE(TargetedQuestAction::AcceptClientCommand("Action_TaskCreatureToLocation", wolf));
    task.SetPending(true);
    EXPECT_TRUE(TargetedQuestAction::AcceptClientCommand("Action_TaskCreatureToLocation", wolf));
    EXPECT_FALSE(TargetedQuestAction::AcceptClientCommand("Action_TaskCreatureToLocation", cave));
    EXPECT_FALSE(TargetedQuestAction::AcceptClientCommand("Action_NpcPlayAnimation", wolf));
    EXPECT_FALSE(TargetedQuestAction::AcceptClientCommand("Action_TaskCreatureToLocation", 0x7fffff));
}

// A played animation gives the conditions waiting for it 15 s, unless it loops.
TEST_F(QuestTest, APlayedAnimationTimesOutItsConditionsUnlessItLoops)
{
    for (bool looping : {false, true}) {
        quests->Reset();
        WriteQuest(kQuestFile, [looping](QuestStep& step) {
            AddQuestCondition<Condition_AnimationCompleted>(
                step, "Condition_AnimationCompleted",
                [](Condition_AnimationCompleted& c) { c.SetCharacterRecord("records\\creatures\\WOLF.dbr"); });
            auto action = TriggerActionFactory::Get().Create("Action_NpcPlayAnimation", 0);
            auto& play = dynamic_cast<Action_NpcPlayAnimation&>(*action);
            play.SetTargetRecord(kQuestWolf);
            play.SetAnimation(AnimationSet_Chat);
            play.SetLooping(looping);
            step.AddNewTrigger()->AddAction(std::move(action));
        });
        ASSERT_NE(LoadQuest(), nullptr);
        std::vector<TriggerCondition*> waiting;
        quests->FindConditionsByType("Condition_AnimationCompleted", QuestRepository::kUnfiredTriggers |
                                                                         QuestRepository::kUnsatisfied, waiting);
        std::vector<TriggerAction*> played;
        quests->FindActionsByType("Action_NpcPlayAnimation", QuestRepository::kUnfiredTriggers, played);
        ASSERT_EQ(waiting.size(), 1u);
        ASSERT_EQ(played.size(), 1u);

        RecordDatabase::Get().RegisterRecord(kQuestWolf, "Class,Monster,\ncharacterLife,10,\n");
        Object* wolf = ObjectManager::Get().CreateObjectFromFile(kQuestWolf);
        GameEvent_CreatureInitialUpdate reported;
        reported.objectName = kQuestWolf;
        reported.objectId = wolf->GetObjectId();
        EventManager::Get().Send(reported, "GameEvent_CreatureInitialUpdate");
        played.front()->Fire(0, false);
        quests->Update(14000);
        EXPECT_FALSE(waiting.front()->GetSatisfied());
        quests->Update(1001);
        EXPECT_EQ(waiting.front()->GetSatisfied(), !looping) << looping;
        ObjectManager::Get().DestroyObjectEx(wolf, "test", __LINE__);
    }
}

// Conditions still waiting for an animation that a trigger fired before the save played
// hear that it completed once the fired triggers are replayed.
TEST_F(QuestTest, ReplayedAnimationsCompleteTheConditionsOfTheirCharacter)
{
    WriteQuest(kQuestFile, [](QuestStep& step) {
        auto action = TriggerActionFactory::Get().Create("Action_NpcPlayAnimation", 0);
        dynamic_cast<Action_NpcPlayAnimation&>(*action).SetNpc(kQuestWolf);
        step.AddNewTrigger()->AddAction(std::move(action));
        for (const char* record : {"records\\creatures\\WOLF.dbr", kQuestCave})
            AddQuestCondition<Condition_AnimationCompleted>(
                step, "Condition_AnimationCompleted",
                [record](Condition_AnimationCompleted& c) { c.SetCharacterRecord(record); });
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    QuestStep* step = quest->GetQuestStepAtIndx(0);
    quests->AddTrigger(quest->GetHandle(), 0, 0, 0);
    quests->FireTriggers();
    quests->FindZombieAnimationCompleteConditions();
    EXPECT_TRUE(step->GetTriggerOfIdx(1)->GetConditionAtIdx(0)->GetSatisfied());
    EXPECT_FALSE(step->GetTriggerOfIdx(2)->GetConditionAtIdx(0)->GetSatisfied());
}

// What satisfies once and for whom. A kill condition whose trigger fired keeps the kill that
// fired it; a herd condition waiting in a trigger with another condition is satisfied when
// its count reaches its number, and a later kill writes nothing again; a conversation counts
// for the local player only; a picked-up item counts unless the event's flag is set; a quest
// completion counts when one of its flags is set; the item condition asks the character the
// trigger names, inverted by the negate flag.
TEST_F(QuestTest, ConditionsSatisfyOnceAndOnlyForTheirOwnPlayer)
{
    MakeParty();
    RecordDatabase::Get().RegisterRecord("Records/Test/Key.dbr", "Class,ItemEquipment,\n");
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_KillCreature>(step, "Condition_KillCreature",
                                                  [](auto& kill) { kill.SetCreatureRecord(kQuestWolf); });
        AddQuestCondition<Condition_KillCreatureHerd>(step, "Condition_KillCreatureHerd", [](auto& herd) {
            herd.SetCreatureRecord(kQuestWolf);
            herd.SetCreatureCount(2);
        });
        auto token = TriggerConditionFactory::Get().Create("Condition_GotToken", 0);
        dynamic_cast<Condition_GotToken&>(*token).SetTokenName("never");
        step.GetTriggerOfIdx(1)->AddCondition(std::move(token));
        AddQuestCondition<Condition_ConversationStart>(step, "Condition_ConversationStart",
                                                       [](auto& talk) { talk.SetPersonRecord("Records/Npc/Sage.dbr"); });
        AddQuestCondition<Condition_PickupItem>(step, "Condition_PickupItem",
                                                [](auto& pick) { pick.SetItemRecord("Records/Test/Key.dbr"); });
        AddQuestCondition<Condition_OnQuestComplete>(step, "Condition_OnQuestComplete",
                                                     [](auto& done) { done.SetQuestFile("Levels/Quests/Other.qst"); });
        AddQuestCondition<Condition_CharacterHasItem>(step, "Condition_CharacterHasItem",
                                                      [](auto& has) { has.SetItemName("Records/Test/Key.dbr"); });
        AddQuestCondition<Condition_CharacterHasItem>(step, "Condition_CharacterHasItem", [](auto& has) {
            has.SetItemName("Records/Test/Key.dbr");
            has.m_negate = true;
        });
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    QuestStep* step = quest->GetQuestStepAtIndx(0);
    Trigger* kill = step->GetTriggerOfIdx(0);
    Trigger* herd = step->GetTriggerOfIdx(1);
    TriggerCondition* herdCount = herd->GetConditionAtIdx(0);
    for (uint32_t wolf : {0x600u, 0x601u, 0x602u}) {
        GameEvent_CreatureDeath death;
        death.objectName = kQuestWolf;
        death.objectId = wolf;
        death.attackerId = kMainPlayerId;
        EventManager::Get().Send(death, "GameEvent_CreatureDeath");
        EXPECT_TRUE(kill->m_fired);
        EXPECT_EQ(kill->m_value, 0x600u) << "the first kill fired the trigger";
        EXPECT_EQ(herdCount->GetSatisfied(), wolf >= 0x601u);
        EXPECT_FALSE(herd->m_fired);
        EXPECT_EQ(herd->m_value, wolf >= 0x601u ? 0x601u : 0u) << "the second kill reached the count";
    }

    GameEvent_ConversationBegin talk;
    talk.npcName = "Records/Npc/Sage.dbr";
    talk.playerId = kQuestPartner;
    EventManager::Get().Send(talk, "GameEvent_ConversationBegin");
    EXPECT_FALSE(step->GetTriggerOfIdx(2)->m_fired) << "a party member's conversation";
    talk.playerId = kMainPlayerId;
    EventManager::Get().Send(talk, "GameEvent_ConversationBegin");
    EXPECT_TRUE(step->GetTriggerOfIdx(2)->m_fired);

    Item* key = ObjectManager::Get().CreateObjectFromFile<Item>("Records/Test/Key.dbr");
    ASSERT_NE(key, nullptr);
    GameEvent_ItemAdd add;
    add.ownerId = kMainPlayerId;
    add.itemId = key->GetObjectId();
    add.flag = true;
    EventManager::Get().Send(add, "GameEvent_ItemAdd");
    EXPECT_FALSE(step->GetTriggerOfIdx(3)->m_fired) << "an item added with the flag set";
    add.flag = false;
    EventManager::Get().Send(add, "GameEvent_ItemAdd");
    EXPECT_TRUE(step->GetTriggerOfIdx(3)->m_fired);

    GameEvent_QuestComplete done;
    done.handle = Name::Create(GetNormalizedPath("Levels/Quests/Other.qst"));
    EventManager::Get().Send(done, "GameEvent_QuestComplete");
    EXPECT_FALSE(step->GetTriggerOfIdx(4)->m_fired) << "neither flag set";
    done.flagB = true;
    EventManager::Get().Send(done, "GameEvent_QuestComplete");
    EXPECT_TRUE(step->GetTriggerOfIdx(4)->m_fired);

    TriggerCondition* has = step->GetTriggerOfIdx(5)->GetConditionAtIdx(0);
    TriggerCondition* hasNot = step->GetTriggerOfIdx(6)->GetConditionAtIdx(0);
    auto answers = [&](uint32_t who) {
        step->GetTriggerOfIdx(5)->m_playerId = step->GetTriggerOfIdx(6)->m_playerId = who;
        bool plain = true, negated = true;
        has->IsSatisfied(plain);
        hasNot->IsSatisfied(negated);
        return std::pair{plain, negated};
    };
    EXPECT_EQ(answers(kMainPlayerId), std::pair(false, true)) << "without the item";
    ObjectManager::Get().GetObject<Player>(kMainPlayerId)->GetInventory().AddItemToInventory(key->GetObjectId(), false);
    EXPECT_EQ(answers(kMainPlayerId), std::pair(true, false)) << "with the item";
    EXPECT_EQ(answers(kQuestPartner), std::pair(false, true)) << "the partner holds none";
    EXPECT_EQ(answers(0), std::pair(false, true)) << "nobody named";
    bool already = false;
    has->IsSatisfied(already);
    EXPECT_FALSE(already) << "ANDed into the caller's answer";
}

// A fixed item counts when a player of the local party uses it, not an outsider; a token
// condition lets go of its token by the whole name only.
TEST_F(QuestTest, AFixedItemCountsForThePartyAndATokenIsLetGoByItsWholeName)
{
    MakeParty();
    RecordDatabase::Get().RegisterRecord("Records/Test/Lever.dbr", "Class,Actor,\n");
    WriteQuest(kQuestFile, [](QuestStep& step) {
        AddQuestCondition<Condition_UseFixedItem>(step, "Condition_UseFixedItem",
                                                  [](auto& use) { use.SetItemRecord("Records/Test/Lever.dbr"); });
        AddQuestCondition<Condition_OwnsTriggerToken>(step, "Condition_OwnsTriggerToken",
                                                      [](auto& token) { token.SetTokenName("curse"); });
    });
    Quest* quest = LoadQuest();
    ASSERT_NE(quest, nullptr);
    QuestStep* step = quest->GetQuestStepAtIndx(0);
    Object* lever = ObjectManager::Get().CreateObjectFromFile("Records/Test/Lever.dbr");
    ASSERT_NE(lever, nullptr);
    GameEvent_FixedItemUse use;
    use.objectId = lever->GetObjectId();
    use.actorId = kQuestOutsider;
    EventManager::Get().Send(use, "GameEvent_FixedItemUse");
    EXPECT_FALSE(step->GetTriggerOfIdx(0)->m_fired) << "an outsider";
    use.actorId = kQuestPartner;
    EventManager::Get().Send(use, "GameEvent_FixedItemUse");
    EXPECT_TRUE(step->GetTriggerOfIdx(0)->m_fired);
    EXPECT_EQ(step->GetTriggerOfIdx(0)->m_playerId, kQuestPartner);

    TriggerCondition* token = step->GetTriggerOfIdx(1)->GetConditionAtIdx(0);
    token->RemoveTokenReferences("curs");
    EXPECT_TRUE(token->ContainsToken("curse"));
    token->RemoveTokenReferences("curse");
    EXPECT_FALSE(token->ContainsToken("curse"));
    EXPECT_TRUE(token->ContainsToken(""));
}

}  // namespace GAME
