// The weapon attacks (plain, charged, ranged spread) and the radius attacks (the
// expanding ring, the lightning strike) on real skills driven by a recording owner.
#include <gtest/gtest.h>

#include <cmath>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Engine.h"
#include "Game/combat/CharAttribute.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/Team.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/Skill_AttackRadius.h"
#include "Game/skills/Skill_AttackWeapon.h"
#include "Game/skills/Skill_Passives.h"
#include "Game/world/Lightning.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {

// Counts the blows it takes; takes no damage.
class BlowCounter : public Monster {
    GAME_DECLARE_CLASS(BlowCounter)
public:
    bool TakeAttack(ParametersCombat&) override { return ++blows, true; }
    int blows = 0;
};
GAME_IMPLEMENT_CLASS(BlowCounter, Monster)

namespace {

// Hands each active state and target result straight back, as every peer receives them.
class EchoOwner : public FakeOwner {
public:
    void SendSkillActiveUpdate(uint32_t id, const SkillActiveState& state) override
    {
        if (auto* skill = ObjectManager::Get().GetObject<Skill>(id); skill && parent)
            skill->ReceiveActiveUpdate(*parent, state, false);
    }
    void SendTargetResult(uint32_t id, const std::vector<uint32_t>& targets, const WorldCoords& coords, uint32_t seed,
                          uint32_t value, bool melee) override
    {
        FakeOwner::SendTargetResult(id, targets, coords, seed, value, melee);
        if (auto* skill = ObjectManager::Get().GetObject<Skill>(id); skill && parent && echoResults)
            skill->TargetResult(*parent, targets, coords, seed, value, melee);
    }
    bool echoResults = false;
};

class AttackKindsTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        user = OnTeam(kTeamMajorHuman, 0.0f);
        owner.parent = user;
        owner.services = &owner;
    }
    template <class T>
    T* Learn(const std::string& kind, const std::string& keys, unsigned level = 1)
    {
        const std::string name = "Records/Test/Attack" + std::to_string(++count) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, "Class," + kind + ",\nskillMaxLevel,3,\n" + keys);
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(name);
        if (skill) {
            skill->SetManager(&owner);
            skill->SetSkillLevel(level);
            skill->SetSkillEnabled(true);
        }
        return skill;
    }
    BlowCounter* Foe(float x, float z = 0.0f)
    {
        return static_cast<BlowCounter*>(OnTeam(kTeamMajorMonster, x, z, "", "BlowCounter"));
    }
    std::vector<std::vector<uint32_t>> ResultsOf(uint32_t skillId) const
    {
        std::vector<std::vector<uint32_t>> lists;
        for (const auto& result : owner.results)
            if (result.skillId == skillId)
                lists.push_back(result.targets);
        return lists;
    }

    EchoOwner owner;
    Character* user = nullptr;
    int count = 0;
};

// The hand of the hit event picks the weapon of a melee strike; any other event strikes
// with none. Each kind names itself.
TEST_F(AttackKindsTest, TheHitEventPicksTheHandsWeapon)
{
    auto* attack = Learn<Skill_AttackWeapon>("Skill_AttackWeapon", "");
    ASSERT_NE(attack, nullptr);
    owner.rightWeapon = 71;
    owner.leftWeapon = 72;
    const uint32_t foe = Foe(1.5f)->GetObjectId();
    Frame();
    const struct { const char* event; uint32_t weapon; } rows[] = {
        {"RightHandHit", 71}, {"LeftHandHit", 72}, {"SwipeRight", 0}, {"", 0}};
    for (const auto& row : rows) {
        owner.results.clear();
        attack->ActivateNow(*user, Name(row.event), foe, At(1.5f));
        ASSERT_EQ(owner.results.size(), 1u) << row.event;
        EXPECT_EQ(owner.results[0].value, row.weapon) << row.event;
        EXPECT_TRUE(owner.results[0].melee) << row.event;
        EXPECT_EQ(owner.results[0].targets, std::vector<uint32_t>{foe}) << row.event;
    }
    const struct { Skill* skill; const char* text; } kinds[] = {
        {attack, "^bWeapon Attack"},
        {Learn<Skill_AttackWeaponCharge>("Skill_AttackWeaponCharge", ""), "^bMelee Weapon Attack with Charge"},
        {Learn<Skill_AttackWeaponRangedSpread>("Skill_AttackWeaponRangedSpread", ""), "^bWeapon Attack - Ranged Spread"},
        {Learn<Skill_AttackRadius>("Skill_AttackRadius", ""), "^bRadius Attack"},
        {Learn<Skill_AttackRadiusLightning>("Skill_AttackRadiusLightning", ""), "^bLightning Radius Attack"}};
    for (const auto& kind : kinds) {
        ASSERT_NE(kind.skill, nullptr) << kind.text;
        EXPECT_EQ(kind.skill->GetKindText(), kind.text);
        EXPECT_TRUE(kind.skill->IsPrimary() && kind.skill->IsSecondary()) << kind.text;
    }
}

// A warm-up needs an enabled skill whose record allows it; while it runs the record's
// values count for the owner; a warmed-up attack broken off pays its mana and cooldown
// once, one that was not warmed up costs nothing, and a landed attack ends the warm-up.
TEST_F(AttackKindsTest, WarmUpLendsTheRecordsValuesAndCancellingItStillCosts)
{
    auto* plain = Learn<Skill_AttackWeapon>("Skill_AttackWeapon", "skillManaCost,7,\ncharacterStrength,5,\n");
    auto* attack = Learn<Skill_AttackWeapon>(
        "Skill_AttackWeapon", "skillAllowsWarmUp,1,\nskillManaCost,7,\nskillCooldownTime,2.0,\ncharacterStrength,5,\n");
    auto* unlearnt = Learn<Skill_AttackWeapon>("Skill_AttackWeapon", "skillAllowsWarmUp,1,\n", 0);
    ASSERT_TRUE(plain && attack && unlearnt);
    EXPECT_FALSE(plain->WarmUpStart());
    EXPECT_FALSE(unlearnt->WarmUpStart());
    auto strength = [](const Skill& skill) {
        CharAttributeAccumulator sums;
        skill.CollectPassiveCharAttributes(sums);
        return sums.GetValueSum(CharAttributeType_Strength);
    };
    EXPECT_EQ(strength(*attack), 0.0f);
    ASSERT_TRUE(attack->WarmUpStart());
    EXPECT_EQ(strength(*attack), 5.0f);
    attack->WarmUpEnd();
    EXPECT_EQ(strength(*attack), 0.0f);
    EXPECT_TRUE(attack->GetWarmUpWasActive());

    plain->Cancel(*user);
    EXPECT_EQ(owner.mana, 100.0f);
    EXPECT_EQ(plain->GetCooldownRemaining(), 0);
    attack->Cancel(*user);
    EXPECT_EQ(owner.mana, 93.0f);
    EXPECT_EQ(attack->GetCooldownRemaining(), 2000);
    EXPECT_FALSE(attack->GetWarmUpWasActive());
    attack->Cancel(*user);
    EXPECT_EQ(owner.mana, 93.0f);

    ASSERT_TRUE(attack->WarmUpStart());
    attack->TargetResult(*user, {}, user->GetCoords(), 1, 0, true);
    EXPECT_FALSE(attack->GetWarmUpWasActive());
}

// Only a charged (warmed-up) charge sets off its melee modifiers' strikes.
TEST_F(AttackKindsTest, OnlyAWarmedUpChargeFiresItsMeleeModifiers)
{
    auto* charge = Learn<Skill_AttackWeaponCharge>("Skill_AttackWeaponCharge", "skillAllowsWarmUp,1,\n");
    auto* modifier = Learn<Skill_MeleeModifierRadius>("Skill_MeleeModifierRadius", "");
    ASSERT_TRUE(charge && modifier);
    charge->AddModifier(modifier->GetObjectId());
    charge->AddModifier(user->GetObjectId());   // not a modifier: skipped
    const uint32_t foe = Foe(1.5f)->GetObjectId();
    Frame();
    charge->ActivateNow(*user, Name("RightHandHit"), foe, At(1.5f));
    EXPECT_EQ(ResultsOf(charge->GetObjectId()).size(), 1u);
    EXPECT_TRUE(ResultsOf(modifier->GetObjectId()).empty());
    ASSERT_TRUE(charge->WarmUpStart());
    charge->WarmUpEnd();
    charge->ActivateNow(*user, Name("RightHandHit"), foe, At(1.5f));
    EXPECT_EQ(ResultsOf(modifier->GetObjectId()), (std::vector<std::vector<uint32_t>>{{foe}}));
}

// Three shots without a target: the first at the aim point, the others drifted by
// "driftMin" to "driftMax" to opposite sides and forward, a little down; only the first
// keeps the target and the hit count. An aim nearer than twice the launch offset goes
// straight ahead at that distance, one unit up.
TEST_F(AttackKindsTest, SpreadShotsDriftToAlternateSides)
{
    auto* spread = Learn<Skill_AttackWeaponRangedSpread>(
        "Skill_AttackWeaponRangedSpread", "skillProjectileNumber,3,\ndriftMin,1.0,\ndriftMax,1.5,\n");
    ASSERT_NE(spread, nullptr);
    EXPECT_EQ(spread->GetDriftMin(), 1.0f);
    EXPECT_EQ(spread->GetDriftMax(), 1.5f);
    // The user faces +x, so its side axis is -z.
    const WorldCoords launch(region, Coords::MakeTranslation({0.5f, 1.0f, 0.0f}));
    const uint32_t gone = ObjectManager::Get().CreateObjectID();
    owner.IncHitIteration();
    ASSERT_TRUE(spread->ExecuteRangedAttack(*user, launch, gone, At(10.0f), 3));
    ASSERT_EQ(owner.shots.size(), 3u);
    EXPECT_EQ(owner.shots[0].point, At(10.0f));
    EXPECT_EQ(owner.shots[0].targetId, gone);
    EXPECT_EQ(owner.shots[0].hit, 1u);
    float sides[3] = {};
    for (size_t i = 1; i < 3; ++i) {
        const Vec3 drift = owner.shots[i].point.GetRegionPosition() - Vec3(10.0f, 0.0f, 0.0f);
        sides[i] = drift.z;
        EXPECT_GE(std::fabs(drift.z), 1.0f) << i;
        EXPECT_LE(std::fabs(drift.z), 1.5f) << i;
        EXPECT_GE(drift.x, 1.0f) << i;
        EXPECT_LE(drift.x, 1.5f) << i;
        EXPECT_GE(drift.y, -0.5f) << i;
        EXPECT_LE(drift.y, 0.0f) << i;
        EXPECT_EQ(owner.shots[i].targetId, 0u) << i;
        EXPECT_EQ(owner.shots[i].hit, 0u) << i;
        EXPECT_EQ(owner.shots[i].weaponId, 3u) << i;
    }
    EXPECT_GT(sides[1], 0.0f);
    EXPECT_LT(sides[2], 0.0f);

    owner.shots.clear();
    const WorldCoords far(region, Coords::MakeTranslation({2.0f, 1.0f, 0.0f}));   // reach sqrt(5)
    ASSERT_TRUE(spread->ExecuteRangedAttack(*user, far, 0, At(3.0f), 0));
    const Vec3 ahead = owner.shots[0].point.GetRegionPosition();
    EXPECT_NEAR(ahead.x, 2.0f * std::sqrt(5.0f), 1e-4f);
    EXPECT_EQ(ahead.y, 1.0f);
    EXPECT_EQ(ahead.z, 0.0f);

    owner.services = nullptr;
    EXPECT_FALSE(spread->ExecuteRangedAttack(*user, launch, 0, At(10.0f), 0));
}

// At 100 ms a unit the ring strikes the foe at 0.5 in the first 100 ms and the one at 2.5
// once 250 ms have passed; a foe that walks out of the radius before the ring arrives is
// never struck, and at the full radius the ring is done. While it runs the skill is
// cooling down. Its start charges the mana and cooldown; a restored start does not.
TEST_F(AttackKindsTest, TheRingStrikesFoesAsItReachesThemWithinItsRadius)
{
    auto* ring = Learn<Skill_AttackRadius>(
        "Skill_AttackRadius", "expansionTime,0.1,\nskillTargetRadius,5.0,\nskillManaCost,10,\nskillCooldownTime,3.0,\n");
    ASSERT_NE(ring, nullptr);
    const uint32_t nearFoe = Foe(0.5f)->GetObjectId();
    const uint32_t midFoe = Foe(0.0f, 2.5f)->GetObjectId();
    BlowCounter* walker = Foe(4.0f);
    Foe(6.0f);
    Frame();
    ring->ActivateNow(*user, Name(), 0, At(0.0f));
    EXPECT_EQ(ring->GetPendingTargets().size(), 3u);
    EXPECT_EQ(owner.mana, 90.0f);
    EXPECT_EQ(ring->GetCooldownRemaining(), 3000);
    EXPECT_FALSE(ring->GetActiveState().active);
    EXPECT_FALSE(ring->SetAvailability(true, true));
    EXPECT_EQ(ring->GetReason(), Skill_CoolingDown);
    const struct { int ms; std::vector<uint32_t> struck; size_t pending; } rows[] = {
        {100, {nearFoe}, 2}, {100, {}, 2}, {50, {midFoe}, 1}};
    for (const auto& row : rows) {
        owner.results.clear();
        ring->Update(*user, row.ms);
        EXPECT_EQ(ResultsOf(ring->GetObjectId()),
                  row.struck.empty() ? std::vector<std::vector<uint32_t>>{} : std::vector<std::vector<uint32_t>>{row.struck})
            << row.ms;
        EXPECT_EQ(ring->GetPendingTargets().size(), row.pending) << row.ms;
    }
    World::Get().SetCoords(walker, WorldCoords(region, Coords::MakeTranslation({5.5f, 0.0f, 0.0f})));
    owner.results.clear();
    ring->Update(*user, 1000);
    EXPECT_TRUE(owner.results.empty());
    EXPECT_TRUE(ring->GetPendingTargets().empty());

    ring->ReceiveActiveUpdate(*user, SkillActiveState(0, true, false), true);
    EXPECT_EQ(owner.mana, 90.0f);
}

// Without expansion time the whole radius counts at once: every foe found is struck in
// the first update, and a foe gone meanwhile is dropped. A result naming a foe twice
// strikes it twice.
TEST_F(AttackKindsTest, ARingWithoutExpansionTimeStrikesEveryFoeAtOnce)
{
    auto* ring = Learn<Skill_AttackRadius>("Skill_AttackRadius", "skillTargetRadius,5.0,\n");
    ASSERT_NE(ring, nullptr);
    const uint32_t a = Foe(1.0f)->GetObjectId();
    BlowCounter* gone = Foe(2.0f);
    const uint32_t b = Foe(0.0f, -4.5f)->GetObjectId();
    Frame();
    owner.echoResults = true;
    ring->ActivateNow(*user, Name(), 0, At(0.0f));
    ObjectManager::Get().DestroyObjectEx(gone, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    ring->Update(*user, 0);
    EXPECT_EQ(ResultsOf(ring->GetObjectId()), (std::vector<std::vector<uint32_t>>{{a, b}}));
    auto* first = static_cast<BlowCounter*>(ObjectManager::Get().GetObject(a));
    EXPECT_EQ(first->blows, 1);
    EXPECT_TRUE(ring->GetPendingTargets().empty());
    EXPECT_TRUE(ring->SetAvailability(true, true));
    // A result is struck as it is listed.
    ring->TargetResult(*user, {a, a}, user->GetCoords(), 7, 0, false);
    EXPECT_EQ(first->blows, 3);
}

// The lightning names the chosen target first and again among the foes around the point,
// and so strikes it twice; without a bolt record it strikes on the next update, with one
// when the bolt arrives, or after 5000 ms when it never does. A target id of 0 strikes
// nobody.
TEST_F(AttackKindsTest, LightningStrikesOnceTheBoltArrives)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Bolt.dbr", "Class,Lightning,\n");
    auto* bare = Learn<Skill_AttackRadiusLightning>("Skill_AttackRadiusLightning", "skillTargetRadius,2.0,\n");
    auto* bolt = Learn<Skill_AttackRadiusLightning>(
        "Skill_AttackRadiusLightning", "skillTargetRadius,2.0,\nlightningName,Records/Test/Bolt.dbr,\n");
    ASSERT_TRUE(bare && bolt);
    BlowCounter* chosen = Foe(8.0f);
    BlowCounter* beside = Foe(9.0f);
    BlowCounter* far = Foe(12.0f);
    Frame();
    owner.echoResults = true;
    bare->ActivateNow(*user, Name(), chosen->GetObjectId(), At(8.0f));
    EXPECT_EQ(owner.results.at(0).targets,
              (std::vector<uint32_t>{chosen->GetObjectId(), chosen->GetObjectId(), beside->GetObjectId()}));
    EXPECT_EQ(owner.results.at(0).value, chosen->GetObjectId());
    EXPECT_FALSE(bare->SetAvailability(true, true));
    EXPECT_EQ(chosen->blows, 0);
    bare->Update(*user, 0);
    EXPECT_EQ(chosen->blows, 2);
    EXPECT_EQ(beside->blows, 1);
    EXPECT_EQ(far->blows, 0);
    EXPECT_TRUE(bare->SetAvailability(true, true));

    bolt->ActivateNow(*user, Name(), 0, At(12.0f));
    const uint32_t boltId = bolt->GetLightningId();
    ASSERT_NE(ObjectManager::Get().GetObject<Lightning>(boltId), nullptr);
    bolt->Update(*user, 0);
    EXPECT_EQ(far->blows, 0);
    Frame(LineEffect::kDefaultTravelMs);
    bolt->Update(*user, 0);
    EXPECT_EQ(far->blows, 1);
    EXPECT_EQ(bolt->GetLightningId(), 0u);

    bolt->ActivateNow(*user, Name(), 0, At(12.0f));
    ObjectManager::Get().GetObject<Lightning>(bolt->GetLightningId())->SetPause(true);
    const struct { int ms; int blows; } waits[] = {{4999, 1}, {1, 2}};
    for (const auto& wait : waits) {
        bolt->Update(*user, wait.ms);
        EXPECT_EQ(far->blows, wait.blows) << wait.ms;
    }
}

// Levels added through the character reach its skills, all of them or the one named,
// the source's own skill spared; a count below 1 changes nothing.
TEST_F(AttackKindsTest, CharacterSkillLevelAugmentsReachItsSkills)
{
    const std::string name = "records/test/augmented.dbr";
    RecordDatabase::Get().RegisterRecord(name, "Class,Skill_AttackWeapon,\nskillMaxLevel,3,\nskillUltimateLevel,9,\n");
    auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(name);
    ASSERT_NE(skill, nullptr);
    user->GetSkillManager().AddSkill(skill);
    skill->SetSkillLevel(1);
    user->SetAllSkillLevelAugment(2, "");
    EXPECT_EQ(skill->GetCurrentLevel(), 3u);
    user->SetAllSkillLevelAugment(-4, "");
    EXPECT_EQ(skill->GetCurrentLevel(), 3u);
    user->RemoveAllSkillLevelAugment(2, "");
    EXPECT_EQ(skill->GetCurrentLevel(), 1u);
    user->SetAllSkillLevelAugment(2, name);
    EXPECT_EQ(skill->GetCurrentLevel(), 1u);
    user->SetSkillLevelAugment(name, 4);
    EXPECT_EQ(skill->GetCurrentLevel(), 5u);
    user->RemoveSkillLevelAugment(name, 4);
    EXPECT_EQ(skill->GetCurrentLevel(), 1u);
}

// The bundled tree holds one skill of each attack kind, each made as its class.
TEST_F(AttackKindsTest, TheBundledTreeMakesEveryAttackKind)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    const char* kKinds[] = {"Skill_AttackWeapon", "Skill_AttackWeaponCharge", "Skill_AttackWeaponRangedSpread",
                            "Skill_AttackRadius", "Skill_AttackRadiusLightning"};
    const LoadTable* tree = RecordDatabase::Get().Load("Records/Skills/Attacks/AttacksTree.dbr");
    ASSERT_NE(tree, nullptr);
    for (unsigned i = 0; i < std::size(kKinds); ++i) {
        const std::string name = tree->GetString(("skillName" + std::to_string(i + 1)).c_str(), "");
        Object* skill = ObjectManager::Get().CreateObjectFromFile(name);
        ASSERT_NE(skill, nullptr) << name;
        EXPECT_STREQ(skill->GetClassInfo().GetName(), kKinds[i]);
    }
}

}  // namespace

}  // namespace GAME
