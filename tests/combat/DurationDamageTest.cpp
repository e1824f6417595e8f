#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "CombatTestCharacter.h"
#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/DurationDamageManager.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

// A combat character that journals the effects shown on it and the speed updates.
class DotTestCharacter : public CombatTestCharacter {
    GAME_DECLARE_CLASS(DotTestCharacter)

public:
    void StartDamageEffect(CombatAttributeType t) override { Note("start damage ", t), Character::StartDamageEffect(t); }
    void StopDamageEffect(CombatAttributeType t) override { Note("stop damage ", t), Character::StopDamageEffect(t); }
    void StartInvoluntaryEffect(CombatAttributeType t) override
    {
        Note("start involuntary ", t), Character::StartInvoluntaryEffect(t);
    }
    void StopInvoluntaryEffect(CombatAttributeType t) override
    {
        Note("stop involuntary ", t), Character::StopInvoluntaryEffect(t);
    }
    void ForceSpeedUpdate() override { ++speedUpdates; }
    void Note(const char* what, CombatAttributeType type) { journal.push_back(what + std::to_string(type)); }

    std::vector<std::string> journal;
    int speedUpdates = 0;
};

GAME_IMPLEMENT_CLASS(DotTestCharacter, CombatTestCharacter)

}  // namespace GAME

using namespace GAME;

namespace {

using Journal = std::vector<std::string>;

class DurationDamageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        defender = DynamicCast<DotTestCharacter>(ObjectManager::Get().CreateObject("DotTestCharacter"));
        defender->SetLifeLimit(1000.0f);
        defender->SetCurrentLife(1000.0f);
        attacker = MakeCombatCharacter(1, 100.0f);
        attacker->SetCurrentLife(10.0f);
    }
    void TearDown() override { ObjectManager::Get().DestroyAllObjects(); }

    DurationDamageManager& Dot() { return defender->GetDurationDamageMgr(); }
    float Life() const { return defender->GetCurrentLife(); }

    // One attack by `attackerId` that adds damage over time.
    void Poison(uint32_t attackerId, float perSecond, float seconds)
    {
        Dot().SetAttacker(attackerId);
        Dot().AddDamage(CombatAttributeType_Poison, perSecond, seconds);
        Dot().EndAttack();
    }
    void Fixed(CombatAttributeType type, float level, float seconds)
    {
        Dot().AddFixedDamage(type, level, seconds);
        Dot().EndAttack();
    }
    std::vector<float> Ticks(size_t track = 0) const
    {
        auto ticks = defender->GetDurationDamageMgr().GetDurationDamageTracks().at(track).GetActiveTicks();
        return {ticks.begin(), ticks.end()};
    }

    DotTestCharacter* defender = nullptr;
    CombatTestCharacter* attacker = nullptr;
};

}  // namespace

// ---- The tick clock -----------------------------------------------------------------

TEST_F(DurationDamageTest, TickNeedsStrictlyMoreThanOneHundredMilliseconds)
{
    Poison(0, 50.0f, 2.0f);   // 20 ticks of 5
    EXPECT_EQ(Ticks(), std::vector<float>(20, 5.0f));

    for (int frame = 1; frame <= 3; ++frame)
        Dot().Update(30);
    EXPECT_EQ(Life(), 1000.0f);
    Dot().Update(30);   // 120 ms
    EXPECT_EQ(Life(), 995.0f);
    EXPECT_EQ(Dot().GetDurationDamageTracks()[0].GetElapsedMs(), 20);

    Dot().Update(80);   // carried 20 + 80: exactly 100 is no tick yet
    EXPECT_EQ(Life(), 995.0f);
    Dot().Update(250);   // 350: three ticks at once, 50 carried
    EXPECT_EQ(Life(), 980.0f);
    EXPECT_EQ(Dot().GetDurationDamageTracks()[0].GetElapsedMs(), 50);
    EXPECT_EQ(Ticks().size(), 16u);
}

// Updates in which no tick can fall due leave the tracks alone and count their time;
// the clocks read, and those of tracks made meanwhile, are as if every update ran them.
TEST_F(DurationDamageTest, ClocksOfQuietUpdatesAreAddedBeforeTheyAreReadOrATrackIsMade)
{
    const auto elapsed = [this](size_t track) { return Dot().GetDurationDamageTracks().at(track).GetElapsedMs(); };
    Poison(1, 50.0f, 2.0f);
    Dot().Update(30);
    Dot().Update(30);
    EXPECT_EQ(elapsed(0), 60);
    Dot().Update(20);
    Poison(2, 50.0f, 2.0f);   // its clock starts at 0
    Dot().Update(10);
    EXPECT_EQ(elapsed(0), 90);
    EXPECT_EQ(elapsed(1), 10);
    Dot().Update(15);   // 105: the first track's tick
    EXPECT_EQ(Life(), 995.0f);
    EXPECT_EQ(Dot().GetDurationDamageTracks()[0].GetTicksDue(), 1);
    Dot().Update(0);   // takes the due ticks back to none
    EXPECT_EQ(Dot().GetDurationDamageTracks()[0].GetTicksDue(), 0);
    Dot().Update(80);   // 85 and 105: the second track's tick
    EXPECT_EQ(Life(), 990.0f);
    EXPECT_EQ(elapsed(0), 85);
    EXPECT_EQ(elapsed(1), 5);

    Dot().Update(10);
    Dot().Clear();
    Poison(3, 50.0f, 2.0f);
    Dot().Update(100);   // exactly one tick: none yet
    EXPECT_EQ(elapsed(0), 100);
    Dot().Update(1);
    EXPECT_EQ(Life(), 985.0f);
}

// ---- Merging ------------------------------------------------------------------------

TEST_F(DurationDamageTest, OneAttackerMergesPerTickStrongerAndLonger)
{
    Poison(7, 50.0f, 2.0f);
    Dot().Update(1001);   // ten ticks at once
    EXPECT_EQ(Life(), 950.0f);

    Poison(7, 30.0f, 4.0f);
    std::vector<float> expected(10, 5.0f);
    expected.resize(40, 3.0f);
    EXPECT_EQ(Dot().GetDurationDamageTracks().size(), 1u);
    EXPECT_EQ(Ticks(), expected);
}

TEST_F(DurationDamageTest, AdditionsWithinOneAttackSumTickByTick)
{
    Dot().AddDamage(CombatAttributeType_Fire, 10.0f, 1.0f);   // base
    Dot().AddDamage(CombatAttributeType_Fire, 20.0f, 0.5f);   // prefix
    Dot().AddDamage(CombatAttributeType_Fire, 30.0f, 0.2f);   // suffix
    EXPECT_EQ(Dot().GetDurationDamageTracks()[0].GetPendingTicks().size(), 10u);
    Dot().EndAttack();
    EXPECT_EQ(Ticks(), (std::vector<float>{6, 6, 3, 3, 3, 1, 1, 1, 1, 1}));
    EXPECT_TRUE(Dot().GetDurationDamageTracks()[0].GetPendingTicks().empty());
}

TEST_F(DurationDamageTest, TwoAttackersRunTwoTracks)
{
    const uint32_t other = 0x0FFFFF00;   // above the ids the object counter reaches: never the attacker's
    Poison(attacker->GetObjectId(), 50.0f, 1.0f);
    Poison(other, 20.0f, 2.0f);
    ASSERT_EQ(Dot().GetDurationDamageTracks().size(), 2u);

    Dot().Update(101);
    EXPECT_EQ(Life(), 993.0f);   // 5 + 2
    EXPECT_EQ(defender->GetCombatManager().GetAttackerId(), other);   // the last track applied

    Dot().Update(1000);   // the first runs out
    EXPECT_EQ(Dot().GetDurationDamageTracks().size(), 1u);
    EXPECT_TRUE(Dot().IsPoisoned());
    Dot().Update(1000);
    EXPECT_FALSE(Dot().IsPoisoned());
    EXPECT_EQ(Life(), 1000.0f - 50.0f - 40.0f);
}

TEST_F(DurationDamageTest, InvincibleAndEmptyAdditionsAreIgnored)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Dot().AddDamage(CombatAttributeType_Fire, 0.0f, 2.0f);
    Dot().AddDamage(CombatAttributeType_Fire, 10.0f, -1.0f);
    Dot().AddDamage(CombatAttributeType_Fire, nan, 2.0f);
    Dot().AddDamage(CombatAttributeType_Fire, 10.0f, nan);
    Dot().AddFixedDamage(CombatAttributeType_Stun, -1.0f, 2.0f);
    defender->SetInvincible(true);
    Dot().AddDamage(CombatAttributeType_Fire, 10.0f, 2.0f);
    Dot().AddFixedDamage(CombatAttributeType_Stun, 1.0f, 2.0f);
    EXPECT_TRUE(Dot().GetDurationDamageTracks().empty());
    EXPECT_TRUE(Dot().GetFixedDurationDamageTracks().empty());
    EXPECT_TRUE(defender->journal.empty());
}

TEST_F(DurationDamageTest, HugeDurationsAreHeldToOneHour)
{
    Dot().AddDamage(CombatAttributeType_Fire, 10.0f, std::numeric_limits<float>::infinity());
    Dot().AddFixedDamage(CombatAttributeType_RunSpeed, 10.0f, 1e30f);
    Dot().EndAttack();
    EXPECT_EQ(Ticks().size(), 36000u);
    EXPECT_EQ(Dot().GetFixedDurationDamageTracks()[0].GetActiveTicks().size(), 36000u);
}

// Every track may hold an hour; the manager holds two hours of ticks in all, and what
// comes past that is cut.
TEST_F(DurationDamageTest, TicksHeldInAllAreCapped)
{
    const float hour = 3600.0f;
    for (uint32_t attackerId = 1; attackerId <= 3; ++attackerId)
        Poison(attackerId, 10.0f, hour);
    EXPECT_EQ(Dot().GetHeldTicks(), 72000u);
    EXPECT_EQ(Ticks(2).size(), 0u);   // the third attacker's track found no room
    Fixed(CombatAttributeType_Stun, 1.0f, 5.0f);
    EXPECT_EQ(Dot().GetHeldTicks(), 72000u);

    Dot().Clear();
    Poison(1, 10.0f, hour);
    LogCapture log;
    std::vector<DurationDamageReplication> records;
    for (uint32_t attackerId = 2; attackerId <= 4; ++attackerId)
        records.push_back({CombatAttributeType_Poison, attackerId, {{5.0f, 20000.0f}, {3.0f, 20000.0f}}});
    Dot().SetDamageReplica(records);
    EXPECT_EQ(Dot().GetHeldTicks(), 72000u);
    EXPECT_TRUE(log.Contains("DurationDamageManager: replicated ticks past the 72000 a character holds are dropped"));
    EXPECT_EQ(Ticks(1).size(), 36000u);
    EXPECT_EQ(Ticks(2).size(), 0u);
}

// ---- Fixed levels -------------------------------------------------------------------

TEST_F(DurationDamageTest, SlowHoldsItsLevelAndFlagsTheSpeedWhenItChanges)
{
    Fixed(CombatAttributeType_RunSpeed, 30.0f, 3.0f);
    EXPECT_EQ(Dot().GetFixedDamage(CombatAttributeType_RunSpeed), 30.0f);
    EXPECT_EQ(Dot().GetFixedDamage(CombatAttributeType_AttackSpeed), 0.0f);

    Dot().Update(33);
    EXPECT_TRUE(Dot().GetSpeedUpdate());
    EXPECT_EQ(defender->speedUpdates, 1);
    Dot().Update(33);
    EXPECT_FALSE(Dot().GetSpeedUpdate());
    EXPECT_EQ(Life(), 1000.0f);   // a level is never applied as damage

    Dot().Update(2900);   // 2966 ms: one tick left
    EXPECT_EQ(Dot().GetFixedDamage(CombatAttributeType_RunSpeed), 30.0f);
    EXPECT_EQ(defender->speedUpdates, 1);
    Dot().Update(101);
    EXPECT_EQ(Dot().GetFixedDamage(CombatAttributeType_RunSpeed), 0.0f);
    Dot().Update(33);
    EXPECT_TRUE(Dot().GetSpeedUpdate());
    EXPECT_EQ(defender->speedUpdates, 2);

    defender->GetSkillManager().SetSpeedUpdateNeeded(true);   // a skill's own speed change
    Dot().Update(33);
    EXPECT_EQ(defender->speedUpdates, 3);
}

TEST_F(DurationDamageTest, SpellCastSlowForcesTheSpeedUpdateToo)
{
    Fixed(CombatAttributeType_SpellCastSpeed, 40.0f, 0.2f);
    Dot().Update(33);
    EXPECT_TRUE(Dot().GetSpeedUpdate());
    EXPECT_EQ(defender->speedUpdates, 1);
    EXPECT_EQ(defender->GetCombatManager().ContributeSpellCastSpeed(10.0f), 6.0f);
    Dot().Update(300);   // runs out
    Dot().Update(33);
    EXPECT_EQ(defender->GetCombatManager().ContributeSpellCastSpeed(10.0f), 10.0f);
    EXPECT_EQ(defender->speedUpdates, 2);
}

TEST_F(DurationDamageTest, StrongestLevelFromAnyAttackerWinsTickByTick)
{
    Dot().SetAttacker(1);
    Fixed(CombatAttributeType_RunSpeed, 20.0f, 5.0f);
    Dot().SetAttacker(2);
    Fixed(CombatAttributeType_RunSpeed, 50.0f, 1.0f);
    ASSERT_EQ(Dot().GetFixedDurationDamageTracks().size(), 1u);
    EXPECT_EQ(Dot().GetFixedDamage(CombatAttributeType_RunSpeed), 50.0f);
    Dot().Update(1001);
    EXPECT_EQ(Dot().GetFixedDamage(CombatAttributeType_RunSpeed), 20.0f);
}

// ---- Effects ------------------------------------------------------------------------

TEST_F(DurationDamageTest, DamageEffectsStartWithTheFirstTrackAndStopTheFrameAfterTheLast)
{
    Poison(1, 50.0f, 0.2f);
    EXPECT_EQ(defender->journal, (Journal{"start damage 7"}));
    Poison(2, 50.0f, 0.1f);   // the effect is already shown
    Fixed(CombatAttributeType_AttackSpeed, 10.0f, 0.1f);
    EXPECT_EQ(defender->journal.size(), 1u);

    Dot().Update(101);   // the fixed track's effect starts at the update
    EXPECT_EQ(defender->journal, (Journal{"start damage 7", "start damage 15"}));
    Dot().Update(101);   // the slow ran out last frame; the last poison tick is applied
    EXPECT_TRUE(Dot().GetDurationDamageTracks().empty());
    EXPECT_EQ(defender->journal, (Journal{"start damage 7", "start damage 15", "stop damage 15"}));
    Dot().Update(10);
    EXPECT_EQ(defender->journal, (Journal{"start damage 7", "start damage 15", "stop damage 15", "stop damage 7"}));
    // The ticks ask for a crumple; a living defender keeps its rag doll.
    EXPECT_EQ(defender->GetRagdollData().effect, CharacterRagDoll::Random);
}

// The effects are walked again only when a track came or went: each change shows at the
// next update, after frames in which nothing changed.
TEST_F(DurationDamageTest, EffectsFollowTracksThatComeAndGoBetweenQuietFrames)
{
    const auto line = [](const char* what, CombatAttributeType type) { return what + std::to_string(type); };
    const std::string poison = line("start damage ", CombatAttributeType_Poison);
    Poison(1, 50.0f, 0.5f);
    Dot().Update(10);
    Dot().Update(10);
    EXPECT_EQ(defender->journal, (Journal{poison}));

    // A replicated track adds no effect by itself: its type is seen at the next update.
    Dot().AddDamageReplication(CombatAttributeType_Fire, 2, {{5.0f, 20.0f}});
    Dot().Update(10);
    Dot().Update(10);
    const std::string fire = line("start damage ", CombatAttributeType_Fire);
    EXPECT_EQ(defender->journal, (Journal{poison, fire}));

    Dot().Update(600);   // the poison runs out, the fire goes on
    ASSERT_EQ(Dot().GetDurationDamageTracks().size(), 1u);
    Dot().Update(10);
    Dot().Update(10);
    EXPECT_EQ(defender->journal, (Journal{poison, fire, line("stop damage ", CombatAttributeType_Poison)}));
}

TEST_F(DurationDamageTest, ImmobilizeBeatsPetrifyBeatsFreezeBeatsTrapBeatsStun)
{
    Fixed(CombatAttributeType_Stun, 1.0f, 2.0f);
    Fixed(CombatAttributeType_Freeze, 1.0f, 1.0f);
    Dot().Update(10);
    EXPECT_EQ(Dot().GetInvoluntaryEffect(), CombatAttributeType_Freeze);
    EXPECT_EQ(defender->GetInvoluntaryEffect(), CombatAttributeType_Freeze);

    Dot().Update(1001);   // the freeze runs out, the stun goes on
    Dot().Update(10);
    EXPECT_EQ(defender->GetInvoluntaryEffect(), CombatAttributeType_Stun);

    Fixed(CombatAttributeType_Trap, 1.0f, 1.0f);
    Fixed(CombatAttributeType_Immobilize, 1.0f, 1.0f);
    Fixed(CombatAttributeType_Petrify, 1.0f, 1.0f);
    Dot().Update(10);
    EXPECT_EQ(defender->GetInvoluntaryEffect(), CombatAttributeType_Immobilize);
    Dot().Update(2000);
    Dot().Update(10);
    EXPECT_EQ(defender->GetInvoluntaryEffect(), CombatAttributeType_Unknown);

    Journal involuntary;
    for (const std::string& line : defender->journal)
        if (line.find("involuntary") != std::string::npos)
            involuntary.push_back(line);
    EXPECT_EQ(involuntary, (Journal{"stop involuntary 0", "start involuntary 36", "stop involuntary 36",
                                    "start involuntary 34", "stop involuntary 34", "start involuntary 38",
                                    "stop involuntary 38", "start involuntary 0"}));
}

TEST_F(DurationDamageTest, DelayedClearDropsTracksAfterAQuarterSecondThenStopsEffects)
{
    Poison(0, 1.0f, 60.0f);
    Fixed(CombatAttributeType_Stun, 1.0f, 60.0f);
    Dot().Update(10);
    Dot().DelayedClearHack();
    Dot().Update(100);
    EXPECT_FALSE(Dot().GetDurationDamageTracks().empty());
    Dot().Update(150);   // 250 ms: cleared
    EXPECT_TRUE(Dot().GetDurationDamageTracks().empty());
    EXPECT_TRUE(Dot().GetFixedDurationDamageTracks().empty());
    EXPECT_EQ(defender->GetInvoluntaryEffect(), CombatAttributeType_Stun);
    Dot().Update(10);
    EXPECT_EQ(defender->GetInvoluntaryEffect(), CombatAttributeType_Unknown);
    EXPECT_FALSE(defender->IsDamageEffectShown(CombatAttributeType_Poison));
    EXPECT_FALSE(defender->IsDamageEffectShown(CombatAttributeType_Stun));
}

// ---- Leech over time ----------------------------------------------------------------

TEST_F(DurationDamageTest, LeechOverTimeReturnsNoMoreThanTheDefenderHad)
{
    defender->SetCurrentLife(3.0f);
    defender->SetCurrentMana(2.0f);
    attacker->SetTotalCharAttribute(CharAttributeType_Mana, 100.0f);   // room for the mana leeched
    attacker->SetCurrentMana(1.0f);
    Dot().SetAttacker(attacker->GetObjectId());
    Dot().AddDamage(CombatAttributeType_LifeLeach, 50.0f, 1.0f);
    Dot().AddDamage(CombatAttributeType_ManaLeach, 50.0f, 1.0f);
    Dot().EndAttack();
    Dot().Update(101);   // ticks of 5 each
    EXPECT_EQ(Life(), 0.0f);
    EXPECT_EQ(attacker->GetCurrentLife(), 13.0f);
    EXPECT_EQ(defender->GetCharacterBio().GetManaDrainPool(), 5.0f);   // it leaves over time
    EXPECT_EQ(attacker->GetCurrentMana(), 3.0f);
}

// ---- Replication --------------------------------------------------------------------

namespace {

std::vector<uint8_t> Frame(const std::vector<DurationDamageReplication>& damage,
                           const std::vector<FixedDurationDamageReplication>& fixedDamage)
{
    std::vector<uint8_t> bytes;
    WriteDurationDamageReplicas(bytes, damage, fixedDamage);
    return bytes;
}

// Reads a whole frame; true only when it was accepted and used every byte.
bool ReadFrame(const std::vector<uint8_t>& bytes, std::vector<DurationDamageReplication>& damage,
               std::vector<FixedDurationDamageReplication>& fixedDamage)
{
    const uint8_t* cursor = bytes.data();
    const uint8_t* end = bytes.data() + bytes.size();
    return ReadDurationDamageReplicas(cursor, end, damage, fixedDamage) && cursor == end;
}

void PutWord(std::vector<uint8_t>& bytes, size_t offset, uint32_t word) { std::memcpy(&bytes[offset], &word, 4); }

}  // namespace

TEST_F(DurationDamageTest, ReplicaRunsOfEqualTicks)
{
    Dot().SetAttacker(4);
    Dot().AddDamage(CombatAttributeType_Bleeding, 30.0f, 0.3f);   // 3 3 3
    Dot().AddDamage(CombatAttributeType_Bleeding, 20.0f, 0.2f);   // 5 5 3
    Dot().EndAttack();
    std::vector<DurationDamageReplication> replica;
    Dot().GetDamageReplica(replica);
    EXPECT_EQ(replica, (std::vector<DurationDamageReplication>{{CombatAttributeType_Bleeding, 4, {{5, 2}, {3, 1}}}}));

    DotTestCharacter* other = DynamicCast<DotTestCharacter>(ObjectManager::Get().CreateObject("DotTestCharacter"));
    other->GetDurationDamageMgr().SetDamageReplica({{CombatAttributeType_Poison, 9, {{5, 20}}}});
    other->GetDurationDamageMgr().SetFixedDamageReplica({{CombatAttributeType_Freeze, {{1, 3}}}});
    const auto& tracks = other->GetDurationDamageMgr().GetDurationDamageTracks();
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].GetAttacker(), 9u);
    EXPECT_EQ(std::vector<float>(tracks[0].GetActiveTicks().begin(), tracks[0].GetActiveTicks().end()),
              std::vector<float>(20, 5.0f));
    EXPECT_EQ(other->GetDurationDamageMgr().GetFixedDamage(CombatAttributeType_Freeze), 1.0f);
    EXPECT_TRUE(other->journal.empty());   // effects start with the next update
    other->GetDurationDamageMgr().Update(10);
    EXPECT_EQ(other->GetInvoluntaryEffect(), CombatAttributeType_Freeze);
    EXPECT_TRUE(other->IsDamageEffectShown(CombatAttributeType_Poison));
}

TEST_F(DurationDamageTest, ReplicaGoldenBytesAndRoundTrip)
{
    const std::vector<uint8_t> bytes = Frame({{CombatAttributeType_Poison, 0x01020304, {{5.0f, 2.0f}}}},
                                             {{CombatAttributeType_RunSpeed, {}}});
    const std::vector<uint8_t> golden = {
        1,                        // one ordinary record
        7, 0, 0, 0,               // type Poison
        4, 3, 2, 1,               // attacker id
        1, 0, 0, 0,               // one run
        0x00, 0x00, 0xa0, 0x40,   // value 5.0
        0x00, 0x00, 0x00, 0x40,   // two ticks
        1,                        // one fixed record
        17, 0, 0, 0,              // type RunSpeed
        0, 0, 0, 0,               // no runs
    };
    EXPECT_EQ(bytes, golden);

    Poison(3, 50.0f, 1.0f);
    Poison(5, 10.0f, 0.5f);
    Fixed(CombatAttributeType_Stun, 1.0f, 2.0f);
    std::vector<DurationDamageReplication> damage;
    std::vector<FixedDurationDamageReplication> fixedDamage;
    Dot().GetDamageReplica(damage);
    Dot().GetFixedDamageReplica(fixedDamage);
    std::vector<DurationDamageReplication> damageIn;
    std::vector<FixedDurationDamageReplication> fixedIn;
    ASSERT_TRUE(ReadFrame(Frame(damage, fixedDamage), damageIn, fixedIn));
    EXPECT_EQ(damageIn, damage);
    EXPECT_EQ(fixedIn, fixedDamage);
}

TEST_F(DurationDamageTest, MalformedReplicaIsRejectedWhole)
{
    const std::vector<uint8_t> good = Frame({{CombatAttributeType_Poison, 3, {{5.0f, 2.0f}, {3.0f, 1.0f}}}},
                                            {{CombatAttributeType_Stun, {{1.0f, 20.0f}}}});
    auto rejected = [](const std::vector<uint8_t>& bytes) {
        LogCapture log;
        std::vector<DurationDamageReplication> damage(1);
        std::vector<FixedDurationDamageReplication> fixedDamage;
        const uint8_t* cursor = bytes.data();
        const bool ok = ReadDurationDamageReplicas(cursor, bytes.data() + bytes.size(), damage, fixedDamage);
        // Nothing half read: the cursor and what the caller held stay as they were.
        return !ok && cursor == bytes.data() && damage.size() == 1 && damage[0].infos.empty() && fixedDamage.empty() &&
               log.Texts().size() == 1;
    };

    for (size_t length = 0; length < good.size(); ++length)
        EXPECT_TRUE(rejected({good.begin(), good.begin() + static_cast<ptrdiff_t>(length)})) << length;

    struct Case {
        const char* what;
        size_t offset;
        uint32_t word;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {"negative count", 9, 0xffffffffu},
        {"huge count", 9, 0x7fffffffu},
        {"count beyond the data", 9, 5},
        {"NaN value", 13, std::bit_cast<uint32_t>(nan)},
        {"zero value", 13, 0},
        {"negative value", 13, std::bit_cast<uint32_t>(-5.0f)},
        {"NaN tick count", 17, std::bit_cast<uint32_t>(nan)},
        {"negative tick count", 17, std::bit_cast<uint32_t>(-2.0f)},
        {"more ticks than a track holds", 17, std::bit_cast<uint32_t>(36001.0f)},
        {"ordinary type 47", 1, 47},
        {"fixed type 47", 30, 47},
        {"fixed count negative", 34, 0x80000000u},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        PutWord(bytes, c.offset, c.word);
        EXPECT_TRUE(rejected(bytes)) << c.what;
    }

    LogCapture log;
    std::vector<uint8_t> bytes = good;
    PutWord(bytes, 1, 47);
    std::vector<DurationDamageReplication> damage;
    std::vector<FixedDurationDamageReplication> fixedDamage;
    EXPECT_FALSE(ReadFrame(bytes, damage, fixedDamage));
    EXPECT_TRUE(log.Contains("DurationDamageReplication: type 47 is not a combat attribute type"));
}

// 255 records of an hour each fit the framing (5,102 bytes) but not a character.
TEST_F(DurationDamageTest, FrameWithMoreTicksThanACharacterHoldsIsRefused)
{
    std::vector<DurationDamageReplication> hours;
    for (uint32_t attackerId = 1; attackerId <= 255; ++attackerId)
        hours.push_back({CombatAttributeType_Poison, attackerId, {{1.0f, 36000.0f}}});
    const std::vector<uint8_t> bytes = Frame(hours, {});
    EXPECT_EQ(bytes.size(), 5102u);
    LogCapture log;
    std::vector<DurationDamageReplication> damage;
    std::vector<FixedDurationDamageReplication> fixedDamage;
    EXPECT_FALSE(ReadFrame(bytes, damage, fixedDamage));
    EXPECT_TRUE(damage.empty());
    EXPECT_TRUE(log.Contains("DurationDamageReplication: 9180000 ticks in one frame, more than the 72000 a "
                             "character holds"));

    // Exactly what a character holds, split over both kinds, is accepted.
    const std::vector<uint8_t> full = Frame({{CombatAttributeType_Poison, 1, {{1.0f, 36000.0f}}}},
                                            {{CombatAttributeType_Stun, {{1.0f, 30000.0f}, {2.0f, 6000.0f}}}});
    EXPECT_TRUE(ReadFrame(full, damage, fixedDamage));
    Dot().SetDamageReplica(damage);
    Dot().SetFixedDamageReplica(fixedDamage);
    EXPECT_EQ(Dot().GetHeldTicks(), 72000u);
}

TEST_F(DurationDamageTest, AtMost255RecordsOfEachKindAreFramed)
{
    std::vector<DurationDamageReplication> many;
    for (uint32_t attackerId = 1; attackerId <= 300; ++attackerId)
        many.push_back({CombatAttributeType_Poison, attackerId, {{1.0f, 1.0f}}});
    LogCapture log;
    const std::vector<uint8_t> bytes = Frame(many, {});
    EXPECT_TRUE(log.Contains("DurationDamageReplication: 300 records, only the first 255 are sent"));
    EXPECT_EQ(bytes.front(), 255);

    std::vector<DurationDamageReplication> damage;
    std::vector<FixedDurationDamageReplication> fixedDamage;
    ASSERT_TRUE(ReadFrame(bytes, damage, fixedDamage));
    ASSERT_EQ(damage.size(), 255u);
    EXPECT_EQ(damage.back().attacker, 255u);
    EXPECT_TRUE(fixedDamage.empty());
}
