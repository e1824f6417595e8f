#include <limits>

#include "EngineFixture.h"
#include "Engine/Localization.h"
#include "Game/characters/Monster.h"
#include "Game/core/Bonus.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/foundation/MathUtil.h"

using namespace GAME;
using ::testing::_;
using ::testing::AllOf;
using ::testing::Field;

namespace {

constexpr const char* kSharingRecord = "Records/Game/BonusSharing.dbr";

auto Share(uint32_t receiver, uint32_t experience, uint32_t gold)
{
    return AllOf(Field(&Bonus::receiver, receiver), Field(&Bonus::experiencePoints, experience),
                 Field(&Bonus::goldPoints, gold));
}

class BonusSharingTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        host = engine->GetPlayerManagerServer();
        field = World::Get().AddRegion(1, "Field", {});
        creature = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
        creature->SetCharLevel(5);
        creature->SetExperiencePoints(150);
        LocalizationManager::Instance().RegisterTags("tagMessageGameJoin=%s joined\n");
    }
    void TearDown() override
    {
        LocalizationManager::Instance().Clear();
        EngineTest::TearDown();
    }

    void LoadSharing(const std::string& text)
    {
        RecordDatabase::Get().RegisterRecord(kSharingRecord, text);
        host->LoadEquations();
    }
    WorldVec3 At(float x) const { return WorldVec3(field, {x, 0.0f, 0.0f}); }
    // A host roster player standing at x, in that party.
    void Join(uint32_t id, float x, uint32_t party)
    {
        PlayerNetBasicInfo record;
        record.playerId = id;
        record.position = At(x);
        record.partyId = party;
        host->HandleNewPlayer(record);
    }
    Bonus Kill() const
    {
        Bonus bonus;
        bonus.goldPoints = 100;
        bonus.lifePoints = 3.0f;
        bonus.source = creature->GetObjectId();
        return bonus;
    }
    void Watch() { engine->InstallNetworkInterface(&network); }

    PlayerManagerServer* host = nullptr;
    Region* field = nullptr;
    Monster* creature = nullptr;
    StrictNetwork network;
};

// ---- The bonus itself ------------------------------------------------------------------

TEST(BonusTest, LoadsItsAmountsAndKeepsItsAddresses)
{
    LoadTable table("Records/Items/Potion.dbr");
    const char text[] = "bonusLifePoints,40.5,\nbonusManaPercent,10,\nbonusGoldPoints,7,\nbonusSkillPoints,-2,\n"
                        "bonusExperiencePoints,300,\nbonusEffectName,Records/Fx/Glow.dbr,\n";
    table.Parse(text, sizeof(text) - 1, "Potion.dbr");
    Bonus bonus;
    bonus.receiver = 4;
    bonus.source = 9;
    LogCapture log;
    bonus.Load(table);
    EXPECT_EQ(bonus.receiver, 4u);
    EXPECT_EQ(bonus.source, 9u);
    EXPECT_FLOAT_EQ(bonus.lifePoints, 40.5f);
    EXPECT_FLOAT_EQ(bonus.manaPercent, 10.0f);
    EXPECT_EQ(bonus.goldPoints, 7u);
    EXPECT_EQ(bonus.skillPoints, 0u);   // a negative count would wrap to billions
    EXPECT_TRUE(log.Contains("Bonus: bonusSkillPoints of Records/Items/Potion.dbr is negative (-2); read as 0"));
    EXPECT_EQ(bonus.experiencePoints, 300u);
    EXPECT_EQ(bonus.effectName, "Records/Fx/Glow.dbr");

    // 40 + 0 + 0 + 10 x 2.5 (25) + 7 + 300, each in whole points.
    EXPECT_FLOAT_EQ(bonus.GetTotal(100.0f, 2.5f), 372.0f);
    bonus.lifePercent = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FLOAT_EQ(bonus.GetTotal(100.0f, 2.5f), 372.0f);
}

// ---- Formulas --------------------------------------------------------------------------

TEST_F(BonusSharingTest, FormulasThatDoNotParseAreLoggedOnceAndLeftOut)
{
    LogCapture log;
    LoadSharing("ActiveExperience,(amountOfExperience*1),\nPassiveExperience,amountOfExperience,\n"
                "ActiveGold,amountOfGold*1,\nPassiveGold,,\n");
    EXPECT_EQ(log.Texts(), (std::vector<std::string>{"-=- Equation Load Failure: activeExperienceEquation",
                                                      "-=- Equation Load Failure: passiveExperienceEquation"}));

    // Missing formulas do not stop the sharing: the earner keeps the whole amount and
    // the others get nothing.
    Join(0x10000001, 0.0f, 0x10000001);
    Join(0x20000002, 1.0f, 0x10000001);
    engine->RegisterDamage(creature->GetObjectId(), 0x10000001, 10.0f);
    Watch();
    log.Clear();
    EXPECT_CALL(network, HandleBonusToClient(Share(0x10000001, 150, 100), 0x10000001u));
    EXPECT_CALL(network, HandleBonusToClient(Share(0x20000002, 0, 0), 0x20000002u));
    host->HandleBonus(Kill(), At(0.0f), 0x10000001);
    EXPECT_TRUE(log.Texts().empty());
}

// ---- Alone in the game -----------------------------------------------------------------

TEST_F(BonusSharingTest, AloneWithAllTheDamageTheEarnerGetsExactlyTheReward)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    const uint32_t source = creature->GetObjectId();
    engine->RegisterDamage(source, self, 30.0f);
    engine->RegisterDamage(source, self, 12.5f);
    Watch();
    EXPECT_CALL(network, HandleBonusToClient(AllOf(Share(self, 150, 100), Field(&Bonus::lifePoints, 3.0f)), self));
    host->HandleBonus(Kill(), At(500.0f), self);   // distance plays no part alone

    // Someone else did half the damage; a kill nobody damaged gives no experience.
    engine->RegisterDamage(source, 0x20000002, 42.5f);
    EXPECT_CALL(network, HandleBonusToClient(Share(self, 75, 100), self));
    host->HandleBonus(Kill(), At(0.0f), self);
    Bonus untouched = Kill();
    untouched.source = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"))->GetObjectId();
    EXPECT_CALL(network, HandleBonusToClient(Share(self, 0, 100), self));
    host->HandleBonus(untouched, At(0.0f), self);

    // A reward earned by a player of another machine is not this host's to give.
    host->HandleBonus(Kill(), At(0.0f), 0x20000002);
}

TEST_F(BonusSharingTest, WithoutACreatureTheBonusKeepsItsOwnExperience)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    engine->RegisterDamage(777, self, 5.0f);   // what produced it is not a creature
    Bonus bonus;
    bonus.experiencePoints = 60;
    bonus.source = 777;
    Watch();
    EXPECT_CALL(network, HandleBonusToClient(Share(self, 60, 0), self));
    host->HandleBonus(bonus, WorldVec3(), self);
}

// ---- Among several players ---------------------------------------------------------------

TEST_F(BonusSharingTest, OnlyPlayersCloserThanTheLimitShare)
{
    LoadSharing("ActiveExperience,amountOfExperience*1,\nPassiveExperience,amountOfExperience*0.5,\n"
                "ActiveGold,amountOfGold/evaluatingPartyMemberCount,\n"
                "PassiveGold,amountOfGold/evaluatingPartyMemberCount,\n");
    // One party: the earner, a member just inside the limit, one exactly at it, one in
    // another party close by.
    Join(0x10000001, 0.0f, 0x10000001);
    Join(0x20000002, 24.9f, 0x10000001);
    Join(0x30000003, 25.0f, 0x10000001);
    Join(0x40000004, 3.0f, 0x40000004);
    engine->RegisterDamage(creature->GetObjectId(), 0x10000001, 40.0f);
    engine->RegisterDamage(creature->GetObjectId(), 0x30000003, 40.0f);
    Watch();
    // The party did all the damage; three members are within the limit (the one at it
    // counts for the party size). Gold is not weighted by damage.
    EXPECT_CALL(network, HandleBonusToClient(Share(0x10000001, 150, 33), 0x10000001u));
    EXPECT_CALL(network, HandleBonusToClient(Share(0x20000002, 75, 33), 0x20000002u));
    EXPECT_CALL(network, HandleBonusToClient(Share(0x40000004, 0, 100), 0x40000004u));
    host->HandleBonus(Kill(), At(0.0f), 0x10000001);
    ::testing::Mock::VerifyAndClearExpectations(&network);

    // The earner at the limit gets nothing either, while the others still do.
    EXPECT_CALL(network, HandleBonusToClient(Share(0x10000001, 75, 33), 0x10000001u));
    EXPECT_CALL(network, HandleBonusToClient(Share(0x20000002, 75, 33), 0x20000002u));
    EXPECT_CALL(network, HandleBonusToClient(Share(0x40000004, 0, 100), 0x40000004u));
    host->HandleBonus(Kill(), At(0.0f), 0x30000003);
}

TEST_F(BonusSharingTest, SharesAreTruncatedAndFaultyResultsGiveNothing)
{
    LoadSharing("ActiveExperience,83/2,\nPassiveExperience,0-5,\nActiveGold,amountOfGold/0,\nPassiveGold,0/0,\n");
    Join(0x10000001, 0.0f, 0x10000001);
    Join(0x20000002, 1.0f, 0x10000001);
    engine->RegisterDamage(creature->GetObjectId(), 0x20000002, 1.0f);
    Watch();
    EXPECT_CALL(network, HandleBonusToClient(Share(0x10000001, 41, 0), 0x10000001u));
    EXPECT_CALL(network, HandleBonusToClient(Share(0x20000002, 0, 0), 0x20000002u));
    host->HandleBonus(Kill(), At(0.0f), 0x10000001);
    EXPECT_EQ(TruncateToUnsigned(1e12f), std::numeric_limits<uint32_t>::max());
}

// The experience formula of the game-wide record rounds to nearest before the share.
class RoundedRewardTest : public BonusSharingTest {
protected:
    void SetUp() override
    {
        RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, "experienceEquation,83/2,\n");
        BonusSharingTest::SetUp();
    }
};

TEST_F(RoundedRewardTest, AFormulaGiving41AndAHalfRewards42)
{
    const uint32_t self = MakeMainPlayer()->GetObjectId();
    EXPECT_EQ(creature->GetExperienceReward(self), 42u);
    engine->RegisterDamage(creature->GetObjectId(), self, 8.0f);
    Watch();
    EXPECT_CALL(network, HandleBonusToClient(Share(self, 42, 100), self));
    host->HandleBonus(Kill(), At(0.0f), self);
}

}  // namespace
