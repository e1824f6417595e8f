// The byte forms of quests: quest files and messages cut short at every length, every
// message kind written and read back, and the editor lines of the condition kinds.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestNetMsg.h"

namespace GAME {

namespace {

std::vector<unsigned char> SampleQuestFile()
{
    Quest quest(0);
    quest.SetName("Sample");
    QuestStep* step = quest.AddNewQuestStep();
    step->SetEnablingTokensFunc("(a | b)");
    auto kill = TriggerConditionFactory::Get().Create("Condition_KillCreature", 0);
    static_cast<Condition_KillCreature&>(*kill).SetCreatureRecord("Records/Creatures/Wolf.dbr");
    step->AddNewTrigger()->AddCondition(std::move(kill));
    quest.AddNewQuestStep();
    IOStreamWrite stream;
    quest.Serialize(stream);
    EXPECT_TRUE(stream.Close());
    return {stream.GetBytes().begin(), stream.GetBytes().end()};
}

}  // namespace

TEST(QuestFileFormatTest, EveryShortenedFileFailsWithAReason)
{
    const std::vector<unsigned char> bytes = SampleQuestFile();
    LogCapture quiet;
    for (size_t size = 0; size < bytes.size(); ++size) {
        IOStreamRead in(bytes.data(), size);
        Quest quest(0);
        quest.Serialize(in);
        ASSERT_TRUE(in.Failed()) << size;
        EXPECT_FALSE(in.GetError().empty()) << size;
    }
    IOStreamRead whole(bytes.data(), bytes.size());
    Quest quest(0);
    quest.Serialize(whole);
    EXPECT_FALSE(whole.Failed());
    EXPECT_EQ(quest.GetStepCount(), 2u);
    EXPECT_TRUE(quest.GetQuestStepAtIndx(0)->HasEquation());
}

TEST(QuestMessageFormatTest, EveryKindReadsBackAndRefusesOtherLengths)
{
    QuestNetMsg_ProxySpawn spawn;
    spawn.recordIndex = 0xABCD;
    spawn.primaryObjects = {1, 2};
    spawn.accessoryObjects = {3};
    for (uint32_t kind = 0; kind < QuestNetMsg::kKindCount; ++kind) {
        std::unique_ptr<QuestNetMsg> message = QuestNetMsg::Create(kind);
        ASSERT_NE(message, nullptr);
        const QuestNetMsg& sample = kind == QuestNetMsg::kProxySpawn ? spawn : *message;
        std::vector<uint32_t> words;
        sample.Write(words);
        EXPECT_EQ(words[0], kind);
        std::unique_ptr<QuestNetMsg> read = QuestNetMsg::FromWords(words);
        ASSERT_NE(read, nullptr) << kind;
        std::vector<uint32_t> again;
        read->Write(again);
        EXPECT_EQ(again, words) << kind;
        LogCapture quiet;
        for (size_t size = 0; size < words.size(); ++size)
            EXPECT_EQ(QuestNetMsg::FromWords({words.begin(), words.begin() + static_cast<long>(size)}), nullptr)
                << kind << " cut to " << size;
        words.push_back(0);
        EXPECT_EQ(QuestNetMsg::FromWords(words), nullptr) << kind << " with a word more";
    }
    EXPECT_EQ(QuestNetMsg::Create(7), nullptr);
    const ConditionId id(2, 3, 4, 5);
    EXPECT_EQ(id.packed, 0x02030405u);
    EXPECT_LT(ConditionId(0x01FFFFFF), ConditionId(0x02000000));
}

TEST(QuestConditionTextTest, EditorLines)
{
    struct Case {
        const char* kind;
        std::function<void(TriggerCondition&)> set;
        const char* line;
    };
    const Case cases[] = {
        {"Condition_KillCreature", [](auto& c) { static_cast<Condition_KillCreature&>(c).SetCreatureRecord("Records/X/Wolf.dbr"); },
         "Kill Creature {BWolf}"},
        {"Condition_KillCreature", [](auto&) {}, "Kill Creature {B[empty]}"},
        {"Condition_OwnsTriggerToken",
         [](auto& c) {
             static_cast<Condition_OwnsTriggerToken&>(c).SetTokenName("Key");
             c.m_negate = true;
         },
         "{BNot }Owns Token {RKey}"},
        {"Condition_OnQuestComplete", [](auto& c) { static_cast<Condition_OnQuestComplete&>(c).SetQuestFile("Q/A.qst"); },
         "Quest {BQ/A.qst} Complete"},
        {"Condition_OnLevelLoad", [](auto&) {}, "On Game Level Load"},
        {"Condition_EnterVolume", [](auto&) {}, "Enter Bounding Volume"},
    };
    for (const Case& c : cases) {
        std::unique_ptr<TriggerCondition> condition = TriggerConditionFactory::Get().Create(c.kind, 0);
        ASSERT_NE(condition, nullptr) << c.kind;
        EXPECT_STREQ(condition->GetName(), c.kind);
        c.set(*condition);
        EXPECT_EQ(condition->GetDescription(), c.line);
    }
}

}  // namespace GAME
