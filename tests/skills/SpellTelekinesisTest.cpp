// The spells cast at one target (strike with an aura, swap, self teleport, chaos beam), the
// telekinesis throw with its puppet, and the boss's dropped throwables.
#include <gtest/gtest.h>

#include <cmath>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Random.h"
#include "Game/core/GameEngine.h"
#include "Game/core/Team.h"
#include "Game/skills/AuraManager.h"
#include "Game/skills/ProjectileKinds.h"
#include "Game/skills/Skill_AttackSpell.h"
#include "Game/skills/Skill_AttackTelekinesis.h"
#include "Game/skills/Skill_DropProjectileTelekinesis.h"
#include "Game/world/Puppet.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {
namespace {

constexpr const char* kBeam = "Records/Test/Beam.dbr";
constexpr const char* kRock = "Records/Test/Rock.dbr";
constexpr const char* kMark = "Records/Test/Mark.dbr";
constexpr const char* kGrip = "Records/Test/Grip.dbr";

class SpellTelekinesisTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(kBeam, "Class,ChaosBeam,\n");
        records.RegisterRecord(kRock, "Class,ProjectileTelekinesis,\nprojectileVelocity,10,\n");
        records.RegisterRecord(kMark, "Class,EffectEntity,\n");
        records.RegisterRecord(kGrip, "Class,Puppet,\n");
        caster = OnTeam(kTeamMajorHuman, 0.0f, 0.0f, "characterLife,100,\n");
        caster->SetAttachPoint(Name("SpecialHit01"), Vec3{0, 2, 0});
        owner.parent = caster;
        owner.services = &owner;
    }
    template <class T>
    T* MakeSkill(const std::string& lines)
    {
        const std::string name = "Records/Test/Spell" + std::to_string(++skills) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + T::GetStaticClassInfo().GetName() +
                                                       ",\nskillMaxLevel,5,\n" + lines);
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(name);
        if (skill) {
            skill->SetManager(&owner);
            skill->SetSkillLevel(1);
        }
        return skill;
    }
    Character* Foe(float x, float z = 0.0f) { return OnTeam(kTeamMajorMonster, x, z, "characterLife,1000,\n"); }
    ProjectileTelekinesis* Rock(const Vec3& at)
    {
        auto* rock = ObjectManager::Get().CreateObjectFromFile<ProjectileTelekinesis>(kRock);
        EXPECT_TRUE(World::Get().AddEntity(rock, WorldCoords(region, Coords::MakeTranslation(at))));
        return rock;
    }
    template <class T>
    void Run(T& skill, int frames, int ms)
    {
        for (int i = 0; i < frames; ++i)
            skill.Update(*caster, ms);
    }

    FakeOwner owner;
    Character* caster = nullptr;
    int skills = 0;
};

// ---- Spell attack, swap and self teleport --------------------------------------------------------

TEST_F(SpellTelekinesisTest, ASpellStrikesATargetWithinTwentyAndMarksItWithItsTimedAura)
{
    auto* spell = MakeSkill<Skill_AttackSpell>(std::string("offensivePhysicalMin,10,\noffensivePhysicalMax,10,\n") +
                                               "skillSpellAura," + kMark + ",\nskillSpellAuraDuration,2.9;4,\n");
    ASSERT_NE(spell, nullptr);
    EXPECT_TRUE(spell->IsPrimary() && spell->IsSecondary());
    Character* near = Foe(15.0f);
    Character* far = Foe(30.0f);
    Frame();   // their first update: their life
    spell->ActivateNow(*caster, Name(), far->GetObjectId(), At(30.0f));
    EXPECT_TRUE(owner.results.empty());
    spell->ActivateNow(*caster, Name(), near->GetObjectId(), At(15.0f));
    ASSERT_EQ(owner.results.size(), 1u);
    EXPECT_EQ(owner.results[0].targets, std::vector<uint32_t>{near->GetObjectId()});
    EXPECT_EQ(owner.results[0].value, 0u);

    // Applied with a target that has gone since: only the one left takes the blow and the
    // aura, for the record's 2.9 seconds truncated.
    const uint32_t gone = far->GetObjectId();
    ObjectManager::Get().DestroyObjectEx(far, "test", __LINE__);
    const float life = near->GetCurrentLife();
    spell->TargetResult(*caster, {gone, near->GetObjectId()}, caster->GetCoords(), 5, 0, false);
    EXPECT_LT(near->GetCurrentLife(), life);
    ASSERT_EQ(near->GetAuraManager().GetAuras().size(), 1u);
    EXPECT_EQ(near->GetAuraManager().GetAuras()[0].remaining, 2000);
    EXPECT_EQ(near->GetAuraManager().GetAuras()[0].name, kMark);
}

TEST_F(SpellTelekinesisTest, ATeleportSpellSwapsPlacesAndASelfTeleportMovesTheCaster)
{
    auto* swap = MakeSkill<Skill_AttackSpellTeleport>("");
    auto* blink = MakeSkill<Skill_AttackSpellTeleportSelf>("");
    ASSERT_TRUE(swap && blink);
    EXPECT_FALSE(swap->IsPrimary());
    EXPECT_TRUE(blink->IsSecondary());
    Character* foe = Foe(6.0f, 3.0f);
    swap->TargetResult(*caster, {foe->GetObjectId()}, caster->GetCoords(), 1, 0, false);
    EXPECT_EQ(caster->GetCoords().GetRegionCoords().origin, (Vec3{6, 0, 3}));
    EXPECT_EQ(foe->GetCoords().GetRegionCoords().origin, (Vec3{0, 0, 0}));

    // At a target that is gone, no one moves.
    const uint32_t gone = foe->GetObjectId();
    ObjectManager::Get().DestroyObjectEx(foe, "test", __LINE__);
    swap->TargetResult(*caster, {gone}, caster->GetCoords(), 1, 0, false);
    EXPECT_EQ(caster->GetCoords().GetRegionCoords().origin, (Vec3{6, 0, 3}));

    // The self teleport sends the point, unturned, and every peer moves the caster there.
    blink->ActivateNow(*caster, Name(), 0, At(-4.0f, 2.0f));
    ASSERT_EQ(owner.results.size(), 1u);
    const FakeOwner::Result sent = owner.results[0];
    EXPECT_TRUE(sent.targets.empty());
    EXPECT_EQ(sent.coords.GetRegionCoords().zAxis, (Vec3{0, 0, 1}));
    blink->TargetResult(*caster, sent.targets, sent.coords, sent.seed, sent.value, false);
    EXPECT_EQ(caster->GetCoords().GetRegionCoords().origin, (Vec3{-4, 0, 2}));
}

// ---- Chaos beam -----------------------------------------------------------------------------------

std::string ChaosKeys(const char* head, const char* tail, const char* maxDistance)
{
    return std::string("offensivePhysicalMin,10,\noffensivePhysicalMax,10,\nmaxDistance,") + maxDistance +
           ",\nheadVelocity," + head + ",\ntailVelocity," + tail + ",\nchaosBeamName," + kBeam + ",\n";
}

TEST_F(SpellTelekinesisTest, AChaosBeamGrowsStrikesAndShrinksThroughItsStates)
{
    auto* chaos = MakeSkill<Skill_AttackSpellChaos>(ChaosKeys("2.5", "5", "18"));
    ASSERT_NE(chaos, nullptr);
    Character* foe = Foe(10.0f);
    Character* friendly = OnTeam(kTeamMajorHuman, 5.0f);
    Frame();
    unsigned target = friendly->GetObjectId();
    EXPECT_FALSE(chaos->GetValidTarget(*caster, target, At(5.0f), false, 20.0f));
    EXPECT_TRUE(chaos->GetValidTarget(*caster, target = foe->GetObjectId(), At(10.0f), false, 20.0f));

    chaos->ActivateNow(*caster, Name(), foe->GetObjectId(), At(10.0f));
    EXPECT_EQ(chaos->GetBeamState(), Skill_AttackSpellChaos::Beam_Requested);
    EXPECT_FALSE(chaos->SetAvailability(true, true));
    EXPECT_EQ(chaos->GetReason(), Skill_CoolingDown);
    ASSERT_EQ(owner.results.size(), 1u);
    EXPECT_TRUE(owner.results[0].targets.empty());
    EXPECT_EQ(owner.results[0].value, foe->GetObjectId());
    chaos->TargetResult(*caster, {}, caster->GetCoords(), 1, foe->GetObjectId(), false);
    EXPECT_EQ(chaos->GetBeamState(), Skill_AttackSpellChaos::Beam_ToMake);

    // State by state: the beam appears empty, its head reaches the foe after 400 ms, the
    // strike goes out, the tail follows in 200 ms, and the beam is let go.
    const struct {
        int ms;
        Skill_AttackSpellChaos::BeamState state;
        float head, tail;
        size_t results;
    } steps[] = {
        {0, Skill_AttackSpellChaos::Beam_Extending, 0.0f, 0.0f, 1},
        {200, Skill_AttackSpellChaos::Beam_Extending, 0.5f, 0.0f, 1},
        {200, Skill_AttackSpellChaos::Beam_Retracting, 1.0f, 0.0f, 2},
        {100, Skill_AttackSpellChaos::Beam_Retracting, 1.0f, 0.5f, 2},
        {100, Skill_AttackSpellChaos::Beam_Finishing, 1.0f, 1.0f, 2},
        {16, Skill_AttackSpellChaos::Beam_Idle, 1.0f, 1.0f, 2},
    };
    uint32_t beamId = 0;
    for (const auto& step : steps) {
        chaos->Update(*caster, step.ms);
        SCOPED_TRACE(step.ms);
        EXPECT_EQ(chaos->GetBeamState(), step.state);
        EXPECT_FLOAT_EQ(chaos->GetHead(), step.head);
        EXPECT_FLOAT_EQ(chaos->GetTail(), step.tail);
        EXPECT_EQ(owner.results.size(), step.results);
        if (const auto* beam = ObjectManager::Get().GetObject<ChaosBeam>(chaos->GetBeamId())) {
            beamId = beam->GetObjectId();
            EXPECT_TRUE(beam->IsInWorld());
            EXPECT_FLOAT_EQ(beam->GetTopPercent(), step.head);
        }
    }
    EXPECT_NE(beamId, 0u);
    EXPECT_EQ(ObjectManager::Get().GetObject(beamId), nullptr);
    EXPECT_EQ(owner.results[1].targets, std::vector<uint32_t>{foe->GetObjectId()});
    EXPECT_EQ(chaos->GetHitPoint(), foe->GetCoords().GetPosition());
    const float life = foe->GetCurrentLife();
    chaos->TargetResult(*caster, owner.results[1].targets, owner.results[1].coords, 3, 0, false);
    EXPECT_LT(foe->GetCurrentLife(), life);
    EXPECT_TRUE(chaos->SetAvailability(false, false));
}

TEST_F(SpellTelekinesisTest, AChaosTargetBeyondTheMaxDistanceIsMissedAndAStalledBeamStaysBusyUntilStopped)
{
    auto* chaos = MakeSkill<Skill_AttackSpellChaos>(ChaosKeys("5", "2", "8"));
    ASSERT_NE(chaos, nullptr);
    Character* foe = Foe(12.0f);
    chaos->TargetResult(*caster, {}, caster->GetCoords(), 1, foe->GetObjectId(), false);
    Run(*chaos, 1, 0);
    Run(*chaos, 1, 200);
    EXPECT_EQ(chaos->GetBeamState(), Skill_AttackSpellChaos::Beam_Retracting);
    EXPECT_EQ(chaos->GetBeamTarget(), 0u);
    EXPECT_TRUE(owner.results.empty());
    // The head comes back as fast as the tail follows, until they meet.
    Run(*chaos, 1, 100);
    EXPECT_FLOAT_EQ(chaos->GetHead(), 0.8f);
    EXPECT_FLOAT_EQ(chaos->GetTail(), 0.2f);
    Run(*chaos, 1, 200);
    EXPECT_EQ(chaos->GetBeamState(), Skill_AttackSpellChaos::Beam_Finishing);
    EXPECT_FLOAT_EQ(chaos->GetTail(), chaos->GetHead());

    auto* stalled = MakeSkill<Skill_AttackSpellChaos>(ChaosKeys("0", "2", "50"));
    ASSERT_NE(stalled, nullptr);
    stalled->TargetResult(*caster, {}, caster->GetCoords(), 1, foe->GetObjectId(), false);
    Run(*stalled, 100, 100);
    EXPECT_EQ(stalled->GetBeamState(), Skill_AttackSpellChaos::Beam_Extending);
    EXPECT_TRUE(owner.results.empty());
    const uint32_t beam = stalled->GetBeamId();
    stalled->StopSkill(*caster);
    EXPECT_EQ(stalled->GetBeamState(), Skill_AttackSpellChaos::Beam_Idle);
    EXPECT_EQ(ObjectManager::Get().GetObject(beam), nullptr);
}

// ---- Telekinesis ----------------------------------------------------------------------------------

std::string HurlKeys(const char* overheadVelocity = "3")
{
    return std::string("offensivePhysicalMin,10,\noffensivePhysicalMax,10,\nheadVelocity,2,\nliftSpeed,2,\n"
                       "moveOverHeadVelocity,") + overheadVelocity +
           ",\nchaosBeamName," + kBeam + ",\npuppetName," + kGrip + ",\n";
}

TEST_F(SpellTelekinesisTest, TelekinesisClaimsLiftsCarriesAndThrowsARestingObject)
{
    auto* hurl = MakeSkill<Skill_AttackTelekinesis>(HurlKeys());
    ASSERT_NE(hurl, nullptr);
    Rock({15, 0, 0});
    EXPECT_FALSE(hurl->SetAvailability(true, true));
    EXPECT_EQ(hurl->GetReason(), Skill_NothingToThrow);
    ProjectileTelekinesis* rock = Rock({0, 0, 4});
    EXPECT_TRUE(hurl->SetAvailability(true, true));
    EXPECT_EQ(hurl->GetCandidate(), rock->GetObjectId());

    hurl->SwipeAction(*caster, Name(), 0, At(0.0f));
    EXPECT_EQ(hurl->GetHandleState(), Skill_AttackTelekinesis::Handle_Reaching);
    EXPECT_TRUE(rock->IsInUse());
    EXPECT_FALSE(hurl->EndAction(*caster));
    ASSERT_NE(ObjectManager::Get().GetObject<ChaosBeam>(hurl->GetBeamId()), nullptr);
    auto* puppet = ObjectManager::Get().GetObject<Puppet>(hurl->GetPuppetId());
    ASSERT_NE(puppet, nullptr);
    EXPECT_FALSE(puppet->GetVisibility());
    EXPECT_FLOAT_EQ(hurl->GetMoveDistance(), std::sqrt(20.0f));   // to the hand two units up

    // The beam reaches out in 500 ms, the puppet shows, the rock rises to the hand's height
    // (two units at two a second), is carried over (4.47 units at three a second) and held.
    Run(*hurl, 1, 500);
    EXPECT_EQ(hurl->GetHandleState(), Skill_AttackTelekinesis::Handle_WaitingForPuppet);
    EXPECT_TRUE(puppet->GetVisibility());
    Run(*hurl, 1, 100);
    EXPECT_EQ(hurl->GetHandleState(), Skill_AttackTelekinesis::Handle_Lifting);
    Run(*hurl, 1, 1000);
    EXPECT_NEAR(rock->GetCoords().GetRegionCoords().origin.y, 2.0f, 1e-4f);
    EXPECT_NEAR(rock->GetCoords().GetRegionCoords().origin.z, 4.0f, 1e-4f);
    Run(*hurl, 1, 100);
    EXPECT_EQ(hurl->GetHandleState(), Skill_AttackTelekinesis::Handle_MovingOverhead);
    Run(*hurl, 1, 1400);
    EXPECT_EQ(hurl->GetHandleState(), Skill_AttackTelekinesis::Handle_MovingOverhead);
    EXPECT_NEAR(rock->GetCoords().GetRegionCoords().origin.z, 4.0f * (1.0f - 4.2f / std::sqrt(20.0f)), 1e-3f);
    Run(*hurl, 1, 100);
    EXPECT_EQ(hurl->GetHandleState(), Skill_AttackTelekinesis::Handle_Holding);
    const Vec3 held = rock->GetCoords().GetRegionCoords().origin;
    EXPECT_NEAR(held.y, 2.0f, 1e-4f);
    EXPECT_NEAR(held.z, 0.0f, 1e-4f);
    // Held, it wobbles in place, and the skill stays usable with nothing else around.
    const Coords before = rock->GetCoords().GetRegionCoords();
    Run(*hurl, 1, 500);
    EXPECT_EQ(rock->GetCoords().GetRegionCoords().origin, before.origin);
    EXPECT_NE(rock->GetCoords().GetRegionCoords().zAxis, before.zAxis);
    EXPECT_TRUE(hurl->SetAvailability(true, true));

    Character* foe = Foe(8.0f);
    Frame();
    hurl->ActivateNow(*caster, Name(), foe->GetObjectId(), At(8.0f));
    EXPECT_EQ(rock->GetState(), ProjectileTelekinesis::kStateThrown);
    EXPECT_EQ(rock->GetInfo().skillId, hurl->GetObjectId());
    EXPECT_EQ(hurl->GetHeldObject(), 0u);
    EXPECT_EQ(hurl->GetBeamId(), 0u);
    EXPECT_EQ(puppet->GetPuppetState(), Puppet::State_FadingOut);
    Run(*hurl, 1, 16);
    EXPECT_TRUE(hurl->IsTelkineFinished());

    // Its hits never strike the one who threw it.
    const float casterLife = caster->GetCurrentLife();
    const float foeLife = foe->GetCurrentLife();
    hurl->TargetResult(*caster, {caster->GetObjectId(), foe->GetObjectId()}, caster->GetCoords(), 4, 0, false);
    EXPECT_EQ(caster->GetCurrentLife(), casterLife);
    EXPECT_LT(foe->GetCurrentLife(), foeLife);
}

TEST_F(SpellTelekinesisTest, ACancelWhileCarryingReturnsTheObjectAndAStalledBeamNeverLifts)
{
    auto* hurl = MakeSkill<Skill_AttackTelekinesis>(HurlKeys());
    ASSERT_NE(hurl, nullptr);
    ProjectileTelekinesis* rock = Rock({3, 0, 0});
    hurl->SwipeAction(*caster, Name(), 0, At(0.0f));
    for (int ms : {500, 100, 1000, 100, 100})
        Run(*hurl, 1, ms);
    ASSERT_EQ(hurl->GetHandleState(), Skill_AttackTelekinesis::Handle_MovingOverhead);
    const uint32_t beam = hurl->GetBeamId();
    auto* puppet = ObjectManager::Get().GetObject<Puppet>(hurl->GetPuppetId());
    ASSERT_NE(puppet, nullptr);
    hurl->Cancel(*caster);
    EXPECT_FALSE(rock->IsInUse());
    EXPECT_EQ(rock->GetPhysicsType(), Entity::kPhysicsTypeDynamic);
    EXPECT_EQ(ObjectManager::Get().GetObject(beam), nullptr);
    EXPECT_EQ(hurl->GetPuppetId(), 0u);
    EXPECT_EQ(puppet->GetPuppetState(), Puppet::State_FadingOut);
    Run(*hurl, 1, 16);
    EXPECT_TRUE(hurl->IsTelkineFinished());
    EXPECT_TRUE(hurl->EndAction(*caster));

    auto* stalled = MakeSkill<Skill_AttackTelekinesis>("headVelocity,0,\n");
    ASSERT_NE(stalled, nullptr);
    ObjectManager::Get().DestroyObjectEx(rock, "test", __LINE__);
    ProjectileTelekinesis* other = Rock({0, 0, -3});
    stalled->FindObjectToThrow(caster->GetCoords());
    ASSERT_TRUE(stalled->ClaimObject(*caster, At(0.0f)));
    EXPECT_EQ(stalled->GetHeldObject(), other->GetObjectId());
    Run(*stalled, 50, 100);
    EXPECT_EQ(stalled->GetHandleState(), Skill_AttackTelekinesis::Handle_Reaching);
    EXPECT_FLOAT_EQ(stalled->GetBeamHead(), 0.0f);
    EXPECT_EQ(other->GetCoords().GetRegionCoords().origin, (Vec3{0, 0, -3}));
    // A claimed object is no one else's.
    hurl->FindObjectToThrow(caster->GetCoords());
    EXPECT_EQ(hurl->GetCandidate(), 0u);
    EXPECT_FALSE(hurl->ClaimObject(*caster, At(0.0f)));
}

TEST_F(SpellTelekinesisTest, AnObjectAlreadyOverheadArrivesThoughItHasNoDistanceToCover)
{
    // The rock lies at the hand's point itself and the record gives no carrying speed: the
    // share of the way covered would be 0 / 0.
    auto* hurl = MakeSkill<Skill_AttackTelekinesis>("headVelocity,10,\nmoveOverHeadVelocity,0,\n");
    ASSERT_NE(hurl, nullptr);
    ProjectileTelekinesis* rock = Rock({0, 2, 0});
    hurl->SwipeAction(*caster, Name(), 0, At(0.0f));
    ASSERT_EQ(hurl->GetHeldObject(), rock->GetObjectId());
    EXPECT_FLOAT_EQ(hurl->GetMoveDistance(), 0.0f);
    Run(*hurl, 5, 100);
    EXPECT_EQ(hurl->GetHandleState(), Skill_AttackTelekinesis::Handle_Holding);
    const Vec3 at = rock->GetCoords().GetRegionCoords().origin;
    EXPECT_TRUE(std::isfinite(at.x) && std::isfinite(at.y) && std::isfinite(at.z));
    EXPECT_NEAR(at.y, 2.0f, 1e-4f);
}

// ---- Dropped throwables and the puppet -----------------------------------------------------------

TEST_F(SpellTelekinesisTest, DroppedThrowablesFallFromAboveTheCasterInTurnAndClearTheGround)
{
    for (const char* more : {"2", "3"})
        RecordDatabase::Get().RegisterRecord(std::string(kRock) + more, "Class,ProjectileTelekinesis,\n");
    auto* drop = MakeSkill<Skill_DropProjectileTelekinesis>(
        std::string("numProjectiles,6,\nskillProjectileName,") + kRock + ";;" + kRock + "2;" + kRock + "3,\n");
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(drop->GetNumProjectiles(), 6u);
    const std::string expected[] = {kRock, std::string(kRock) + "2", std::string(kRock) + "3"};
    for (unsigned i = 0; i < 6; ++i)
        EXPECT_EQ(drop->GetSpecialProjectileName(i), expected[i % 3]) << i;
    auto* plain = MakeSkill<Skill_DropProjectileTelekinesis>(std::string("skillProjectileName,") + kRock + ",\n");
    EXPECT_EQ(plain->GetDropHeightDeviation(), 20.0f);
    EXPECT_EQ(plain->GetSpecialProjectileName(4), kRock);

    srand(7);
    for (int i = 0; i < 50; ++i) {
        const Vec3 launch = drop->GetLaunchPoint(*caster, Name()).GetRegionCoords().origin;
        EXPECT_LE(std::fabs(launch.x), 10.0f);
        EXPECT_LE(std::fabs(launch.z), 10.0f);
        EXPECT_GE(launch.y, 14.0f);
        EXPECT_LE(launch.y, 34.0f);
    }

    // A rock left lying nearby blows up; the cast's own drops, still falling, are spared.
    ProjectileTelekinesis* lying = Rock({5, 0, 0});
    ProjectileTelekinesis* far = Rock({40, 0, 0});
    drop->ActivateNow(*caster, Name(), 0, At(0.0f));
    ASSERT_EQ(owner.shots.size(), 6u);
    std::vector<uint32_t> ids;
    for (const FakeOwner::Shot& shot : owner.shots) {
        ids.push_back(ObjectManager::Get().CreateObjectID());
        drop->CreateProjectile(*caster, shot.launch, 0, shot.point, 0, ids.back(), shot.seed);
    }
    EXPECT_EQ(lying->GetState(), ProjectileTelekinesis::kStateExploded);
    EXPECT_EQ(far->GetState(), ProjectileTelekinesis::kStateResting);
    for (uint32_t id : ids) {
        const auto* rock = ObjectManager::Get().GetObject<ProjectileTelekinesis>(id);
        ASSERT_NE(rock, nullptr);
        EXPECT_EQ(rock->GetState(), ProjectileTelekinesis::kStateFalling);
    }
    EXPECT_GT(engine->GetCamera().GetShakeTimeLeft(), 0);
}

TEST_F(SpellTelekinesisTest, APuppetWithoutAnimationsIsReadyAtOnceAndFadesAwayWhenReleased)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Fading.dbr", "Class,Puppet,\nfadeInTime,0.2,\nfadeOutTime,0.1,\n");
    auto* puppet = ObjectManager::Get().CreateObjectFromFile<Puppet>("Records/Test/Fading.dbr");
    ASSERT_NE(puppet, nullptr);
    ASSERT_TRUE(World::Get().AddEntity(puppet, WorldCoords(region, Coords())));
    puppet->StartAnimating();
    EXPECT_TRUE(puppet->IsReady());
    puppet->UpdateSelf(100);
    EXPECT_FLOAT_EQ(puppet->GetTintColor().red, 0.5f);
    puppet->ReleaseToWorld();
    EXPECT_EQ(puppet->GetPuppetState(), Puppet::State_FadingOut);
    const uint32_t id = puppet->GetObjectId();
    Frame(60);
    EXPECT_NE(ObjectManager::Get().GetObject(id), nullptr);
    Frame(60);
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
}

}  // namespace
}  // namespace GAME
