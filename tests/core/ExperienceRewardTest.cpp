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
        ShutdownObjects();
        RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, record);
        EngineTest::SetUp();
    }
    uint32_t MakeMonster(uint32_t level = 1, uint32_t experience = 0, uint32_t leader = 0)
    {
        auto* monster = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
        monster->SetCharLevel(level);
        monster->SetExperiencePoints(experience);
        monster->SetMasterId(leader);
        return monster->GetObjectId();
    }
};

TEST_F(ExperienceRewardTest, RewardFormulaResultsAsWholeNumbers)
{
    struct Case {
        const char* formula;
        uint32_t level, experience, expected;
    };
    const Case cases[] = {
        {"monsterLevel+0.5", 41, 0, 42},   // 41.5 rounds half up
        {"monsterLevel-50", 47, 0, 0},     // -3
        {"monsterExperience/monsterLevel", 0, 0, 0},    // not a number
        {"monsterExperience/monsterLevel", 0, 10, 0},   // infinite
        {"monsterExperience*100000", 1, 4000000, std::numeric_limits<uint32_t>::max()},
    };
    for (const Case& c : cases) {
        Start(std::string("experienceEquation,") + c.formula + ",\n");
        EXPECT_EQ(engine->CalculateExperienceReward(c.level, 0, c.experience), c.expected) << c.formula;
    }
    Start();
    EXPECT_EQ(engine->CalculateExperienceReward(10, 0, 1234), 1234u);   // no formula: the base
}

TEST_F(ExperienceRewardTest, DesignerInputsByExactName)
{
    Start("experienceEquation,averagePartyLevel*1,\n");
    std::vector<PlayerNetBasicInfo> roster = Roster({1, 2, 3});
    roster[0].partyId = roster[1].partyId = 1;
    roster[0].level = 3;
    roster[1].level = 4;
    engine->GetPlayerManagerClient()->HandlePlayerUpdate(roster);
    EXPECT_EQ(engine->CalculateExperienceReward(12, 2, 300), 4u);   // (3 + 4) / 2 rounded up

    float value = -1.0f;
    EXPECT_TRUE(engine->GetDesignerVariable("monsterExperience", value));
    EXPECT_EQ(value, 300.0f);
    EXPECT_FALSE(engine->GetDesignerVariable("MonsterLevel", value));
    EXPECT_EQ(value, 0.0f);
}

TEST_F(ExperienceRewardTest, DeathPenaltyFromKillerAndPlayerWithinItsBounds)
{
    Start("deathPenaltyEquation,(monsterLevel*monsterExperience)+currentPlayerLevel,\ndeathPenaltyMax,1000,\n");
    Player* player = MakeMainPlayer();
    player->SetCharLevel(7);
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, MakeMonster(5, 20)), 107u);
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, 424242), 7u);   // no such killer

    Start("deathPenaltyEquation,currentPlayerLevel*100,\ndeathPenaltyMin,10,\ndeathPenaltyMax,5,\n");
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, 0), 5u);
    Start("deathPenaltyMin,7,\ndeathPenaltyMax,50,\n");
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, 0), 7u);   // no formula, still bounded
    Start("deathPenaltyEquation,currentPlayerLevel*100,\ndeathPenaltyMin,-20,\ndeathPenaltyMax,-1,\n");
    EXPECT_EQ(engine->GetPlayerDeathExperiencePenalty(player, 0), 0u);   // never a negative loss
}

TEST_F(ExperienceRewardTest, DamageRegisterPerAttackerOnTheHostOnly)
{
    Start();
    const uint32_t player = MakeMainPlayer()->GetObjectId();
    const uint32_t victim = MakeMonster();
    const uint32_t pet = MakeMonster(1, 0, player);
    engine->RegisterDamage(victim, player, 10.0f);
    engine->RegisterDamage(victim, pet, 5.0f);   // counts for its master
    EXPECT_EQ(engine->GetDamageByAttacker(player, victim), 15.0f);
    EXPECT_EQ(engine->GetPlayerDamagePercent(player, victim), 1.0f);
    engine->RegisterDamage(victim, MakeMonster(), 45.0f);
    EXPECT_EQ(engine->GetTotalDamageDone(victim), 60.0f);
    EXPECT_EQ(engine->GetPlayerDamagePercent(player, victim), 0.25f);

    engine->RegisterDamage(player, victim, 10.0f);   // players are never registered
    EXPECT_EQ(engine->GetTotalDamageDone(player), 0.0f);
    const uint32_t other = MakeMonster();
    engine->RegisterDamage(other, player, 0.0f);     // hits that did nothing: no share
    EXPECT_EQ(engine->GetPlayerDamagePercent(player, other), 0.0f);

    engine->SetAsNetworkClient();
    engine->RegisterDamage(victim, player, 10.0f);
    engine->RemoveDamageEntry(victim);
    engine->SetAsNetworkServer();
    EXPECT_EQ(engine->GetTotalDamageDone(victim), 60.0f);
}

TEST_F(ExperienceRewardTest, CreatureDeathForgetsItsDamageOnTheHost)
{
    Start();
    const uint32_t player = MakeMainPlayer()->GetObjectId();
    GameEvent_CreatureDeath death;
    death.objectId = MakeMonster();
    death.attackerId = player;
    engine->RegisterDamage(death.objectId, player, 10.0f);
    engine->RegisterDamage(31337, player, 10.0f);   // a creature that is gone

    engine->SetAsNetworkClient();
    EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    engine->SetAsNetworkStub();
    EXPECT_EQ(engine->GetTotalDamageDone(death.objectId), 10.0f);
    EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    EXPECT_EQ(engine->GetTotalDamageDone(death.objectId), 0.0f);
    death.objectId = 31337;
    EventManager::Get().Send(death, "GameEvent_CreatureDeath");
    EXPECT_EQ(engine->GetTotalDamageDone(31337), 0.0f);
}

}  // namespace
}  // namespace GAME
