// One engine frame of 16 ms with 1,000 fireball-like projectiles flying among 100 monsters
// in one region. Each projectile carries three modifiers: the firing skill's own with an
// explosion radius, a second skill's piercing one and a third skill's fragments (two short
// fireballs per hit). Projectiles that end are replaced before the next frame, so every
// frame starts with 1,000 in the air (fragments count among them). Reported: the time per
// frame and the heap allocations per frame (every allocation of the program is counted).
//
// A second case: 50 casters throwing resting rocks by telekinesis and 20 bosses drawing
// chain lasers on chained creatures, among 200 monsters. Each skill sits in its
// character's skill manager and is carried through its states by the engine frame; the
// case casts them again as they finish, and stops with an error when they do not run.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/World.h"
#include "Game/ai/ControllerTyphonChained.h"
#include "Game/ai/ControllerZoverad.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/ProjectileKinds.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/Skill_AttackTelekinesis.h"
#include "Game/skills/Skill_ZoveradChainLaser.h"

#include "AllocationCounter.h"

namespace GAME {

// Counts what its projectiles found; applies nothing.
class BenchProjectileSkill : public Skill {
    GAME_DECLARE_CLASS(BenchProjectileSkill)

public:
    void TargetInformation(const ProjectileInfo&, const WorldCoords&, std::vector<uint32_t> targets) override
    {
        reported += targets.size();
    }
    size_t reported = 0;
};
GAME_IMPLEMENT_CLASS(BenchProjectileSkill, Skill)

}  // namespace GAME

namespace {

using namespace GAME;

constexpr int kProjectiles = 1000;
constexpr int kMonsterSide = 10;      // 10 x 10 monsters
constexpr float kSpacing = 10.0f;     // between monsters
constexpr float kField = kMonsterSide * kSpacing;

struct ProjectileField {
    ProjectileField()
    {
        InitializeObjects();
        random.Seed(20261207);
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Bench/Fx.dbr", "Class,EffectEntity,\n");
        records.RegisterRecord("Records/Bench/Monster.dbr", "Class,Monster,\n");
        records.RegisterRecord("Records/Bench/Fireball.dbr",
                               "Class,ProjectileFireballLike,\nprojectileVelocity,20,\nprojectileDistance,60,\n"
                               "projectileFlightFX,Records/Bench/Fx.dbr,\nprojectileImpactFX,Records/Bench/Fx.dbr,\n"
                               "projectileExplodingImpactFX,Records/Bench/Fx.dbr,\n");
        records.RegisterRecord("Records/Bench/Fragment.dbr",
                               "Class,ProjectileFireballLike,\nprojectileVelocity,20,\nprojectileDistance,5,\n");
        region = World::Get().AddRegion(1, "Field");
        region->SetFloor(-10.0f, 1);
        for (int i = 0; i < kMonsterSide * kMonsterSide; ++i) {
            auto* monster = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Bench/Monster.dbr");
            Team team;
            team.Set(kTeamMajorMonster, 0);
            monster->SetTeam(team);
            const Vec3 at{(static_cast<float>(i % kMonsterSide) + 0.5f) * kSpacing, 0.0f,
                          (static_cast<float>(i / kMonsterSide) + 0.5f) * kSpacing};
            World::Get().AddEntity(monster, WorldCoords(region, Coords::MakeTranslation(at)));
            monster->SetBoundingRadius(0.75f);
        }
        caster = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Bench/Monster.dbr");
        Team human;
        human.Set(kTeamMajorHuman, 1);
        caster->SetTeam(human);
        World::Get().AddEntity(caster, WorldCoords(region, Coords::MakeTranslation({-50, 0, -50})));
        for (auto*& skill : skills)
            skill = DynamicCast<BenchProjectileSkill>(ObjectManager::Get().CreateObject("BenchProjectileSkill"));
        gEngine->UpdateFrame(16);   // every monster past its first update
    }
    ~ProjectileField()
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        PhysicsEngine::Get().Reset();
        ShutdownObjects();
    }

    // A fireball from a random point on the field's edge at a random point across it.
    void Fire()
    {
        auto* fireball = ObjectManager::Get().CreateObjectFromFile<ProjectileBase>("Records/Bench/Fireball.dbr");
        const float along = random.FGenerate(0.0f, kField);
        const Vec3 from = random.IGenerate(0, 1) ? Vec3{along, 0.0f, 0.0f} : Vec3{0.0f, 0.0f, along};
        const Vec3 to{random.FGenerate(0.0f, kField), 0.0f, random.FGenerate(0.0f, kField)};
        ProjectileInfo info;
        info.skillId = skills[0]->GetObjectId();
        info.casterId = caster->GetObjectId();
        info.launchCoords = WorldCoords(region, Coords::LookAt(from, to, {0, 1, 0}));
        info.targetPoint = WorldVec3(region, to);
        info.team = caster->GetTeam();
        fireball->LoadInfo(info, static_cast<uint32_t>(random.IGenerate(1, 32767)));
        ProjectileBase::ProjectileModifierStruct blast;
        blast.skillId = skills[0]->GetObjectId();
        blast.explosionRadius = 3.0f;
        ProjectileBase::ProjectileModifierStruct pierce;
        pierce.skillId = skills[1]->GetObjectId();
        pierce.piercingChance = 50.0f;
        ProjectileBase::ProjectileModifierStruct split;
        split.skillId = skills[2]->GetObjectId();
        split.fragmentProjectile = "Records/Bench/Fragment.dbr";
        split.fragmentsMin = 2;
        split.fragmentsMax = 2;
        fireball->AddProjectileModifier(blast);
        fireball->AddProjectileModifier(pierce);
        fireball->AddProjectileModifier(split);
        fireball->ProjectileGo();
    }

    // Projectiles in the world that have not ended.
    int CountFlying()
    {
        flying.clear();
        World::Get().GetEntities(flying, projectileFilter, EntityList_All);
        return static_cast<int>(flying.size());
    }
    void TopUp()
    {
        for (int n = CountFlying(); n < kProjectiles; ++n) {
            Fire();
            ++fired;
        }
    }

    struct ProjectileFilter : FilterFunction<Entity> {
        bool operator()(const Entity* entity) const override
        {
            const auto* projectile = DynamicCast<ProjectileBase>(entity);
            return projectile && !projectile->IsDeleted();
        }
    };

    Region* region = nullptr;
    Character* caster = nullptr;
    BenchProjectileSkill* skills[3] = {};
    RandomUniform random;
    std::vector<Entity*> flying;
    ProjectileFilter projectileFilter;
    size_t fired = 0;   // replacements made
};

void BM_ProjectileFrame(benchmark::State& state)
{
    ProjectileField field;
    field.TopUp();
    // Settle into the steady state: projectiles ending and replaced every frame.
    for (int frame = 0; frame < 120; ++frame) {
        gEngine->UpdateFrame(16);
        field.TopUp();
    }
    size_t entities = 0;
    field.fired = 0;
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        gEngine->UpdateFrame(16);
        field.TopUp();
        entities += World::Get().GetEntityCount();
    }
    ReportAllocations(state, before, "allocs_per_frame");
    size_t reported = 0;
    for (const auto* skill : field.skills)
        reported += skill->reported;
    state.counters["entities_in_world"] =
        benchmark::Counter(static_cast<double>(entities) / static_cast<double>(state.iterations()));
    state.counters["targets_reported"] = benchmark::Counter(static_cast<double>(reported));
    // Each replacement is a projectile made from its record (with its effects and sounds):
    // most of the frame's allocations.
    state.counters["fired_per_frame"] =
        benchmark::Counter(static_cast<double>(field.fired) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_ProjectileFrame)->Unit(benchmark::kMillisecond);

constexpr int kHurlers = 50;
constexpr int kLasers = 20;
constexpr int kCrowdColumns = 20;   // 20 x 10 monsters
constexpr int kCrowdRows = 10;
constexpr float kCrowdSpacing = 5.0f;
constexpr const char* kLaserRecord = "Records/Skills/Boss/ZoveradChainLaser.dbr";

struct SkillField {
    SkillField()
    {
        InitializeObjects();
        RecordDatabase& records = RecordDatabase::Get();
        records.SetDataRoot(GAME_DATA_DIR);
        records.RegisterRecord("Records/Bench/Monster.dbr", "Class,Monster,\n");
        records.RegisterRecord("Records/Bench/Beam.dbr", "Class,ChaosBeam,\n");
        records.RegisterRecord("Records/Bench/Grip.dbr", "Class,Puppet,\n");
        records.RegisterRecord("Records/Bench/Fx.dbr", "Class,EffectEntity,\n");
        records.RegisterRecord("Records/Bench/Rock.dbr", "Class,ProjectileTelekinesis,\nprojectileVelocity,10,\n"
                                                         "explosionEffect,Records/Bench/Fx.dbr,\n");
        records.RegisterRecord("Records/Bench/Hurl.dbr",
                               "Class,Skill_AttackTelekinesis,\nskillMaxLevel,5,\noffensivePhysicalMin,10,\n"
                               "offensivePhysicalMax,10,\nheadVelocity,2,\nliftSpeed,2,\nmoveOverHeadVelocity,3,\n"
                               "chaosBeamName,Records/Bench/Beam.dbr,\npuppetName,Records/Bench/Grip.dbr,\n");
        region = World::Get().AddRegion(1, "Field");
        region->SetFloor(-10.0f, 1);
        Team monsters;
        monsters.Set(kTeamMajorMonster, 0);
        for (int i = 0; i < kCrowdColumns * kCrowdRows; ++i) {
            auto* monster = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Bench/Monster.dbr");
            monster->SetTeam(monsters);
            const Vec3 at{(static_cast<float>(i % kCrowdColumns) + 0.5f) * kCrowdSpacing, 0.0f,
                          (static_cast<float>(i / kCrowdColumns) + 0.5f) * kCrowdSpacing};
            World::Get().AddEntity(monster, WorldCoords(region, Coords::MakeTranslation(at)));
            monster->SetBoundingRadius(0.75f);
            crowd.push_back(monster);
        }
        // The casters stand in a row before the crowd, each with its rock beside it.
        Team human;
        human.Set(kTeamMajorHuman, 1);
        for (int i = 0; i < kHurlers; ++i) {
            auto* caster = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Bench/Monster.dbr");
            caster->SetTeam(human);
            caster->SetAttachPoint(Name("SpecialHit01"), Vec3{0, 2, 0});
            World::Get().AddEntity(caster, WorldCoords(region, Coords::MakeTranslation(HurlerPoint(i))));
            auto* hurl = ObjectManager::Get().CreateObjectFromFile<Skill_AttackTelekinesis>("Records/Bench/Hurl.dbr");
            caster->GetSkillManager().SetAsControllingManager();
            caster->GetSkillManager().AddSkill(hurl);
            hurl->SetSkillLevel(1);
            hurlers.push_back({caster, hurl, 0});
        }
        // The bosses stand behind the crowd, each with its chained creature in reach.
        for (int i = 0; i < kLasers; ++i) {
            const float x = (static_cast<float>(i) + 0.5f) * kCrowdColumns * kCrowdSpacing / kLasers;
            const float z = kCrowdRows * kCrowdSpacing + 10.0f;
            auto* boss = ObjectManager::Get().CreateObjectFromFile<Zoverad>("Records/Creatures/Boss/Zoverad.dbr");
            auto* chained =
                ObjectManager::Get().CreateObjectFromFile<TyphonChained>("Records/Creatures/Boss/TyphonChained.dbr");
            if (!boss || !chained)
                continue;
            World::Get().AddEntity(boss, WorldCoords(region, Coords::MakeTranslation({x, 0, z})));
            World::Get().AddEntity(chained, WorldCoords(region, Coords::MakeTranslation({x, 0, z + 8.0f})));
            SkillManager& manager = boss->GetSkillManager();
            manager.SetAsControllingManager();
            auto* laser = ObjectManager::Get().GetObject<Skill_ZoveradChainLaser>(manager.FindSkillId(kLaserRecord));
            if (laser)
                lasers.push_back({boss, chained, laser, 0});
        }
        gEngine->UpdateFrame(16);   // everyone past its first update
    }
    ~SkillField()
    {
        ObjectManager::Get().DestroyAllObjects();
        World::Get().Reset();
        PhysicsEngine::Get().Reset();
        ShutdownObjects();
    }

    static Vec3 HurlerPoint(int i)
    {
        return {(static_cast<float>(i) + 0.5f) * kCrowdColumns * kCrowdSpacing / kHurlers, 0.0f, -6.0f};
    }

    // What the game's actions would do next: an idle caster gets a rock beside it when none
    // is in reach and swipes to claim it; a caster holding its rock throws it at the
    // monster before it. A boss whose laser has run its course casts it again.
    void Drive()
    {
        for (size_t i = 0; i < hurlers.size(); ++i) {
            Hurler& h = hurlers[i];
            const Vec3 at = HurlerPoint(static_cast<int>(i));
            ++handled[h.skill->GetHandleState()];
            // The casters begin four frames apart, so every state is under way in each frame.
            if (frame < 4 * i)
                continue;
            if (h.skill->IsTelkineFinished()) {
                if (!h.skill->SetAvailability(true, true) && h.skill->GetReason() == Skill_NothingToThrow) {
                    auto* rock = ObjectManager::Get().CreateObjectFromFile<ProjectileTelekinesis>("Records/Bench/Rock.dbr");
                    World::Get().AddEntity(rock, WorldCoords(region, Coords::MakeTranslation(at + Vec3{0, 0, -3})));
                }
                h.skill->SwipeAction(*h.caster, Name(), 0, h.caster->GetCoords().GetPosition());
                if (h.skill->GetHandleState() == Skill_AttackTelekinesis::Handle_Reaching)
                    ++claims;
            } else if (h.skill->GetHandleState() == Skill_AttackTelekinesis::Handle_Holding && ++h.heldFrames > 8) {
                // Held wobbling over the head for a few frames of the looping cast, then thrown.
                h.heldFrames = 0;
                const Character* target = crowd[static_cast<size_t>(i) * crowd.size() / hurlers.size() / kCrowdRows];
                h.skill->ActivateNow(*h.caster, Name(), target->GetObjectId(), target->GetCoords().GetPosition());
                if (h.skill->GetHandleState() == Skill_AttackTelekinesis::Handle_Thrown)
                    ++throws;
            }
        }
        ++frame;
        for (Laser& l : lasers) {
            // The driving peer finds the chains and sends its results; they come back as the
            // laser's target results in the frame.
            if (!l.skill->IsLaserRunning()) {
                l.skill->ActivateNow(*l.boss, Name(), 0, l.boss->GetCoords().GetPosition());
            }
            for (size_t b = 0; b < Skill_ZoveradChainLaser::kBeams; ++b) {
                const ChainLaserBeam* beam = l.skill->GetBeam(b);
                if (beam && beam->IsInWorld() && !l.skill->IsBeamDone(b) && beam->GetTopPercent() > 0.0f) {
                    ++beamsDrawn;
                    ++l.drawn;
                }
            }
        }
    }
    void ResetCounts()
    {
        claims = throws = beamsDrawn = 0;
        for (size_t& n : handled)
            n = 0;
    }

    struct Hurler {
        Character* caster;
        Skill_AttackTelekinesis* skill;
        int heldFrames = 0;
    };
    struct Laser {
        Zoverad* boss;
        TyphonChained* chained;
        Skill_ZoveradChainLaser* skill;
        size_t drawn = 0;   // its beams seen drawn
    };
    Region* region = nullptr;
    std::vector<Character*> crowd;
    std::vector<Hurler> hurlers;
    std::vector<Laser> lasers;
    size_t frame = 0;
    size_t claims = 0;
    size_t throws = 0;
    size_t beamsDrawn = 0;       // beams seen drawn after a frame, summed over frames
    size_t handled[Skill_AttackTelekinesis::Handle_Thrown + 1] = {};   // casters in each state, per frame
};

void BM_TelekinesisAndChainLaserFrame(benchmark::State& state)
{
    SkillField field;
    if (field.hurlers.size() != kHurlers || field.lasers.size() != kLasers) {
        state.SkipWithError("the casters or the bosses were not made from their records");
        return;
    }
    // Settle in: every caster has claimed, carried and thrown, and the lasers have run,
    // which is checked before measuring (a measured run may be a single frame).
    for (int frame = 0; frame < 400; ++frame) {
        field.Drive();
        gEngine->UpdateFrame(16);
    }
    using H = Skill_AttackTelekinesis;
    for (const H::HandleState s : {H::Handle_Reaching, H::Handle_Lifting, H::Handle_MovingOverhead, H::Handle_Holding})
        if (field.handled[s] == 0) {
            state.SkipWithError(("no caster was seen in telekinesis state " + std::to_string(s)).c_str());
            return;
        }
    if (field.claims < kHurlers || field.throws < kHurlers) {
        state.SkipWithError("telekinesis did not claim and throw a rock for every caster");
        return;
    }
    if (std::any_of(field.lasers.begin(), field.lasers.end(), [](const SkillField::Laser& l) { return l.drawn == 0; })) {
        state.SkipWithError("a chain laser drew no beams on its chained creature");
        return;
    }
    field.ResetCounts();
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        field.Drive();
        gEngine->UpdateFrame(16);
    }
    ReportAllocations(state, before, "allocs_per_frame");
    // While measuring, the casters were handling their rocks and the beams were drawn.
    const size_t frames = static_cast<size_t>(state.iterations());
    const size_t handling = frames * field.hurlers.size() - field.handled[H::Handle_Idle];
    if (handling < frames * kHurlers / 2 || field.beamsDrawn == 0) {
        state.SkipWithError("the skills were not at work while measuring");
        return;
    }
    const auto perFrame = [&](size_t n) {
        return benchmark::Counter(static_cast<double>(n) / static_cast<double>(frames));
    };
    state.counters["handling_per_frame"] = perFrame(handling);
    state.counters["throws_per_frame"] = perFrame(field.throws);
    state.counters["beams_drawn_per_frame"] = perFrame(field.beamsDrawn);
}
BENCHMARK(BM_TelekinesisAndChainLaserFrame)->Unit(benchmark::kMillisecond);

}  // namespace
