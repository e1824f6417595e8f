// Whole attacks resolved by the defender's combat manager, with fixed seeds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "CombatTestCharacter.h"
#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatFilter.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/items/WeaponArmor_Shield.h"

using namespace GAME;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

namespace {

constexpr const char* kRecord = "Records/Combat/Test.dbr";
// A certain hit of modifier 1 for an offensive ability of 100 against no defence; block,
// shield and armour formulas simple enough to follow by hand.
constexpr const char* kRecordText =
    "combatRegionTorsoChance,1,\n"
    "combatRegionLegsChance,1,\n"
    "probabilityToHitEquation,offensiveAbilityDV-defensiveAbilityDV,\n"
    "normalPTHEquation,probabilityToHitDV*0.01,\n"
    "pthThreshold1,200.0,\n"
    "meleeBlockEquation,blockChanceDV+blockChanceModifierDV,\n"
    "shieldDamageReductionEquationDGB,damageDV-shieldDefenseDV,\n"
    "shieldDamageReductionEquationDLEB,damageDV*0.5,\n"
    "physcialDamageDefenseEquationDLEP,physicalDamageDV*(1-sumAbsorptionDV),\n"
    "physicalDamageDefenseEquationDGP,physicalDamageDV-(sumProtectionDV*sumAbsorptionDV),\n";

class Invulnerable : public CombatFilter {
public:
    float ModifyDamage(float damage, CombatAttributeType) override { return damage; }
    bool ProvidesInvulnerability(const std::vector<std::string>&) override { return true; }
};

class CombatManagerAttackTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gLogCombat = gEngine->RegisterLogChannel("Combat");
        RecordDatabase::Get().RegisterRecord(kRecord, kRecordText);
        m_attacker = MakeCombatCharacter(1, 1000.0f);
        m_attacker->SetObjectName("Records/Creatures/Attacker.dbr");
        m_defender = MakeDefender<CombatTestCharacter>();
    }
    void TearDown() override
    {
        gLogCombat = 0;
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }

    template <class T>
    T* MakeDefender()
    {
        auto* defender = DynamicCast<T>(ObjectManager::Get().CreateObject(T::GetStaticClassInfo().GetName()));
        defender->SetLifeLimit(1000.0f);
        defender->SetCurrentLife(1000.0f);
        defender->SetObjectName("Records/Creatures/Defender.dbr");
        defender->GetCombatManager().LoadRecord(kRecord);
        return defender;
    }

    // An item worn by the character, giving it what the item holds.
    static CombatTestItem* Wear(Character& character)
    {
        auto* item = DynamicCast<CombatTestItem>(ObjectManager::Get().CreateObject("CombatTestItem"));
        character.GetCombatManager().GetEquipManager().AttachItemAction(item->GetObjectId(), EquipLocation_UpperBody);
        return item;
    }

    // A melee attack by `attacker` of plain physical damage, processed on its side.
    ParametersCombat MakeAttack(Character& attacker, float physical,
                                ParametersCombatStyle style = ParametersCombatStyle::Probability)
    {
        ParametersCombat params(m_source);
        params.attackerId = attacker.GetObjectId();
        params.combatType = style;
        params.offensiveAbility = 100.0f;
        if (physical > 0.0f)
            params.accumulator.AddDamage(
                std::make_unique<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, physical, 0.0f, false));
        return params;
    }

    static std::vector<std::string> Starting(const LogCapture& log, const std::string& prefix)
    {
        std::vector<std::string> found;
        for (const std::string& text : log.Texts())
            if (text.rfind(prefix, 0) == 0)
                found.push_back(text);
        return found;
    }

    RandomUniform m_source = [] {
        RandomUniform random;
        random.Seed(20240611);
        return random;
    }();
    CombatTestCharacter* m_attacker = nullptr;
    CombatTestCharacter* m_defender = nullptr;
};

}  // namespace

// ---- The hit roll --------------------------------------------------------------------

TEST_F(CombatManagerAttackTest, DodgedMeleeStillRollsFumbleButNotTheHit)
{
    m_defender->SetTotalCharAttribute(CharAttributeType_DodgePercent, 100.0f);
    ParametersCombat params = MakeAttack(*m_attacker, 50.0f);
    params.fumbleChance = 0.001f;
    LogCapture log;
    EXPECT_FALSE(m_defender->TakeAttack(params));
    EXPECT_TRUE(log.Contains("    ^yDodge Chance (100.000000) caused a miss\n"));
    const auto fumble = Starting(log, "    ^yFumble Chance (0.001000) not met (");
    EXPECT_EQ(fumble.size(), 1u);
    EXPECT_TRUE(Starting(log, "    PTH").empty());
    EXPECT_TRUE(log.Contains("    Miss occured\n"));
    EXPECT_EQ(m_attacker->GetPlayStats().GetMisses(), 1u);
    EXPECT_EQ(m_defender->GetPlayStats().GetMissesAgainst(), 1u);
    EXPECT_EQ(m_defender->GetCurrentLife(), 1000.0f);
}

TEST_F(CombatManagerAttackTest, FumbleMissesBeforeTheHitRoll)
{
    ParametersCombat params = MakeAttack(*m_attacker, 50.0f);
    params.fumbleChance = 100.0f;
    LogCapture log;
    EXPECT_FALSE(m_defender->TakeAttack(params));
    EXPECT_TRUE(log.Contains("    ^yFumble Chance (100.000000) caused a miss\n"));
    EXPECT_TRUE(Starting(log, "    PTH").empty());
}

// The ladder: the normal modifier up to the first threshold, then by pth x random.
TEST_F(CombatManagerAttackTest, ProbabilityToHitLadder)
{
    RecordDatabase::Get().RegisterRecord("Records/Combat/Ladder.dbr",
                                         "pthThreshold1,50,\npthDamageModifier1,1.0,\n"
                                         "pthThreshold2,60,\npthDamageModifier2,1.2,\n"
                                         "pthThreshold3,70,\npthDamageModifier3,1.4,\n"
                                         "pthThreshold4,80,\npthDamageModifier4,1.6,\n"
                                         "pthThreshold5,90,\npthDamageModifier5,1.8,\n"
                                         "pthThreshold6,95,\npthDamageModifier6,2.0,\n");
    CombatManager& combat = m_defender->GetCombatManager();
    combat.LoadRecord("Records/Combat/Ladder.dbr");

    EXPECT_EQ(combat.CalculateDamageModifier(40.0f, 0.1f), 0.75f);   // lowest rung, no normal formula
    EXPECT_EQ(combat.CalculateDamageModifier(40.0f, 0.5f), 0.0f);    // 49.5 > 40: a miss
    EXPECT_EQ(combat.CalculateDamageModifier(50.0f, 0.5f), 0.75f);   // at the threshold: still normal
    EXPECT_EQ(combat.CalculateDamageModifier(200.0f, 0.2f), 1.0f);   // 40: below the second rung
    EXPECT_EQ(combat.CalculateDamageModifier(200.0f, 0.31f), 1.2f);  // 62
    EXPECT_EQ(combat.CalculateDamageModifier(200.0f, 0.46f), 1.8f);  // 92
    EXPECT_EQ(combat.CalculateDamageModifier(200.0f, 0.99f), 2.0f);  // 198

    // A certain hit never makes the miss roll, whatever the draw.
    LogCapture log;
    for (float r : {0.0f, 0.5f, 0.999999f})
        EXPECT_GT(combat.CalculateDamageModifier(99.0f, r), 0.0f);
    EXPECT_TRUE(Starting(log, "    PTH Missed Hit").empty());
    EXPECT_EQ(Starting(log, "    PTH Random Number ").size(), 3u);   // only the ladder's value
}

TEST_F(CombatManagerAttackTest, CertainHitLandsEveryMeleeAttack)
{
    for (int i = 0; i < 100; ++i) {
        ParametersCombat params = MakeAttack(*m_attacker, 1.0f);
        EXPECT_TRUE(m_defender->TakeAttack(params)) << i;
    }
    EXPECT_EQ(m_defender->GetCurrentLife(), 900.0f);
    EXPECT_EQ(m_defender->GetPlayStats().GetHitsReceived(), 100u);
}

// ---- Racial defence ------------------------------------------------------------------

TEST_F(CombatManagerAttackTest, RacialAbsolutePoolIsSpentAcrossTheAttack)
{
    m_attacker->SetRace({"Undead", "Beast"});
    m_defender->racialDefenseRace = "Beast";
    m_defender->racialDefense = {0.0f, 30.0f};
    ParametersCombat params = MakeAttack(*m_attacker, 0.0f, ParametersCombatStyle::Direct);
    params.accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 20.0f));
    params.accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Cold, 20.0f));
    params.racialBonusDamage = 5.0f;

    LogCapture log;
    EXPECT_TRUE(m_defender->TakeAttack(params));
    const uint32_t id = m_defender->GetObjectId();
    char damage[2][80];
    std::snprintf(damage[0], sizeof damage[0], "^y    Damage %f to Defender 0x%x\n", 10.0f, id);
    std::snprintf(damage[1], sizeof damage[1], "^y    Damage %f to Defender 0x%x\n", 5.0f, id);
    EXPECT_THAT(Starting(log, "^y"), ElementsAreArray({
                                         std::string("^y  Racial Bonus Defense (30.000000) filtered (20.000000) damage\n"),
                                         std::string("^y  Racial Bonus Defense (10.000000) filtered (10.000000) damage\n"),
                                         std::string(damage[0]),
                                         std::string(damage[1]),
                                     }));
    EXPECT_EQ(m_defender->GetCurrentLife(), 985.0f);

    // The pool is the next attack's again.
    ParametersCombat again = MakeAttack(*m_attacker, 0.0f, ParametersCombatStyle::Direct);
    again.racialBonusDamage = 40.0f;
    m_defender->TakeAttack(again);
    EXPECT_EQ(m_defender->GetCurrentLife(), 975.0f);
}

// The pool is spent within its attack: damage over time that attack started is not
// soaked up by what is left of it.
TEST_F(CombatManagerAttackTest, RacialAbsolutePoolEndsWithItsAttack)
{
    m_attacker->SetRace({"Beast"});
    m_defender->racialDefenseRace = "Beast";
    m_defender->racialDefense = {0.0f, 30.0f};
    ParametersCombat params = MakeAttack(*m_attacker, 0.0f, ParametersCombatStyle::Direct);
    params.accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 5.0f));
    params.accumulator.AddDamage(std::make_unique<CombatAttributeDurDamage>(CombatAttributeType_Poison, 20.0f, 1.0f));
    m_defender->TakeAttack(params);
    EXPECT_EQ(m_defender->GetCurrentLife(), 1000.0f);   // the hit went into the pool
    m_defender->GetCombatManager().Update(101);
    EXPECT_EQ(m_defender->GetCurrentLife(), 998.0f);    // a tick of 2 gets through whole
}

// ---- Filters ---------------------------------------------------------------------------

// A filter that takes its share of each hit, counting its calls; one that breaks after a
// single hit removes itself while it runs.
class CountingFilter : public CombatFilter {
public:
    CountingFilter(Character& owner, float (*share)(float), bool once) : m_owner(owner), m_share(share), m_once(once)
    {
    }
    float ModifyDamage(float damage, CombatAttributeType) override
    {
        ++calls;
        if (m_once)
            m_owner.RemoveCombatFilter(this);
        return m_share(damage);
    }
    bool ProvidesInvulnerability(const std::vector<std::string>&) override { return false; }

    int calls = 0;

private:
    Character& m_owner;
    float (*m_share)(float);
    bool m_once;
};

TEST_F(CombatManagerAttackTest, FilterThatRemovesItselfLeavesTheOthersToRunOnce)
{
    CountingFilter breaks(*m_defender, [](float damage) { return damage; }, true);
    CountingFilter minus30(*m_defender, [](float damage) { return damage - 30.0f; }, false);
    CountingFilter halves(*m_defender, [](float damage) { return damage * 0.5f; }, false);
    for (CountingFilter* filter : {&breaks, &minus30, &halves})
        m_defender->AddCombatFilter(filter);

    EXPECT_TRUE(m_defender->ApplyDamage(100.0f, {}, CombatAttributeType_Fire));
    EXPECT_EQ(m_defender->GetCurrentLife(), 965.0f);   // (100 - 30) / 2
    EXPECT_EQ(breaks.calls, 1);
    EXPECT_EQ(minus30.calls, 1);
    EXPECT_EQ(halves.calls, 1);

    EXPECT_TRUE(m_defender->ApplyDamage(100.0f, {}, CombatAttributeType_Fire));
    EXPECT_EQ(breaks.calls, 1);   // gone
    EXPECT_EQ(m_defender->GetCurrentLife(), 930.0f);
}

// ---- Numbers that are not finite --------------------------------------------------------

TEST_F(CombatManagerAttackTest, DamageThatIsNotANumberCountsAsNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    LogCapture log;
    EXPECT_TRUE(m_defender->ApplyDamage(nan, {}, CombatAttributeType_Fire));
    EXPECT_TRUE(m_defender->ApplyDamage(std::numeric_limits<float>::infinity(), {}, CombatAttributeType_Fire));
    EXPECT_EQ(m_defender->GetCurrentLife(), 1000.0f);
    EXPECT_EQ(Starting(log, "CombatManager: damage ").size(), 1u);   // warned once

    // A filter that turns damage into not a number lets nothing through.
    CountingFilter broken(*m_defender, [](float) { return std::numeric_limits<float>::quiet_NaN(); }, false);
    m_defender->AddCombatFilter(&broken);
    EXPECT_FALSE(m_defender->ApplyDamage(10.0f, {}, CombatAttributeType_Fire));
    EXPECT_EQ(m_defender->GetCurrentLife(), 1000.0f);
}

// A probability to hit that is not a number is 0 (almost always a miss), not a certain hit.
TEST_F(CombatManagerAttackTest, FormulaResultThatIsNotANumberCountsAsZero)
{
    LogCapture log;
    int hits = 0;
    for (int i = 0; i < 20; ++i) {
        ParametersCombat params = MakeAttack(*m_attacker, 10.0f);
        params.offensiveAbility = std::numeric_limits<float>::quiet_NaN();
        hits += m_defender->TakeAttack(params) ? 1 : 0;
    }
    EXPECT_EQ(hits, 0);
    EXPECT_EQ(Starting(log, "    PTH 0.000000\n").size(), 20u);
    EXPECT_EQ(Starting(log, "CombatManager: probabilityToHitEquation gave ").size(), 1u);
    EXPECT_TRUE(std::isfinite(m_defender->GetCurrentLife()));
}

// ---- The in-combat timer ----------------------------------------------------------------

TEST_F(CombatManagerAttackTest, CombatTimerStopsAtZeroHoweverLongNothingHappens)
{
    ParametersCombat params = MakeAttack(*m_attacker, 1.0f, ParametersCombatStyle::Direct);
    m_defender->TakeAttack(params);
    CombatManager& combat = m_defender->GetCombatManager();
    EXPECT_EQ(combat.GetCombatState(), CombatManager_InCombat);
    combat.Update(7999);
    EXPECT_EQ(combat.GetCombatState(), CombatManager_InCombat);
    for (int day = 0; day < 30; ++day)
        combat.Update(INT_MAX / 24);   // about a day a frame
    EXPECT_EQ(combat.GetCombatStateTimer(), 0);
    EXPECT_EQ(combat.GetCombatState(), CombatManager_NotInCombat);

    ParametersCombat again = MakeAttack(*m_attacker, 1.0f, ParametersCombatStyle::Direct);
    m_defender->TakeAttack(again);
    EXPECT_EQ(combat.GetCombatStateTimer(), CombatManager::kCombatStateDurationMs);
}

// ---- Energy absorption ---------------------------------------------------------------

TEST_F(CombatManagerAttackTest, EnergyAbsorptionOnAMissButNotOnTheDead)
{
    // The mana pool holds one usable mana limit.
    RecordDatabase::Get().RegisterRecord(CharacterBio::kRegenRecord, "manaOverStorageLimit,1,\n");
    m_defender->GetCharacterBio().Load(LoadTable());
    m_defender->SetLifeLimit(1000.0f);
    m_defender->SetTotalCharAttribute(CharAttributeType_Mana, 100.0f);
    m_defender->SetTotalCharAttribute(CharAttributeType_EnergyAbsorptionPercent, 50.0f);
    m_defender->SetTotalCharAttribute(CharAttributeType_DodgePercent, 100.0f);
    ParametersCombat params = MakeAttack(*m_attacker, 10.0f);
    params.manaCost = 40.0f;
    EXPECT_FALSE(m_defender->TakeAttack(params));
    EXPECT_EQ(m_defender->GetManaSlow(), 20.0f);

    m_defender->SetLifeState(Character_LifeState_Dead);
    ParametersCombat late = MakeAttack(*m_attacker, 10.0f);
    late.manaCost = 40.0f;
    LogCapture log;
    EXPECT_FALSE(m_defender->TakeAttack(late));
    EXPECT_EQ(m_defender->GetManaSlow(), 20.0f);
    EXPECT_TRUE(log.Texts().empty());
}

// ---- Answers: retaliation, reflection, life leech --------------------------------------

class CombatAnswerTest : public CombatManagerAttackTest {
protected:
    void SetUp() override
    {
        CombatManagerAttackTest::SetUp();
        m_player = MakeDefender<Player>();
        CombatTestItem* item = Wear(*m_player);
        item->retaliation.push_back(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 15.0f));
        item->defenses.push_back(std::make_unique<CombatAttributeDefenseMisc>(CombatAttributeType_Reflect, 50.0f));
    }

    float Credited(PlayStatsDamageKind kind) const
    {
        return m_player->GetPlayStats().GetDamageInflicted({kind, CombatAttributeType_Unknown});
    }

    Player* m_player = nullptr;
};

// The player answers a melee hit of 100 with 15 retaliation and half the hit reflected;
// its statistics count what reached the attacker.
TEST_F(CombatAnswerTest, MeleeHitIsRetaliatedAndReflectedAndCredited)
{
    ParametersCombat params = MakeAttack(*m_attacker, 100.0f);
    EXPECT_TRUE(m_player->TakeAttack(params));
    EXPECT_EQ(m_player->GetCurrentLife(), 900.0f);
    EXPECT_EQ(m_attacker->GetCurrentLife(), 1000.0f - 15.0f - 50.0f);
    EXPECT_EQ(Credited(PlayStatsDamageKind_Retaliation), 15.0f);
    EXPECT_EQ(Credited(PlayStatsDamageKind_Reflection), 50.0f);
}

// The retaliation is made only once there is something to retaliate with; its randoms
// and its region are still those of an answer made at once from the attack's fourth value.
TEST_F(CombatAnswerTest, RetaliationDrawsWhatAnAnswerMadeAtOnceDraws)
{
    m_attacker->GetCombatManager().LoadRecord(kRecord);
    for (int i = 0; i < 8; ++i) {
        ParametersCombat params = MakeAttack(*m_attacker, 10.0f);
        RandomUniform source;
        source.Seed(params.randoms.Get(AttackRandoms::kRetaliationSeed));
        ParametersCombat atOnce(source);
        const CombatAttributeRegion expected =
            m_attacker->GetCombatManager().PickRegion(atOnce.accumulator.GetRandomGen());
        LogCapture log;
        EXPECT_TRUE(m_player->TakeAttack(params));
        const auto regions = Starting(log, "    regionHit = ");
        ASSERT_EQ(regions.size(), 3u);   // the attack, the retaliation, the reflection
        EXPECT_EQ(regions[1], std::string("    regionHit = ") + GetCombatAttributeRegionWord(expected) + "\n") << i;
    }
}

TEST_F(CombatAnswerTest, AnswersThatNeverLandAreNotCredited)
{
    Invulnerable invulnerable;
    m_attacker->AddCombatFilter(&invulnerable);
    ParametersCombat params = MakeAttack(*m_attacker, 100.0f);
    EXPECT_TRUE(m_player->TakeAttack(params));
    EXPECT_EQ(m_attacker->GetCurrentLife(), 1000.0f);
    EXPECT_EQ(Credited(PlayStatsDamageKind_Retaliation), 0.0f);
    EXPECT_EQ(Credited(PlayStatsDamageKind_Reflection), 0.0f);
}

TEST_F(CombatAnswerTest, DirectAttacksAreNeverAnswered)
{
    CombatTestItem* item = Wear(*m_defender);
    item->retaliation.push_back(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 15.0f));
    item->defenses.push_back(std::make_unique<CombatAttributeDefenseMisc>(CombatAttributeType_Reflect, 50.0f));

    ParametersCombat direct = MakeAttack(*m_attacker, 100.0f, ParametersCombatStyle::Direct);
    EXPECT_TRUE(m_defender->TakeAttack(direct));
    EXPECT_EQ(m_attacker->GetCurrentLife(), 1000.0f);
    EXPECT_TRUE(m_defender->attackedBy.empty());

    // A projectile is reflected and reported, but not retaliated.
    ParametersCombat projectile = MakeAttack(*m_attacker, 100.0f, ParametersCombatStyle::Projectile);
    EXPECT_TRUE(m_defender->TakeAttack(projectile));
    EXPECT_EQ(m_attacker->GetCurrentLife(), 950.0f);
    EXPECT_EQ(m_defender->attackedBy, std::vector<uint32_t>{m_attacker->GetObjectId()});

    // Two reflecting characters: the reflection comes back once, and stops there.
    CombatTestItem* mirror = Wear(*m_attacker);
    mirror->defenses.push_back(std::make_unique<CombatAttributeDefenseMisc>(CombatAttributeType_Reflect, 50.0f));
    ParametersCombat again = MakeAttack(*m_attacker, 100.0f, ParametersCombatStyle::Projectile);
    m_defender->TakeAttack(again);
    EXPECT_EQ(m_attacker->GetCurrentLife(), 900.0f);
    EXPECT_EQ(m_defender->GetCurrentLife(), 700.0f);
}

// Reflection sends back the attack as it arrived: not the defender's resistance, but the
// attack's own defences, unmerged with the defender's.
TEST_F(CombatManagerAttackTest, ReflectionIsTheAttackAsItArrived)
{
    CombatTestItem* item = Wear(*m_defender);
    item->defenses.push_back(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 25.0f));
    item->defenses.push_back(std::make_unique<CombatAttributeDefenseMisc>(CombatAttributeType_Reflect, 100.0f));

    ParametersCombat plain = MakeAttack(*m_attacker, 0.0f, ParametersCombatStyle::Projectile);
    plain.accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 40.0f));
    EXPECT_TRUE(m_defender->TakeAttack(plain));
    EXPECT_EQ(m_defender->GetCurrentLife(), 970.0f);
    EXPECT_EQ(m_attacker->GetCurrentLife(), 960.0f);

    ParametersCombat armed = MakeAttack(*m_attacker, 0.0f, ParametersCombatStyle::Projectile);
    armed.accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 40.0f));
    armed.accumulator.AddDefense(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 50.0f));
    EXPECT_TRUE(m_defender->TakeAttack(armed));
    EXPECT_EQ(m_defender->GetCurrentLife(), 960.0f);   // 75% resisted
    EXPECT_EQ(m_attacker->GetCurrentLife(), 940.0f);   // 40 back, the attack's own 50% resisted
}

TEST_F(CombatManagerAttackTest, LifeLeechReturnsAShareOfTheLifeLost)
{
    m_attacker->SetCurrentLife(500.0f);
    ParametersCombat params = MakeAttack(*m_attacker, 80.0f, ParametersCombatStyle::Direct);
    params.accumulator.AddDamage(
        std::make_unique<CombatAttributeAbsDamage_LifeLeech>(CombatAttributeType_LifeLeach, 25.0f));
    LogCapture log;
    EXPECT_TRUE(m_defender->TakeAttack(params));
    EXPECT_TRUE(log.Contains("    ^b25.000000% Life Leech return 20.000000 Life\n"));
    EXPECT_EQ(m_attacker->GetCurrentLife(), 520.0f);
}

// ---- Rag doll ------------------------------------------------------------------------

TEST_F(CombatManagerAttackTest, RagdollPushGrowsWithTheShareOfLifeTaken)
{
    ParametersCombat params = MakeAttack(*m_attacker, 100.0f, ParametersCombatStyle::Direct);
    m_defender->TakeAttack(params);
    EXPECT_FLOAT_EQ(params.ragdollEffect.speed, 0.3f);
    EXPECT_EQ(m_defender->GetRagdollData().speed, 1.0f);   // the living keep their rag doll

    m_defender->SetLifeLimit(0.0f);   // a limit never set: no push rather than an infinite one
    ParametersCombat again = MakeAttack(*m_attacker, 100.0f, ParametersCombatStyle::Direct);
    m_defender->TakeAttack(again);
    EXPECT_EQ(again.ragdollEffect.speed, 0.0f);
}

// ---- The trace -----------------------------------------------------------------------

class CombatTraceTest : public CombatManagerAttackTest {
protected:
    // A melee attack of 100 physical (a quarter pierces) and 40 fire on a defender with
    // armour, fire resistance and a shield that always blocks.
    void SetUp() override
    {
        CombatManagerAttackTest::SetUp();
        CombatTestItem* armour = Wear(*m_defender);
        armour->defenses.push_back(std::make_unique<CombatAttributeDefense_AbsorptionProtection>(
            50.0f, 20.0f, CombatAttributeRegion_FullyProtected));
        armour->defenses.push_back(std::make_unique<CombatAttributeAbsDefense>(CombatAttributeType_Fire, 25.0f));
        auto* shield = DynamicCast<WeaponArmor_Shield>(ObjectManager::Get().CreateObject("WeaponArmor_Shield"));
        shield->SetShieldValues(100.0f, 10.0f, 50.0f, 1.5f);
        m_defender->GetCombatManager().GetEquipManager().AttachItemAction(shield->GetObjectId(), EquipLocation_LeftHand);
        m_defender->SetTotalCharAttribute(CharAttributeType_DefensiveBlockRecoveryReduction, 20.0f);
    }

    ParametersCombat MakeTraceAttack()
    {
        ParametersCombat params = MakeAttack(*m_attacker, 0.0f);
        params.accumulator.AddDamage(
            std::make_unique<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, 100.0f, 25.0f, false));
        params.accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 40.0f));
        params.accumulator.ProcessDamage(*m_attacker, 0.0f, 0.0f, 0.0f, 0.0f);
        return params;
    }
};

TEST_F(CombatTraceTest, OneWholeAttackLineByLine)
{
    ParametersCombat params = MakeTraceAttack();
    LogCapture log;
    EXPECT_TRUE(m_defender->TakeAttack(params));
    const std::string defender = std::to_string(m_defender->GetObjectId());
    const std::string attacker = std::to_string(m_attacker->GetObjectId());
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%x", m_defender->GetObjectId());
    const std::vector<std::string> expected = {
        "combat\n",
        "[\n",
        "    attackerName = Records/Creatures/Attacker.dbr\n",
        "    attackerID = " + attacker + "\n",
        "    defenderName = Records/Creatures/Defender.dbr\n",
        "    defenderID = " + defender + "\n",
        "    combatType = Probability Attack\n",
        "    PTH Offensive Ability 100.000000\n",
        "    PTH Defensive Ability 0.000000\n",
        "    PTH 100.000000\n",
        "    PTH 100.000000, Rand Seed 0.961400\n",
        "    PTH Modifier Equation result 1.000000\n",
        "    Melee Block Chance 100.000000\n",
        "    Melee Block Chance Modifiers 0.000000\n",
        "    Melee Block PTH 100.000000\n",
        "    Melee Block Chance 100.000000, Random Chance (26.235231)\n",
        "    Melee Block True\n",
        "    Shield Block Reduction (Damage > Block)\n",
        "           Damage (75.000000) Result (65.000000)\n",
        "    Shield Block Reduction (Damage > Block)\n",
        "           Damage (25.000000) Result (15.000000)\n",
        "    Shield Block Reduction (Damage > Block)\n",
        "           Damage (40.000000) Result (30.000000)\n",
        "    Total Damage:  Absolute (102.500000), Over Time (0.000000)",
        "    protection = 20.000000\n",
        "    protectionAbsorption = 10.000000\n",
        "    absorption = 0.500000\n",
        "    bonus = 0.000000\n",
        "    modified protection = 20.000000\n",
        "    modified absorption = 0.500000\n",
        "^y    Damage 55.000000 to Defender " + std::string(hex) + "\n",
        "^y    Damage 15.000000 to Defender " + std::string(hex) + "\n",
        "^y    Damage 22.500000 to Defender " + std::string(hex) + "\n",
        "    ^bRacial Bonus Damage:  (0.000000)",
        "    criticalStrike = 1.000000\n",
        "    regionHit = Legs\n",
        "\n",
        "]\n",
    };
    EXPECT_EQ(log.Texts(), expected);
    EXPECT_EQ(m_defender->GetCurrentLife(), 1000.0f - 55.0f - 15.0f - 22.5f);
    EXPECT_EQ(m_defender->GetCombatManager().GetBlockRecoveryTimer(), 1200);
    // Without the game-wide record the defender has no hit effects; the bracket is closed.
    EXPECT_FALSE(m_defender->WasAbsEffectFired(CombatAttributeType_Fire));
    EXPECT_FALSE(m_defender->AreAbsEffectsArmed());
}

TEST_F(CombatTraceTest, NothingIsLoggedWhileTheChannelIsOff)
{
    gLogCombat = 0;
    ParametersCombat params = MakeTraceAttack();
    LogCapture log;
    EXPECT_TRUE(m_defender->TakeAttack(params));
    EXPECT_TRUE(log.Texts().empty());
    EXPECT_EQ(m_defender->GetCurrentLife(), 1000.0f - 55.0f - 15.0f - 22.5f);
}

TEST_F(CombatTraceTest, ShieldRestsWhileItRecovers)
{
    ParametersCombat first = MakeTraceAttack();
    m_defender->TakeAttack(first);
    m_defender->GetCombatManager().Update(1100);
    LogCapture log;
    ParametersCombat second = MakeTraceAttack();
    m_defender->TakeAttack(second);
    EXPECT_TRUE(Starting(log, "    Melee Block").empty());
    m_defender->GetCombatManager().Update(100);
    ParametersCombat third = MakeTraceAttack();
    m_defender->TakeAttack(third);
    EXPECT_EQ(Starting(log, "    Melee Block True").size(), 1u);
}

// The report of the latest attack says what took its damage away: the shield's block, the
// skills' filters, an invulnerable defender, a miss; damage taken later is not the attack's.
TEST_F(CombatTraceTest, TheReportSaysWhatTookTheBlowAway)
{
    using Outcome = CombatManager::AttackReport::Outcome;
    const CombatManager::AttackReport& report = m_defender->GetCombatManager().GetAttackReport();
    CountingFilter halves(*m_defender, [](float damage) { return damage * 0.5f; }, false);
    m_defender->AddCombatFilter(&halves);
    ParametersCombat blocked = MakeTraceAttack();
    EXPECT_TRUE(m_defender->TakeAttack(blocked));
    EXPECT_EQ(report.outcome, Outcome::Hit);
    EXPECT_TRUE(report.blocked);
    EXPECT_FLOAT_EQ(report.absorbed, 46.25f);   // half of 55 + 15 + 22.5
    EXPECT_FLOAT_EQ(report.lifeTaken, 46.25f);
    EXPECT_EQ(report.absorbedBy, 0u);           // the filter is no skill
    m_defender->ApplyDamage(10.0f, {}, CombatAttributeType_Fire);
    EXPECT_FLOAT_EQ(report.lifeTaken, 46.25f);

    // The shield recovers: the next attack is not blocked.
    ParametersCombat unblocked = MakeTraceAttack();
    EXPECT_TRUE(m_defender->TakeAttack(unblocked));
    EXPECT_FALSE(report.blocked);
    EXPECT_GT(report.lifeTaken, 46.25f);

    Invulnerable invulnerable;
    m_defender->AddCombatFilter(&invulnerable);
    ParametersCombat shielded = MakeTraceAttack();
    EXPECT_FALSE(m_defender->TakeAttack(shielded));
    EXPECT_EQ(report.outcome, Outcome::Invulnerable);
    EXPECT_EQ(report.lifeTaken, 0.0f);
    m_defender->RemoveCombatFilter(&invulnerable);

    m_defender->SetTotalCharAttribute(CharAttributeType_DodgePercent, 100.0f);
    ParametersCombat dodged = MakeTraceAttack();
    EXPECT_FALSE(m_defender->TakeAttack(dodged));
    EXPECT_EQ(report.outcome, Outcome::Missed);
    EXPECT_FALSE(report.blocked);
}
