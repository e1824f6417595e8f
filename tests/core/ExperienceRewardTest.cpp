// The experience formulas of the game-wide record, the designer inputs they read, the
// damage register, and what a creature's death does to it.
#include <limits>
#include <string>

#include "EngineFixture.h"
#include "Game/characters/Monster.h"

namespace GAME {
namespace {

class ExperienceRewardTest : public EngineTest {
protected:
    // Each case starts the engine itself, with its own game-wide record.
    void SetUp() override {}
    void Start(const std::string& record = "")
    {
        RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, record);
        EngineTest::SetUp();
    }
    uint32_t Reward(const std::string& formula, uint32_t level, uint32_t experience)
    {
        Start("experienceEquation," + formula + ",\n");
        return engine->CalculateExperienceReward(level, 0, experience);
    }
    Monster* MakeMonster(uint32_t level = 1, uint32_t experience = 0)
    {
        auto* monster = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
        monster->SetCharLevel(level);
        monster->SetExperiencePoints(experience);
        return monster;
    }
};

TEST_F(ExperienceRewardTest, DesignerInputsByExactName)
{
    Start();
    Player* player = MakeMainPlayer();
    player->SetCharLevel(9);
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(Roster({player->GetObjectId()}));
    engine->CalculateExperienceReward(12, player->GetObjectId(), 300);

    float value = -1.0f;
    EXPECT_TRUE(engine->GetDesignerVariable("monsterLevel", value));
    EXPECT_EQ(value, 12.0f);
    EXPECT_TRUE(engine->GetDesignerVariable("monsterExperience", value));
    EXPECT_EQ(value, 300.0f);
    EXPECT_TRUE(engine->GetDesignerVariable("averagePlayerLevel", value));
    EXPECT_EQ(value, 9.0f);
    EXPECT_TRUE(engine->GetDesignerVariable("numberOfPlayers", value));
    EXPECT_EQ(value, 1.0f);
    EXPECT_TRUE(engine->GetDesignerVariable("currentPlayerLevel", value));
    EXPECT_EQ(value, 0.0f);

    value = 5.0f;
    EXPECT_FALSE(engine->GetDesignerVariable("MonsterLevel", value));
    EXPECT_EQ(value, 0.0f);
    value = 5.0f;
    EXPECT_FALSE(engine->GetDesignerVariable("amountOfGold", value));
    EXPECT_EQ(value, 0.0f);
}

TEST_F(ExperienceRewardTest, RewardIsRoundedHalfUp)
{
    EXPECT_EQ(Reward("monsterLevel+0.5", 41, 0), 42u);
}

TEST_F(ExperienceRewardTest, NegativeRewardIsZero)
{
    EXPECT_EQ(Reward("monsterLevel-50", 47, 0), 0u);
}

TEST_F(ExperienceRewardTest, RewardThatIsNotANumberIsZero)
{
    EXPECT_EQ(Reward("monsterExperience/monsterLevel", 0, 0), 0u);   // 0 / 0
}

TEST_F(ExperienceRewardTest, InfiniteRewardIsZero)
{
    EXPECT_EQ(Reward("monsterExperience/monsterLevel", 0, 10), 0u);
}

TEST_F(ExperienceRewardTest, HugeRewardIsHeldAtTheLargestCount)
{
    EXPECT_EQ(Reward("monsterExperience*100000", 1, 4000000), std::numeric_limits<uint32_t>::max());
}

TEST_F(ExperienceRewardTest, WithoutAFormulaTheBaseExperienceIsTheReward)
{
    Start();
    EXPECT_EQ(engine->CalculateExperienceReward(10, 0, 1234), 1234u);
}

TEST_F(ExperienceRewardTest, RewardReadsTheAverageLevelOfThePlayersParty)
{
    Start("experienceEquation,averagePartyLevel*1,\n");
    std::vector<PlayerNetBasicInfo> roster = Roster({1, 2, 3});
    roster[0].partyId = roster[1].partyId = 1;
    roster[0].level = 3;
    roster[1].level = 4;
    roster[2].level = 50;
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(roster);
    EXPECT_EQ(engine->CalculateExperienceReward(1, 2, 0), 4u);   // 7 / 2, rounded up
}

TEST_F(ExperienceRewardTest, DeathPenaltyReadsTheKillerAndThePlayer)
{
    Start("deathPenaltyEquation,(monsterLevel*monsterExperience)+currentPlayerLevel,\ndeathPenaltyMax,1000,\n");
    Player* player = MakeMainPlayer();
    player->SetCharLevel(7);
    const Monster* killer = MakeMonster(5, 20);
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, killer->GetObjectId()), 107u);
    // A killer that is no character counts as level 0 with no experience.
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, 424242), 7u);
    // The player as its own killer: level 7, no experience.
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, player->GetObjectId()), 7u);
}

TEST_F(ExperienceRewardTest, MinimumAboveTheMaximumYieldsTheMaximum)
{
    Start("deathPenaltyEquation,currentPlayerLevel*100,\ndeathPenaltyMin,10,\ndeathPenaltyMax,5,\n");
    Player* player = MakeMainPlayer();
    for (uint32_t level : {0u, 1u, 30u}) {
        player->SetCharLevel(level);
        EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, 0), 5u) << level;
    }
}

TEST_F(ExperienceRewardTest, DeathPenaltyWithoutAFormulaIsStillBounded)
{
    Start("deathPenaltyMin,7,\ndeathPenaltyMax,50,\n");
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(MakeMainPlayer(), 0), 7u);
}

TEST_F(ExperienceRewardTest, NegativeMaximumNeverMakesALossNegative)
{
    Start("deathPenaltyEquation,currentPlayerLevel*100,\ndeathPenaltyMin,-20,\ndeathPenaltyMax,-1,\n");
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(MakeMainPlayer(), 0), 0u);
}

TEST_F(ExperienceRewardTest, DamageRegisterSumsPerAttackerAndCountsPetsForTheirMaster)
{
    Start();
    const uint32_t victim = MakeMonster()->GetObjectId();
    const uint32_t master = MakeMainPlayer()->GetObjectId();
    Monster* pet = MakeMonster();
    pet->SetLeader(master);
    const uint32_t other = MakeMonster()->GetObjectId();

    engine->RegisterDamage(victim, master, 10.0f);
    engine->RegisterDamage(victim, master, 5.0f);
    engine->RegisterDamage(victim, pet->GetObjectId(), 5.0f);
    EXPECT_EQ(engine->GetDamageByAttacker(master, victim), 20.0f);
    EXPECT_EQ(engine->GetDamageByAttacker(pet->GetObjectId(), victim), 0.0f);
    EXPECT_EQ(engine->GetPlayerDamagePercent(master, victim), 1.0f);

    engine->RegisterDamage(victim, other, 60.0f);
    EXPECT_EQ(engine->GetTotalDamageDone(victim), 80.0f);
    EXPECT_EQ(engine->GetPlayerDamagePercent(master, victim), 0.25f);
    EXPECT_EQ(engine->GetPlayerDamagePercent(master, 777), 0.0f);
    EXPECT_EQ(engine->GetMasterAttacker(other), other);
}

TEST_F(ExperienceRewardTest, DamageIsKeptOnlyOnTheHostAndNeverForPlayers)
{
    Start();
    const uint32_t player = MakeMainPlayer()->GetObjectId();
    const uint32_t monster = MakeMonster()->GetObjectId();
    engine->RegisterDamage(player, monster, 10.0f);
    EXPECT_EQ(engine->GetTotalDamageDone(player), 0.0f);

    // Hits that did nothing give nobody a share.
    engine->RegisterDamage(monster, player, 0.0f);
    EXPECT_EQ(engine->GetPlayerDamagePercent(player, monster), 0.0f);

    engine->SetAsNetworkClient();
    engine->RegisterDamage(monster, player, 10.0f);
    EXPECT_EQ(engine->GetTotalDamageDone(monster), 0.0f);
    engine->SetAsNetworkStub();
    engine->RegisterDamage(monster, player, 10.0f);
    engine->SetAsNetworkClient();
    engine->RemoveDamageEntry(monster);   // a client keeps nothing to forget
    engine->SetAsNetworkServer();
    EXPECT_EQ(engine->GetTotalDamageDone(monster), 10.0f);
}

TEST_F(ExperienceRewardTest, CreatureDeathForgetsItsDamage)
{
    Start();
    const uint32_t player = MakeMainPlayer()->GetObjectId();
    Monster* monster = MakeMonster();
    const uint32_t monsterId = monster->GetObjectId();
    engine->RegisterDamage(monsterId, player, 10.0f);
    engine->RegisterDamage(31337, player, 10.0f);   // a creature that is gone

    GameEvent_CreatureDeath death;
    death.objectId = monsterId;
    death.attackerId = player;
    engine->SetAsNetworkClient();
    EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    engine->SetAsNetworkStub();
    EXPECT_EQ(engine->GetTotalDamageDone(monsterId), 10.0f);

    EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    EXPECT_EQ(engine->GetTotalDamageDone(monsterId), 0.0f);
    death.objectId = 31337;
    EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    EXPECT_EQ(engine->GetTotalDamageDone(31337), 0.0f);
}

}  // namespace
}  // namespace GAME
