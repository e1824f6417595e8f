// The bundled quest's shrine is a trigger volume the player walks to by a click: the walk
// starts only once the journal asks for the shrine, from the shrine's frame (or once made
// due) and never on a frame held back; the volume reports the entry as for any walker; and
// the quest's last step pays only with the arena pack cleared, as its data asks.
#include "core/EngineFixture.h"
#include "Engine/EventManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEvents.h"
#include "Game/core/TeamManager.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestRepository.h"
#include "Game/world/BoundingVolume.h"
#include "host/HostQuest.h"

namespace GAME {
namespace {

class HostQuestShrineTest : public EngineTest {
protected:
    static constexpr int kStepMs = 250;
    // More than the walk to the shrine takes at the player's pace.
    static constexpr int kWalkFrames = 80;

    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        QuestRepository::Get()->Reset();
        Region* region = World::Get().AddRegion(1, "Arena");
        player = ObjectManager::Get().CreateObjectFromFile<Player>("Records/Creatures/ArenaPlayer.dbr");
        ASSERT_NE(player, nullptr);
        player->SetIsControllingCharacter(true);
        ASSERT_TRUE(World::Get().AddEntity(player, WorldCoords(region, Coords())));
        player->SetPathPosition(WorldVec3(region, Vec3{}));
        player->SetTeam(TeamManager::DefaultPlayerTeam());
        engine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
        engine->SetPlayer(player);
        player->GetCharacterBio().InitialUpdate(*player);
        player->GetCharacterBio().Update(*player, 0);
        // The arena's monster stands far off; it joins the pack through the quest's start.
        monster = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Creatures/ArenaMonster.dbr");
        ASSERT_NE(monster, nullptr);
        ASSERT_TRUE(World::Get().AddEntity(monster, WorldCoords(region, Coords::MakeTranslation({-40, 0, 0}))));
        ASSERT_TRUE(quest.Start(player->GetObjectId(), monster->GetObjectId(), ""));
        ASSERT_NE(quest.GetQuest(), nullptr);
        ASSERT_NE(ObjectManager::Get().GetObject<BoundingVolume>(quest.GetShrineId()), nullptr);
        Frame();
    }
    void TearDown() override
    {
        QuestRepository::Get()->Reset();
        EngineTest::TearDown();
    }

    void Frame()
    {
        engine->Update(kStepMs);
        gEngine->UpdateFrame(kStepMs);
    }
    // The frames from `first` on, each with its before and after, until the shrine told of
    // the player's entry or `count` frames ran; the frame it was reached on, or 0.
    int Play(int first, int count, bool held = false)
    {
        for (int frame = first; frame < first + count; ++frame) {
            quest.BeforeFrame(frame, held);
            Frame();
            quest.AfterFrame(frame);
            if (quest.ShrineReached())
                return frame;
        }
        return 0;
    }
    // The quest giver heard: the first step.
    void Talk()
    {
        GameEvent_ConversationBegin talk;
        talk.npcName = "Records/Creatures/QuestGiver.dbr";
        talk.playerId = player->GetObjectId();
        EventManager::Get().Send(talk, "GameEvent_ConversationBegin");
    }
    // The arena's monster killed by the player: the pack cleared.
    void Kill()
    {
        GameEvent_CreatureDeath death;
        death.objectName = monster->GetObjectName();
        death.objectId = monster->GetObjectId();
        death.attackerId = player->GetObjectId();
        EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    }
    bool StepDone(size_t step) const { return quest.GetQuest()->GetQuestStepAtIndx(step)->IsComplete(); }
    Vec3 Where() const { return player->GetPathPosition().GetRegionPosition(); }

    Player* player = nullptr;
    Monster* monster = nullptr;
    HostQuest quest;
};

TEST_F(HostQuestShrineTest, ThePlayerWalksOnlyOnceTheJournalAsksForTheShrineAndNeverOnAHeldFrame)
{
    // From the shrine's frame on, with the pack alive, nobody walks.
    EXPECT_EQ(Play(HostQuest::kShrineFrame, 5), 0);
    EXPECT_EQ(Where().x, 0.0f);
    Talk();
    EXPECT_EQ(Play(HostQuest::kShrineFrame + 5, 5), 0);
    EXPECT_EQ(Where().x, 0.0f);
    Kill();
    ASSERT_TRUE(StepDone(0) && StepDone(1));
    // Asked for now: not before the shrine's frame, nor on frames held back.
    EXPECT_EQ(Play(1, 5), 0);
    EXPECT_EQ(Play(HostQuest::kShrineFrame, 5, true), 0);
    EXPECT_EQ(Where().x, 0.0f);
    const uint32_t money = player->GetCurrentMoney();
    const int reached = Play(HostQuest::kShrineFrame + 5, kWalkFrames);
    EXPECT_GT(reached, HostQuest::kShrineFrame + 5);   // a walk, not a leap
    EXPECT_TRUE(quest.GetQuest()->IsComplete());
    EXPECT_EQ(player->GetCurrentMoney(), money + 150u);
}

TEST_F(HostQuestShrineTest, TheShrineReachedWhileThePackLivesPaysOnlyOnceThePackIsCleared)
{
    Talk();
    // Made due ahead of its frame, the walk still waits for the pack's kill.
    quest.MakeShrineDue();
    EXPECT_EQ(Play(1, 3), 0);
    // The user clicks the player into the shrine: the volume tells of it, and the last
    // step still asks for the pack.
    const auto* shrine = ObjectManager::Get().GetObject<BoundingVolume>(quest.GetShrineId());
    uint32_t ground = 0;
    ASSERT_TRUE(player->GetPlayerController()->HandleActionFromMouse(true, false, false, false, shrine->GetCentre(),
                                                                     ground));
    for (int frame = 0; frame < kWalkFrames && !quest.ShrineReached(); ++frame)
        Frame();
    EXPECT_TRUE(quest.ShrineReached());
    EXPECT_FALSE(StepDone(2));
    EXPECT_FALSE(quest.GetQuest()->IsComplete());
    // The pack cleared: both of the last step's conditions hold.
    Kill();
    Frame();
    EXPECT_TRUE(StepDone(1) && StepDone(2));
}

// A trade that opens while the player walks to the shrine (as a client hears of it, in the
// middle of the walk) stops the walk: the shrine is neither reached nor paid inside the
// trade, and the walk goes on once the trade is over.
TEST_F(HostQuestShrineTest, ATradeThatOpensOnTheWayHoldsThePlayerShortOfTheShrine)
{
    Talk();
    Kill();
    ASSERT_TRUE(StepDone(0) && StepDone(1));
    const uint32_t money = player->GetCurrentMoney();
    ASSERT_EQ(Play(HostQuest::kShrineFrame, 3), 0);
    const Vec3 stopped = Where();
    ASSERT_GT(stopped.x, 0.0f);   // under way
    EXPECT_EQ(Play(HostQuest::kShrineFrame + 3, kWalkFrames, true), 0);
    EXPECT_NEAR(Where().x, stopped.x, 0.5f);
    EXPECT_FALSE(StepDone(2));
    EXPECT_EQ(player->GetCurrentMoney(), money);
    EXPECT_GT(Play(HostQuest::kShrineFrame + 3 + kWalkFrames, kWalkFrames), 0);
    EXPECT_EQ(player->GetCurrentMoney(), money + 150u);
}

}  // namespace
}  // namespace GAME
