// The reward actions give the player what the current difficulty names and announce it
// for their quest; the immediate actions send their events and drive the engine's
// services.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "../characters/RecordingStream.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/Localization.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameUIInterface.h"
#include "Game/core/GameEvents.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestActions.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "core/EngineFixture.h"

namespace GAME {

namespace {

using ::testing::_;
using ::testing::SaveArg;

class QuestRewardsTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        LocalizationManager::Instance().RegisterTags(
            "SimpleStringFormat=%s\ntagRewardGold=gold\ntagRewardExperience=experience\n"
            "tagRewardAttribute=attribute points\ntagRewardSkill=skill points\ntagFire=Fire Ring\n");
        capture.Keep<GameEvent_ShowTextBanner>("GameEvent_ShowTextBanner");
        capture.Keep<GameEvent_Reward>("GameEvent_Reward");
        capture.Keep<GameEvent_UpdateJournal>("GameEvent_UpdateJournal");
        quest.SetHandle("Levels/Quests/Trial.qst");
        trigger = quest.AddNewQuestStep()->AddNewTrigger();
        player = MakeMainPlayer();
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { logs.push_back(line.text); });
    }
    void TearDown() override
    {
        gEngine->SetLogSink(previousSink);
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }
    // A new action of that kind in the quest's trigger.
    template <class T>
    T* Add()
    {
        auto made = std::make_unique<T>(0, nullptr);
        T* action = made.get();
        EXPECT_TRUE(trigger->AddAction(std::move(made)));
        return action;
    }
    std::vector<std::string> Banners() const
    {
        std::vector<std::string> out;
        for (const auto& banner : capture.Kept<GameEvent_ShowTextBanner>("GameEvent_ShowTextBanner"))
            out.push_back(LocalizationManager::ToChar(banner.text));
        return out;
    }

    EventCapture capture;
    Quest quest{1};
    Trigger* trigger = nullptr;
    Player* player = nullptr;
    std::vector<std::string> logs;
    LogSink previousSink;
};

}  // namespace

TEST_F(QuestRewardsTest, AmountsFollowTheDifficultyAndAnnounceForTheQuest)
{
    struct Case {
        GameDifficulty difficulty;
        const char* kind;
        uint32_t (*read)(const Player&);
        uint32_t expected;
        const char* banner;
    };
    const Case cases[] = {
        {GameDifficulty_Epic, "Action_GiveMoney", [](const Player& p) { return p.GetCurrentMoney(); }, 200,
         "200 gold"},
        {GameDifficulty_Normal, "Action_GiveAttributePoints", [](const Player& p) { return p.GetModifierPoints(); },
         100, "100 attribute points"},
        {GameDifficulty_Legendary, "Action_GiveSkillPoints", [](const Player& p) { return p.GetSkillPoints(); }, 300,
         "300 skill points"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        engine->SetGameDifficulty(c.difficulty);
        Quest owner(2);
        owner.SetHandle("Levels/Quests/Trial.qst");
        Trigger* holder = owner.AddNewQuestStep()->AddNewTrigger();
        ASSERT_TRUE(holder->AddAction(TriggerActionFactory::Get().Create(c.kind, 0)));
        auto* action = dynamic_cast<AmountRewardAction*>(holder->GetActionAtIdx(0));
        ASSERT_NE(action, nullptr);
        for (int d = 0; d < 3; ++d)
            action->SetAmount(d, 100 * (d + 1));
        action->SetLocationTag("tagArena");
        action->SetTitleTag("tagTrial");
        const uint32_t before = c.read(*player);
        capture.Clear();
        action->Fire(0, false);
        EXPECT_EQ(c.read(*player) - before, c.expected);
        EXPECT_EQ(Banners(), std::vector<std::string>{c.banner});
        const auto rewards = capture.Kept<GameEvent_Reward>("GameEvent_Reward");
        ASSERT_EQ(rewards.size(), 1u);
        EXPECT_EQ(rewards[0].questName, owner.GetHandle());
        EXPECT_EQ(rewards[0].locationTag, "tagArena");
        EXPECT_FALSE(rewards[0].simulated);
    }
}

TEST_F(QuestRewardsTest, AnnouncementsNeedARegionBothTagsAndAQuest)
{
    Action_GiveMoney* money = Add<Action_GiveMoney>();
    money->SetMoneyAmountNormal(5);
    money->SetTitleTag("tagTrial");
    money->Fire(0, false);   // no location: the banner alone
    EXPECT_EQ(Banners().size(), 1u);
    EXPECT_EQ(capture.Count("GameEvent_Reward"), 0u);

    money->SetLocationTag("tagArena");
    money->SetRegion(0);
    money->Fire(0, false);   // region 0: given, not announced
    EXPECT_EQ(player->GetCurrentMoney(), 10u);
    EXPECT_EQ(Banners().size(), 1u);

    Action_GiveAttributePoints outside(0, nullptr);   // in no quest: given, not announced
    outside.SetAttributeAmountNormal(4);
    outside.Fire(0, false);
    EXPECT_EQ(player->GetModifierPoints(), 4u);
    EXPECT_EQ(Banners().size(), 1u);

    money->SetMoneyAmountNormal(-5);   // a broken amount gives nothing
    money->Fire(0, false);
    EXPECT_EQ(player->GetCurrentMoney(), 10u);
    EXPECT_THAT(logs, ::testing::Contains(::testing::HasSubstr("a negative amount (-5) gives nothing")));

    money->SetMoneyAmountNormal(5);
    money->Fire(kMainPlayerId + 77, false);   // nobody of that id
    EXPECT_EQ(player->GetCurrentMoney(), 10u);
}

TEST_F(QuestRewardsTest, SkillPointsRaiseANamedSkillWithoutTheSkillUpEvent)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Fire.dbr",
                                         "Class,Skill_Passive,\nskillMaxLevel,10,\nskillDisplayName,tagFire,\n");
    auto* fire = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Test/Fire.dbr");
    ASSERT_NE(fire, nullptr);
    player->GetSkillManager().AddSkill(fire);
    fire->SetSkillLevel(1);

    Action_GiveSkillPoints* points = Add<Action_GiveSkillPoints>();
    points->Fire(0, false);   // zero: nothing at all
    EXPECT_EQ(capture.Count("GameEvent_PlayerSkillUp"), 0u);
    EXPECT_TRUE(Banners().empty());

    points->SetSkillAmountNormal(2);
    points->SetSkill("records\\test\\FIRE.dbr");
    points->Fire(0, false);
    EXPECT_EQ(fire->GetSkillLevel(), 3);
    EXPECT_EQ(player->GetSkillPoints(), 0u);
    EXPECT_EQ(capture.Count("GameEvent_PlayerSkillUp"), 0u);
    EXPECT_EQ(Banners(), std::vector<std::string>{"Fire Ring"});

    points->SetSkill("Records/Test/Unknown.dbr");
    points->Fire(0, false);
    EXPECT_EQ(fire->GetSkillLevel(), 3);
    EXPECT_EQ(Banners().size(), 1u);
    EXPECT_THAT(logs, ::testing::Contains(::testing::HasSubstr("has no skill \"Records/Test/Unknown.dbr\"")));

    points->SetSkill("");
    points->Fire(0, false);
    EXPECT_EQ(player->GetSkillPoints(), 2u);
    EXPECT_EQ(capture.Count("GameEvent_PlayerSkillUp"), 1u);
}

TEST_F(QuestRewardsTest, ItemsComeFromTheirRecordOrATableDrawWithAFreshSeed)
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Test/Sword.dbr", "Class,ItemEquipment,\n");
    records.RegisterRecord("Records/Test/Table.dbr",
                           "Class,LootItemTable_FixedWeight,\nlootName1,Records/Test/Sword.dbr,\nlootWeight1,1,\n");
    records.RegisterRecord("Records/Test/Empty.dbr", "Class,LootItemTable_FixedWeight,\n");
    NiceNetwork network;
    engine->InstallNetworkInterface(&network);
    std::vector<std::pair<uint32_t, ItemReplicaInfo>> given;
    ON_CALL(network, CreateItem(_, _, _, _)).WillByDefault([&](uint32_t id, const WorldCoords&,
                                                               const ItemReplicaInfo& item, std::u16string*) {
        given.emplace_back(id, item);
    });

    Action_GiveItem* gift = Add<Action_GiveItem>();
    gift->Fire(0, false);   // no record for this difficulty: nothing
    EXPECT_TRUE(given.empty());

    const struct {
        const char* record;
        uint32_t playerId;
        uint32_t recipient;
        size_t given;
    } cases[] = {
        {"Records/Test/Sword.dbr", 0, kMainPlayerId, 1},
        {"Records/Test/Table.dbr", kMainPlayerId + 5, kMainPlayerId + 5, 1},
        {"Records/Test/Missing.dbr", 0, 0, 0},
        {"Records/Test/Empty.dbr", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.record);
        given.clear();
        gift->SetItemNormal(c.record);
        gift->Fire(c.playerId, false);
        ASSERT_EQ(given.size(), c.given);
        if (!c.given)
            continue;
        EXPECT_EQ(given[0].first, c.recipient);
        EXPECT_EQ(given[0].second.baseName, "Records/Test/Sword.dbr");
        EXPECT_LE(given[0].second.seed, 10000u);
        EXPECT_EQ(given[0].second.objectId, gift->GetLastItemId());
        EXPECT_EQ(ObjectManager::Get().GetObject(gift->GetLastItemId()), nullptr);   // the shown one is gone
    }
    EXPECT_THAT(logs, ::testing::Contains(::testing::HasSubstr("no record \"Records/Test/Missing.dbr\"")));
    EXPECT_THAT(logs, ::testing::Contains(::testing::HasSubstr("\"Records/Test/Empty.dbr\" draws no item")));
    engine->InstallNetworkInterface(engine->GetInboundNetworkInterface());
}

TEST_F(QuestRewardsTest, TheJournalCarriesTheQuestsRewardsOfTheDifficulty)
{
    quest.m_rewardItemTag[2] = "tagLegendaryReward";
    quest.m_rewardGold[2] = 900;
    quest.m_rewardXP[2] = 5000;
    quest.m_rewardSkill = 2;
    quest.m_rewardAttr = 3;
    engine->SetGameDifficulty(GameDifficulty_Legendary);
    Action_UpdateJournalEntry* journal = Add<Action_UpdateJournalEntry>();
    journal->SetTitleTag("tagTrial");
    journal->Fire(0, false);
    journal->Fire(0, true);
    const auto entries = capture.Kept<GameEvent_UpdateJournal>("GameEvent_UpdateJournal");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].handle, quest.GetHandle());
    EXPECT_EQ(entries[0].titleTag, "tagTrial");
    EXPECT_EQ(entries[0].rewardItemTag, "tagLegendaryReward");
    EXPECT_EQ(entries[0].rewardGold, 900);
    EXPECT_EQ(entries[0].rewardExperience, 5000);
    EXPECT_EQ(entries[0].rewardSkillPoints, 2);
    EXPECT_EQ(entries[0].rewardAttributePoints, 3);
    EXPECT_TRUE(entries[0].doSound);
    EXPECT_FALSE(entries[1].doSound);   // fired again after a load: silent
}

TEST_F(QuestRewardsTest, ImmediateActionsDriveTheMusicTheTimeAndTutorials)
{
    auto fire = [](const char* kind, const std::string& value, uint32_t playerId = 0) {
        auto action = TriggerActionFactory::Get().Create(kind, 0);
        if (auto* one = dynamic_cast<OneStringAction*>(action.get()))
            one->SetValue(value.c_str());
        action->Fire(playerId, false);
    };
    Jukebox& music = engine->GetJukebox();
    fire("Action_LoadAmbientPlaylist", "Wind");
    fire("Action_LoadMusicPlaylist", "Town");
    fire("Action_LoadEventMusic", "Boss");
    fire("Action_FadeOutMusic", "");
    EXPECT_EQ(music.GetAmbientPlaylist(), "Wind");
    EXPECT_EQ(music.GetMusicPlaylist(), "Town");
    EXPECT_EQ(music.GetEventMusic(), "Boss");
    EXPECT_EQ(music.GetLastFadeOutMs(), 5000);
    fire("Action_FadeInMusic", "");
    EXPECT_FALSE(music.IsMusicFadedOut());
    Action_FadeOutEventMusic end(0, nullptr);
    end.SetTimeInSecs(1.5f);
    end.Fire(0, false);
    EXPECT_EQ(music.GetLastEventEndMs(), 1500);
    EXPECT_EQ(music.GetEventMusic(), "");

    Action_SetTimeOfDay time(0, nullptr);
    time.SetTimeOfDay(18.5f);
    time.SetEnableProgression(false);
    time.Fire(0, false);
    EXPECT_EQ(DayNightManager::Get().GetStartTime(), 18.5f);
    EXPECT_FALSE(DayNightManager::Get().IsEnabled());
    DayNightManager::Get().Reset();

    Action_SendTutorialEvent tutorial(0, nullptr);
    tutorial.SetIndex(3);
    tutorial.Fire(kMainPlayerId + 1, false);   // another player's: nothing here
    EXPECT_EQ(capture.Count("GameEvent_TutorialUnlock"), 0u);
    tutorial.Fire(kMainPlayerId, false);
    EXPECT_EQ(capture.Count("GameEvent_TutorialUnlock"), 1u);
}

}  // namespace GAME

namespace GAME {

namespace {

struct DebugTextUI : GameUIInterface {
    bool DisplaySkillReallocationWindow(uint32_t) override { return true; }
    bool SaveGame(GameDifficulty) override { return true; }
    bool SaveGame() override { return true; }
    bool SaveQuest(bool) override { return true; }
    bool BackupGame() override { return true; }
    void ShowDebugText(const std::u16string& text, const float (&color)[4], float x, float y) override
    {
        lines.push_back(text);
        shownAt = {color[0], color[3], x, y};
    }
    std::vector<std::u16string> lines;
    std::vector<float> shownAt;
};

}  // namespace

TEST_F(QuestRewardsTest, TokensGoThroughTheLocalPlayersControllerAndDebugTextToTheInterface)
{
    Action_BestowTriggerToken bestow(0, nullptr);
    bestow.SetValue("Key");
    bestow.Fire(0, false);   // no controller yet: nothing
    EXPECT_TRUE(player->GetPendingTokens().empty());
    auto* controller = DynamicCast<ControllerPlayer>(ObjectManager::Get().CreateObject("ControllerPlayer"));
    ASSERT_NE(controller, nullptr);
    controller->AttachParent(player->GetObjectId());
    player->SetControllerId(controller->GetObjectId());
    bestow.Fire(0, false);
    ASSERT_EQ(player->GetPendingTokens().size(), 1u);
    EXPECT_EQ(player->GetPendingTokens()[0].GetName(), "Key");

    DebugTextUI ui;
    Action_DebugText debug(0, nullptr);
    debug.SetValue(std::string(600, 'x').c_str());
    debug.Fire(0, false);   // no interface: nothing
    engine->SetUI(&ui);
    debug.Fire(0, false);
    engine->SetUI(nullptr);
    ASSERT_EQ(ui.lines.size(), 1u);
    EXPECT_EQ(ui.lines[0], std::u16string(512, u'x'));
    EXPECT_EQ(ui.shownAt, (std::vector<float>{0.6f, 1.0f, 100.0f, 100.0f}));

    RecordDatabase::Get().RegisterRecord("Records/Test/NotASound.dbr", "Class,Actor,\n");
    Action_PlaySoundEffect sound(0, nullptr);
    sound.SetValue("Records/Test/NotASound.dbr");
    sound.Fire(kMainPlayerId, false);
    EXPECT_THAT(logs, ::testing::Contains(::testing::HasSubstr("\"Records/Test/NotASound.dbr\" is no sound pak")));
}

}  // namespace GAME
