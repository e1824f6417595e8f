// The activated skill's executions: ranged shots and their extra targets, the melee
// strike, a projectile's hits sent on, and the damage every peer applies.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Game/core/Team.h"
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
    TestSpell* MakeSpell(const std::string& lines)
    {
        const std::string name = "Records/Test/Spell" + std::to_string(++spells) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, "Class,TestSpell,\nskillMaxLevel,3,\n" + lines);
        auto* spell = ObjectManager::Get().CreateObjectFromFile<TestSpell>(name);
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

}  // namespace
}  // namespace GAME
