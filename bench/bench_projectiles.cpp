// One engine frame of 16 ms with 1,000 fireball-like projectiles flying among 100 monsters
// in one region. Each projectile carries three modifiers: the firing skill's own with an
// explosion radius, a second skill's piercing one and a third skill's fragments (two short
// fireballs per hit). Projectiles that end are replaced before the next frame, so every
// frame starts with 1,000 in the air (fragments count among them). Reported: the time per
// frame and the heap allocations per frame (every allocation of the program is counted).
#include <cstdint>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/ProjectileKinds.h"
#include "Game/skills/Skill.h"

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

}  // namespace
