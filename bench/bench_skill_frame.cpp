// One frame of the skill managers of 1,000 characters, each of five skills from one tree
// record: a mastery, two passives, an attack and a modifier of the attack. The manager's
// part (its frame: the skill totals gathered anew, then every skill's update) and the
// bio's collection of the skills' character attributes are measured apart and together.
// The whole frame is measured again with a buff and a debuff on every character: a passive
// buff that never runs out and a debuff whose damage ticks once a second; and again with
// a shield and a radius buff switched on as well. For that case the characters stand in
// the world on a grid, one team, each radius buff reaching its eight neighbours: every
// second each one's pulse searches the world and hands its buff of protection to the
// friends it finds (the commands it queues run after the skills, as the engine runs
// them), the switch-ons spread over the second as players' would be.
// Reports the time per character and every heap allocation of the measured loops.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/combat/CharAttributeStore.h"
#include "Game/core/GameEngine.h"
#include "Game/core/Team.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillManager.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

constexpr int kCharacters = 1000;
constexpr int kFrameMs = 16;
constexpr const char* kTree = "Records/Bench/Tree.dbr";
// The grid of the switched case: 4 apart, so that a radius of 6 reaches the eight
// neighbours (5.66 away on the diagonals) and the character itself.
constexpr int kColumns = 32;
constexpr float kSpacing = 4.0f;
constexpr int kFramesPerPulse = 1000 / kFrameMs + 1;

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
    // a buff of protection. The radius is a modifier, 0 past its array: one a level.
    records.RegisterRecord("Records/Bench/Shield.dbr",
                           "Class,Skill_BuffSelfShield,\nskillMaxLevel,5,\nphysicalDamageQualifier,1,\n"
                           "damageAbsorption,100,\ncharacterStrength,3;6;9,\n");
    records.RegisterRecord("Records/Bench/RallyBuff.dbr",
                           "Class,SkillBuff_Passive,\nskillMaxLevel,5,\nskillTargetRadius,6;6;6,\n"
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
    explicit Crowd(bool buffs = false, bool switched = false) : inWorld(switched)
    {
        InitializeObjects();
        gEngine->SetLogSink([](const LogLine&) {});   // the characters' missing sound records
        RegisterRecords();
        ObjectManager& objects = ObjectManager::Get();
        Region* region = inWorld ? World::Get().AddRegion(1, "Field") : nullptr;
        std::vector<Character*> characters;
        for (int i = 0; i < kCharacters; ++i) {
            auto* character = objects.CreateObjectFromFile<Character>("Records/Bench/Character.dbr");
            characters.push_back(character);
            if (!region)
                continue;
            const Vec3 at{static_cast<float>(i % kColumns) * kSpacing, 0.0f, static_cast<float>(i / kColumns) * kSpacing};
            World::Get().AddEntity(character, WorldCoords(region, Coords::MakeTranslation(at)));
            Team team;
            team.Set(kTeamMajorHuman, 1);
            character->SetTeam(team);
        }
        if (region)
            World::Get().UpdateActors(0);   // their first update, which makes them targets
        for (int i = 0; i < kCharacters; ++i) {
            Character* character = characters[static_cast<size_t>(i)];
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
            // The switch-ons spread over a pulse's second.
            manager.Update(switched ? kFrameMs * (1 + i % kFramesPerPulse) : kFrameMs);
            managers.push_back(&manager);
        }
        // A second of frames: every pulse has handed its buff out once.
        if (inWorld)
            for (int frame = 0; frame < kFramesPerPulse; ++frame)
                ManagerFrame();
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
        World::Get().Reset();
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
    }
    void ManagerFrame()
    {
        for (SkillManager* manager : managers)
            manager->Update(kFrameMs);
        if (inWorld) {
            gEngine->RunActorCommands();
            ObjectManager::Get().FlushDestroyedObjects();
        }
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
    // Every character holds the buff its neighbours hand it, beside its own two.
    bool EveryoneHanded() const
    {
        for (const SkillManager* manager : managers)
            if (manager->GetUITempSkillList().size() != 3)
                return false;
        return true;
    }
    std::vector<SkillManager*> managers;
    bool inWorld = false;
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
    if (!crowd.EveryoneHanded())
        state.SkipWithError("the radius buffs did not reach everyone");
    // The mastery's 12, the buff's 10 and the shield's 6 strength, through the collectors.
    if (crowd.BioCollection() != 28.0f * kCharacters)
        state.SkipWithError("the strength of the passives, the buff and the shield did not all count");
    const long long before = gAllocations.load(std::memory_order_relaxed);
    for (auto _ : state) {
        crowd.ManagerFrame();
        benchmark::DoNotOptimize(crowd.BioCollection());
    }
    Report(state, before);
}
BENCHMARK(BM_SkillFrame_WholeWithSwitchedKinds)->Unit(benchmark::kMicrosecond);

}  // namespace
