// The frame of a controlling character's skills: 40 skills of 3 modifiers each count
// their cooldowns down and recompute whether they may be used (mana, cooldown, weapons,
// level). Reports the time per skill and every heap allocation of the update.
#include <string>

#include <benchmark/benchmark.h>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillServicesBase.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

constexpr int kSkills = 40;
constexpr int kModifiers = 3;
constexpr int kFrameMs = 16;

// Counts the state updates; the benchmark only needs them not to vanish.
class CountingServices : public SkillServicesBase {
public:
    void SendSkillStateUpdate(uint32_t, const SkillState&) override { ++sent; }
    void SendSkillActiveUpdate(uint32_t, const SkillActiveState&) override { ++sent; }
    // The update sends states only: the other senders are never called here.
    void SetParent(Actor*) override {}
    void Dead() override {}
    void SendTargetResult(uint32_t, const std::vector<uint32_t>&, const WorldCoords&, uint32_t, uint32_t, bool) override {}
    void SendCreateProjectile(uint32_t, const WorldCoords&, uint32_t, const WorldVec3&, uint32_t, uint32_t) override {}
    void SendSpawnObject(uint32_t, const WorldCoords&, uint32_t, const std::vector<WorldCoords>&,
                         const std::vector<uint32_t>&, uint32_t) override {}
    void CreateUpdateSkillBuff(const SkillBuffTransfer&, const std::vector<Weapon_Type>&, bool) override {}
    void RemoveSkillBuff(const std::string&) override {}
    long long sent = 0;
};

void BM_ControllingSkillUpdate(benchmark::State& state)
{
    InitializeObjects();
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Bench/SkillOwner.dbr", "Class,Character,\ncharacterMana,500,\n");
    records.RegisterRecord("Records/Bench/Modifier.dbr",
                           "Class,Skill_Modifier,\nskillMaxLevel,5,\nskillManaCost,1;2;3,\n"
                           "skillCooldownReduction,5;10;15,\n");
    ObjectManager& objects = ObjectManager::Get();
    {
        CountingServices services;
        auto* character = objects.CreateObjectFromFile<Character>("Records/Bench/SkillOwner.dbr");
        SkillManager& manager = character->GetSkillManager();
        manager.SetSkillServices(&services);
        for (int i = 0; i < kSkills; ++i) {
            const std::string name = "Records/Bench/ActiveSkill" + std::to_string(i) + ".dbr";
            records.RegisterRecord(name, "Class,Skill,\nskillMaxLevel,10,\nskillManaCost,5;6;7,\n"
                                         "skillCooldownTime,0.5;0.4;0.3,\nSword,1,\nAxe,1,\n");
            auto* skill = objects.CreateObjectFromFile<Skill>(name);
            skill->SetManager(&manager);
            for (int m = 0; m < kModifiers; ++m) {
                auto* modifier = objects.CreateObjectFromFile<Skill_Modifier>("Records/Bench/Modifier.dbr");
                modifier->SetManager(&manager);
                modifier->SetSkillLevel(2);
                skill->AddModifier(modifier->GetObjectId());
            }
            skill->SetSkillLevel(3);
        }
        Skill* sample = objects.GetObject<Skill>(manager.FindSkillId("Records/Bench/ActiveSkill7.dbr"));
        int frame = 0;
        const long long before = gAllocations.load(std::memory_order_relaxed);
        for (auto _ : state) {
            manager.Update(kFrameMs);
            if (++frame % 64 == 0 && sample)   // a skill cools down again now and then
                sample->StartCooldown();
            benchmark::ClobberMemory();
        }
        ReportAllocations(state, before);
        state.counters["per_skill"] = benchmark::Counter(
            kSkills, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
        state.counters["updates_sent"] = static_cast<double>(services.sent);
        manager.SetSkillServices(nullptr);
    }
    ShutdownObjects();
    objects.DestroyAllObjects();
    records.Clear();
}
BENCHMARK(BM_ControllingSkillUpdate)->Unit(benchmark::kMicrosecond);

}  // namespace
