// One frame of the skill managers of 1,000 characters, each of five skills from one tree
// record: a mastery, two passives, an attack and a modifier of the attack. The manager's
// part (its frame: the skill totals gathered anew, then every skill's update) and the
// bio's collection of the skills' character attributes are measured apart and together.
// The whole frame is measured again with a buff and a debuff on every character: a passive
// buff that never runs out and a debuff whose damage ticks once a second; and again with
// a shield and a radius buff switched on as well (the characters stand outside the world,
// so the pulses find no one: the frame's own cost of the kinds is measured, not the
// world's search).
// Reports the time per character and every heap allocation of the measured loops.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/CharAttributeStore.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillManager.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

constexpr int kCharacters = 1000;
constexpr int kFrameMs = 16;
constexpr const char* kTree = "Records/Bench/Tree.dbr";

void RegisterRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Bench/Character.dbr",
                           "Class,Character,\ncharacterLife,300,\ncharacterMana,150,\n");
    // The mastery kind where it exists; a passive answers for it otherwise.
    const std::string mastery = "skillMaxLevel,32,\nskillUltimateLevel,32,\ncharacterStrength,4;8;12,\n"
                                "characterLife,10;20;30,\nMasteryEnumeration,MasteryWarfare,\n";
    records.RegisterRecord("Records/Bench/Mastery.dbr", "Class,Skill_Mastery,\n" + mastery);
    ObjectManager& objects = ObjectManager::Get();
    if (Skill* probe = objects.CreateObjectFromFile<Skill>("Records/Bench/Mastery.dbr"))
        objects.DestroyObjectEx(probe, "bench", __LINE__);
    else
        records.RegisterRecord("Records/Bench/Mastery.dbr", "Class,Skill_Passive,\n" + mastery);
    records.RegisterRecord("Records/Bench/Passive1.dbr",
                           "Class,Skill_Passive,\nskillMaxLevel,8,\ncharacterDexterity,2;4;6,\n"
                           "characterManaModifier,1;2;3,\nskillCooldownReduction,5;10;15,\n");
    records.RegisterRecord("Records/Bench/Passive2.dbr",
                           "Class,Skill_Passive,\nskillMaxLevel,8,\ncharacterIntelligence,3;6;9,\n"
                           "characterLifeModifier,2;4;6,\n");
    records.RegisterRecord("Records/Bench/Attack.dbr",
                           "Class,Skill,\nskillMaxLevel,10,\nskillManaCost,5;6;7,\nskillCooldownTime,0.5;0.4;0.3,\n");
    records.RegisterRecord("Records/Bench/Modifier.dbr",
                           "Class,Skill_Modifier,\nskillMaxLevel,5,\nskillManaCost,1;2;3,\n"
                           "characterStrength,1;2;3,\n");
    records.RegisterRecord("Records/Bench/Buff.dbr",
                           "Class,SkillBuff_Passive,\nskillMaxLevel,5,\ncharacterStrength,5;10;15,\n");
    records.RegisterRecord("Records/Bench/Debuff.dbr",
                           "Class,SkillBuff_Debuf,\nskillMaxLevel,5,\ncharacterDexterity,-5;-10;-15,\n"
                           "offensivePhysicalMin,2;3;4,\noffensivePhysicalMax,4;5;6,\n");
    records.RegisterRecord("Records/Bench/BuffModifier.dbr",
                           "Class,Skill_Modifier,\nskillMaxLevel,5,\ncharacterLife,5;10;15,\n");
    // The switched kinds: a shield that also adds strength, and a radius buff handing out
    // a buff of protection.
    records.RegisterRecord("Records/Bench/Shield.dbr",
                           "Class,Skill_BuffSelfShield,\nskillMaxLevel,5,\nphysicalDamageQualifier,1,\n"
                           "damageAbsorption,100,\ncharacterStrength,3;6;9,\n");
    records.RegisterRecord("Records/Bench/RallyBuff.dbr",
                           "Class,SkillBuff_Passive,\nskillMaxLevel,5,\nskillTargetRadius,6,\n"
                           "defensiveProtection,20,\n");
    records.RegisterRecord("Records/Bench/Rally.dbr",
                           "Class,Skill_BuffRadiusToggled,\nbuffSkillName,Records/Bench/RallyBuff.dbr,\n");
    records.RegisterRecord(kTree,
                           "Class,Record,\n"
                           "skillName1,Records/Bench/Mastery.dbr,\nskillLevel1,3,\n"
                           "skillName2,Records/Bench/Passive1.dbr,\nskillLevel2,2,\n"
                           "skillName3,Records/Bench/Passive2.dbr,\nskillLevel3,2,\n"
                           "skillName4,Records/Bench/Attack.dbr,\nskillLevel4,3,\n"
                           "skillName5,Records/Bench/Modifier.dbr,\nskillLevel5,2,\n");
}

// The characters, each driving its own skills, after a first frame.
constexpr const char* kSwitchedKinds[] = {"Records/Bench/Shield.dbr", "Records/Bench/Rally.dbr"};

struct Crowd {
    explicit Crowd(bool buffs = false, bool switched = false)
    {
        InitializeObjects();
        gEngine->SetLogSink([](const LogLine&) {});   // the characters' missing sound records
        RegisterRecords();
        ObjectManager& objects = ObjectManager::Get();
        for (int i = 0; i < kCharacters; ++i) {
            auto* character = objects.CreateObjectFromFile<Character>("Records/Bench/Character.dbr");
            SkillManager& manager = character->GetSkillManager();
            manager.SetAsControllingManager();
            manager.LoadSkills(kTree, 5);
            if (buffs) {
                manager.CreateRemoveSkillBuff(0, "Records/Bench/Buff.dbr", 2, "Records/Bench/BuffModifier.dbr", 1, "",
                                              0, 0, 1, false);
                manager.CreateRemoveSkillBuff(0, "Records/Bench/Debuff.dbr", 1, "", 0, "", 0, 0, 2, false);
            }
            if (switched)
                SwitchOn(*character);
            manager.Update(kFrameMs);
            managers.push_back(&manager);
        }
    }
    // The switched kinds learnt and switched on through their commands.
    void SwitchOn(Character& character)
    {
        SkillManager& manager = character.GetSkillManager();
        std::vector<SkillActivated*> skills;
        for (const char* record : kSwitchedKinds) {
            auto* skill = ObjectManager::Get().CreateObjectFromFile<SkillActivated>(record);
            if (!skill)
                continue;
            manager.AddSkill(skill);
            skill->SetSkillLevel(2);
            skill->Install(&character);
            skill->ActivateNow(character, Name(), 0, character.GetCoords().GetPosition());
            skills.push_back(skill);
        }
        gEngine->RunActorCommands();
        for (const SkillActivated* skill : skills)
            switched += skill->GetActiveState().active ? 1 : 0;
    }
    ~Crowd()
    {
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }
    void ManagerFrame()
    {
        for (SkillManager* manager : managers)
            manager->Update(kFrameMs);
    }
    float BioCollection()
    {
        float sum = 0.0f;
        for (SkillManager* manager : managers) {
            CharAttributeAccumulator totals;
            manager->GetCharAttributes(totals);
            sum += totals.GetValue(CharAttributeType_Strength);
        }
        return sum;
    }
    std::vector<SkillManager*> managers;
    int switched = 0;
};

void Report(benchmark::State& state, long long before)
{
    ReportAllocations(state, before);
    state.counters["per_character"] = benchmark::Counter(
        kCharacters, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SkillFrame_Manager(benchmark::State& state)
{
    Crowd crowd;
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        crowd.ManagerFrame();
        benchmark::ClobberMemory();
    }
    Report(state, before);
}
BENCHMARK(BM_SkillFrame_Manager)->Unit(benchmark::kMicrosecond);

void BM_SkillFrame_BioCollection(benchmark::State& state)
{
    Crowd crowd;
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state)
        benchmark::DoNotOptimize(crowd.BioCollection());
    Report(state, before);
}
BENCHMARK(BM_SkillFrame_BioCollection)->Unit(benchmark::kMicrosecond);

void BM_SkillFrame_Whole(benchmark::State& state)
{
    Crowd crowd;
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        crowd.ManagerFrame();
        benchmark::DoNotOptimize(crowd.BioCollection());
    }
    Report(state, before);
}
BENCHMARK(BM_SkillFrame_Whole)->Unit(benchmark::kMicrosecond);

void BM_SkillFrame_WholeWithBuffs(benchmark::State& state)
{
    Crowd crowd(true);
    if (crowd.managers.front()->GetUITempSkillList().size() != 2)
        state.SkipWithError("the buffs did not go on");
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        crowd.ManagerFrame();
        benchmark::DoNotOptimize(crowd.BioCollection());
    }
    Report(state, before);
}
BENCHMARK(BM_SkillFrame_WholeWithBuffs)->Unit(benchmark::kMicrosecond);

// The whole frame with the buff and debuff, the shield and the radius buff on.
void BM_SkillFrame_WholeWithSwitchedKinds(benchmark::State& state)
{
    Crowd crowd(true, true);
    if (crowd.switched != kCharacters * 2)
        state.SkipWithError("the switched kinds did not all go on");
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        crowd.ManagerFrame();
        benchmark::DoNotOptimize(crowd.BioCollection());
    }
    Report(state, before);
}
BENCHMARK(BM_SkillFrame_WholeWithSwitchedKinds)->Unit(benchmark::kMicrosecond);

}  // namespace
