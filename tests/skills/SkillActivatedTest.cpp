// The activated skill's executions: ranged shots and their extra targets, the melee
// strike, a projectile's hits sent on, and the damage every peer applies.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/Team.h"
#include "Game/items/Weapon.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/FxPak.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {

class TestSpell : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(TestSpell)
};
GAME_IMPLEMENT_CLASS(TestSpell, SkillActivated)

// A weapon strike that notes the percent of every attack it builds.
class TestStrike : public SkillActivatedWeapon {
    GAME_DECLARE_CLASS(TestStrike)

public:
    void CollectCombatParameters(const Character& attacker, const Character* defender, ParametersCombatStyle style,
                                 bool useAvailable, unsigned weaponId, ParametersCombat& params,
                                 float percent) override
    {
        percents.push_back(percent);
        SkillActivatedWeapon::CollectCombatParameters(attacker, defender, style, useAvailable, weaponId, params,
                                                      percent);
    }
    std::vector<float> percents;
};
GAME_IMPLEMENT_CLASS(TestStrike, SkillActivated)

// A foe whose every attack lands or misses as the test says.
class ScriptedFoe : public Monster {
    GAME_DECLARE_CLASS(ScriptedFoe)

public:
    bool TakeAttack(ParametersCombat&) override { return hits; }
    static inline bool hits = false;
};
GAME_IMPLEMENT_CLASS(ScriptedFoe, Monster)

// Counts its plays.
class CountedSound : public SoundPak {
    GAME_DECLARE_CLASS(CountedSound)

public:
    void Play(const WorldVec3&, int, bool) override { ++plays; }
    static inline int plays = 0;
};
GAME_IMPLEMENT_CLASS(CountedSound, SoundPak)

namespace {

class SkillActivatedTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        caster = Member(0.0f, kTeamMajorHuman);
        owner.parent = caster;
        owner.services = &owner;
    }
    template <class T = TestSpell>
    T* MakeSpell(const std::string& lines, const char* kind = "TestSpell")
    {
        const std::string name = "Records/Test/Spell" + std::to_string(++spells) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + kind + ",\nskillMaxLevel,3,\n" + lines);
        auto* spell = ObjectManager::Get().CreateObjectFromFile<T>(name);
        if (spell) {
            spell->SetManager(&owner);
            spell->SetSkillLevel(1);
        }
        return spell;
    }
    Character* Member(float x, uint32_t major, float z = 0.0f)
    {
        return OnTeam(major, x, z, "characterLife,1000,\n");
    }

    FakeOwner owner;
    Character* caster = nullptr;
    int spells = 0;
};

TEST_F(SkillActivatedTest, RangedShotsGoToTheTargetThenNearbyFoesThenSpreadPoints)
{
    Character* target = Member(10.0f, kTeamMajorMonster);
    Character* beside = Member(10.0f, kTeamMajorMonster, 0.5f);
    Member(10.0f, kTeamMajorMonster, 3.0f);   // too far from the aim point
    Frame();
    TestSpell* spell = MakeSpell("skillProjectileNumber,3,\n");
    ASSERT_NE(spell, nullptr);
    owner.IncHitIteration();
    const WorldVec3 aim = At(10.0f);
    ASSERT_TRUE(spell->ExecuteRangedAttack(*caster, caster->GetCoords(), target->GetObjectId(), aim, 9));
    ASSERT_EQ(owner.shots.size(), 3u);
    EXPECT_EQ(owner.shots[0].targetId, target->GetObjectId());
    EXPECT_EQ(owner.shots[1].targetId, beside->GetObjectId());
    EXPECT_EQ(owner.shots[1].point, beside->GetCoords().GetPosition());
    EXPECT_EQ(owner.shots[2].targetId, 0u);
    const Vec3 off = owner.shots[2].point - aim;
    EXPECT_LE(std::abs(off.x), 1.0f + 1e-4f);   // spread: min(100 x 0.01, 2.0)
    EXPECT_LE(std::abs(off.z), 1.0f + 1e-4f);
    EXPECT_TRUE(off.y <= 0.0f && off.y >= -0.8f);
    for (size_t i = 0; i < owner.shots.size(); ++i) {
        EXPECT_EQ(owner.shots[i].hit, i == 0 ? 1u : 0u);   // one use pays once
        EXPECT_LT(owner.shots[i].seed, 0x10000u);
        EXPECT_EQ(owner.shots[i].weaponId, 9u);
        EXPECT_EQ(owner.shots[i].skillId, spell->GetObjectId());
    }

    // A careless count is held; without services nothing is sent.
    TestSpell* flood = MakeSpell("skillProjectileNumber,100000,\n");
    owner.shots.clear();
    EXPECT_TRUE(flood->ExecuteRangedAttack(*caster, caster->GetCoords(), 0, aim, 0));
    EXPECT_EQ(owner.shots.size(), SkillProfile::kMaxProjectiles);
    owner.services = nullptr;
    EXPECT_FALSE(spell->ExecuteRangedAttack(*caster, caster->GetCoords(), 0, aim, 0));
    EXPECT_EQ(spell->GetProjectileName(), "");
}

TEST_F(SkillActivatedTest, TheMeleeStrikeTakesTheOneFoeAheadAndTheTargetComesLast)
{
    Character* ahead = Member(1.5f, kTeamMajorMonster);
    Member(-1.5f, kTeamMajorMonster);   // behind
    Frame();
    TestSpell* strike = MakeSpell("");
    ASSERT_NE(strike, nullptr);
    ASSERT_TRUE(strike->ExecuteMeleeAttack(*caster, 0, At(1.5f), 4));
    ASSERT_EQ(owner.results.size(), 1u);
    EXPECT_EQ(owner.results[0].targets, std::vector<uint32_t>{ahead->GetObjectId()});
    EXPECT_TRUE(owner.results[0].melee);
    EXPECT_EQ(owner.results[0].value, 4u);

    Character* far = Member(30.0f, kTeamMajorMonster);
    Frame();
    owner.results.clear();
    // A target out of reach is dropped; with nobody in the cone nothing is sent.
    TestSpell* wide = MakeSpell("skillTargetAngle,30,\nskillTargetNumber,2,\n");
    EXPECT_TRUE(wide->ExecuteMeleeAttack(*caster, far->GetObjectId(), At(30.0f), 0));
    EXPECT_EQ(owner.results.back().targets, std::vector<uint32_t>{ahead->GetObjectId()});
}

TEST_F(SkillActivatedTest, AProjectilesHitsGoOutOnceAndEveryPeerAppliesThem)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Spark.dbr", "Class,FxPak,\n");
    Character* foe = Member(5.0f, kTeamMajorMonster);
    Frame();
    TestSpell* spell = MakeSpell("offensivePhysicalMin,50,\noffensivePhysicalMax,50,\n"
                                 "targetFxPakName,Records/Test/Spark.dbr,\n");
    ASSERT_NE(spell, nullptr);
    ProjectileInfo info;
    info.casterId = caster->GetObjectId();
    info.launchCoords = caster->GetCoords();
    info.passOnValue = 3;
    owner.IncHitIteration();
    spell->TargetInformation(info, foe->GetCoords(), {foe->GetObjectId()});
    ASSERT_EQ(owner.results.size(), 1u);
    EXPECT_EQ(owner.GetHitIteration(), 0u);
    EXPECT_EQ(owner.results[0].value, 3u);
    EXPECT_FALSE(owner.results[0].melee);
    EXPECT_EQ(owner.results[0].coords.GetPosition(), caster->GetCoords().GetPosition());
    info.casterId = 0;   // the caster is gone: nothing more
    spell->TargetInformation(info, foe->GetCoords(), {foe->GetObjectId()});
    EXPECT_EQ(owner.results.size(), 1u);

    const float life = foe->GetCurrentLife();
    const size_t entities = World::Get().GetEntityCount();
    spell->TargetResult(*caster, {foe->GetObjectId(), 0, 12345}, caster->GetCoords(), 77, 0, false);
    EXPECT_LT(foe->GetCurrentLife(), life);
    EXPECT_EQ(World::Get().GetEntityCount(), entities + 1);   // the target effect, on the live target only
    spell->TargetResult(*caster, {}, caster->GetCoords(), 77, 0, false);
    EXPECT_EQ(World::Get().GetEntityCount(), entities + 1);
}

TEST_F(SkillActivatedTest, MeleeConesCutFromTheFrontAndRadiusAttacksReachTwentyUnits)
{
    // No angle: of three foes in the narrow cone only the engine's first is struck.
    std::vector<Character*> foes;
    for (float x : {1.0f, 1.5f, 2.0f})
        foes.push_back(Member(x, kTeamMajorMonster));
    Frame();
    std::vector<uint32_t> cone;
    gGameEngine->GetTargetsInCone(caster->GetTeam(), caster->GetCoords().GetPosition(),
                                  caster->GetCoords().GetRegionCoords().zAxis, 10.0f, 2.5f, cone, 0, false);
    ASSERT_EQ(cone.size(), 3u);
    ASSERT_TRUE(MakeSpell("")->ExecuteMeleeAttack(*caster, 0, At(1.0f), 0));
    EXPECT_EQ(owner.results.back().targets, std::vector<uint32_t>{cone[0]});

    // A wide cone of three: at most two foes, then the chosen target; of one: the target.
    Character* target = Member(1.2f, kTeamMajorMonster, 0.5f);
    Frame();
    TestSpell* wide = MakeSpell("skillTargetAngle,90,\nskillTargetNumber,3,\n");
    ASSERT_TRUE(wide->ExecuteMeleeAttack(*caster, target->GetObjectId(), At(1.0f), 0));
    const std::vector<uint32_t>& sent = owner.results.back().targets;
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent.back(), target->GetObjectId());
    EXPECT_EQ(std::count(sent.begin(), sent.end(), target->GetObjectId()), 1);
    TestSpell* single = MakeSpell("skillTargetAngle,90,\nskillTargetNumber,1,\n");
    ASSERT_TRUE(single->ExecuteMeleeAttack(*caster, target->GetObjectId(), At(1.0f), 0));
    EXPECT_EQ(owner.results.back().targets, std::vector<uint32_t>{target->GetObjectId()});

    // A point 20 units off gathers nobody around it: only the chosen target is struck.
    Character* distant = Member(25.0f, kTeamMajorMonster);
    Frame();
    TestSpell* blast = MakeSpell("skillTargetRadius,5,\n");
    ASSERT_TRUE(blast->ExecuteRadiusAttack(*caster, target->GetObjectId(), At(25.0f)));
    EXPECT_EQ(owner.results.back().targets, std::vector<uint32_t>{target->GetObjectId()});
    EXPECT_FALSE(owner.results.back().melee);
    const size_t sentCount = owner.results.size();
    EXPECT_FALSE(MakeSpell("")->ExecuteRadiusAttack(*caster, 0, At(2.0f)));   // radius 0, no target
    EXPECT_FALSE(blast->ExecuteRadiusAttack(*caster, 0, distant->GetCoords().GetPosition()));
    EXPECT_EQ(owner.results.size(), sentCount);
}

TEST_F(SkillActivatedTest, MeleeDamageSharesOutAndSoundsOnlyOnALandedBlow)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Clang.dbr", "Class,CountedSound,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Sword.dbr",
                                         "Class,WeaponMelee_Sword,\nhitSound,Records/Test/Clang.dbr,\n");
    auto* sword = ObjectManager::Get().CreateObjectFromFile<Weapon>("Records/Test/Sword.dbr");
    ASSERT_NE(sword, nullptr);
    std::vector<uint32_t> ids;
    for (float x : {1.0f, 1.5f, 2.0f})
        ids.push_back(OnTeam(kTeamMajorMonster, x, 0.0f, "characterLife,1000,\n", "ScriptedFoe")->GetObjectId());
    Frame();
    auto* strike = MakeSpell<TestStrike>("", "TestStrike");
    ASSERT_NE(strike, nullptr);
    strike->ApplyMeleeDamageInherent(*caster, ids, caster->GetCoords(), 5);
    EXPECT_EQ(strike->percents, std::vector<float>(3, 33.0f));

    CountedSound::plays = 0;
    ScriptedFoe::hits = false;
    strike->ApplyMeleeDamage(*caster, ids, caster->GetCoords(), 5, sword->GetObjectId());
    EXPECT_EQ(CountedSound::plays, 0);   // every blow missed
    ScriptedFoe::hits = true;
    strike->ApplyMeleeDamage(*caster, ids, caster->GetCoords(), 5, sword->GetObjectId());
    EXPECT_EQ(CountedSound::plays, 1);   // once per call, however many land
}

TEST_F(SkillActivatedTest, APlayerTurnsForATargetFarAsideAndAMonsterDoesNot)
{
    RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    Character* player = OnTeam(kTeamMajorHuman, 0.0f, 0.0f, "", "Player");
    Frame();
    auto* strike = MakeSpell<TestStrike>("", "TestStrike");
    ASSERT_NE(strike, nullptr);
    // Facing +x; 50 degrees toward +z, then 30 degrees.
    const WorldVec3 aside = At(5.0f * std::cos(0.8727f), 5.0f * std::sin(0.8727f));
    const AnimationSet_Type turn = strike->ChooseAttackAnimation(*player, 0, aside);
    EXPECT_TRUE(turn == AnimationSet_AttTurnLeft90 || turn == AnimationSet_AttTurnRight90);
    EXPECT_TRUE(player->IsRotatingTowardsTarget());
    EXPECT_EQ(strike->ChooseAttackAnimation(*player, 0, At(5.0f, 2.0f)), AnimationSet_Attack);
    EXPECT_EQ(strike->ChooseAttackAnimation(*caster, 0, aside), AnimationSet_Attack);
    EXPECT_FALSE(caster->IsRotatingTowardsTarget());
}

// A player whose animations have no turning attack still strikes at a target far aside:
// it turns and plays its plain attack.
TEST_F(SkillActivatedTest, AWeaponUseStartsWithoutATurningAttackAnimation)
{
    RecordDatabase::Get().RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    RecordDatabase::Get().RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    Character* player = OnTeam(kTeamMajorHuman, 0.0f, 0.0f, kBareHands, "Player");
    Frame();
    auto* strike = MakeSpell<TestStrike>("", "TestStrike");
    ASSERT_NE(strike, nullptr);
    ASSERT_NE(player->GetAnimationSet(), nullptr);
    ASSERT_FALSE(player->GetAnimationSet()->DoesAnimationExist(AnimationSet_AttTurnLeft90));
    const WorldVec3 aside = At(5.0f * std::cos(0.8727f), 5.0f * std::sin(0.8727f));
    EXPECT_TRUE(strike->StartAction(*player, 0, aside, 7, TargetLeadingData{}));
    EXPECT_TRUE(player->IsRotatingTowardsTarget());
    EXPECT_EQ(player->GetAnimationSet()->GetCurrentType(), AnimationSet_Attack);
}

TEST_F(SkillActivatedTest, AShakeOfAtMostATenthOfAMillisecondSendsNoEvent)
{
    std::vector<float> shakes;
    EventManager::Get().SetSendObserver([&](const GameEvent& event, const Name& name) {
        if (name == Name("GameEvent_CameraShake"))
            shakes.push_back(static_cast<const GameEvent_CameraShake&>(event).durationMs);
    });
    MakeSpell("cameraShakeDurationSecs,0.0001,\n")->CameraShake();
    MakeSpell("cameraShakeDurationSecs,0.25,\ncameraShakeAmplitude,2,\n")->CameraShake();
    EventManager::Get().SetSendObserver(nullptr);
    EXPECT_EQ(shakes, std::vector<float>{250.0f});
}

}  // namespace
}  // namespace GAME
