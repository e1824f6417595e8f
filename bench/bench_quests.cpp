// The quest repository's frame: 50 quests with 400 active triggers (8 a quest, each
// waiting for a herd of kills it never reaches), and 1,000 game events a second routed
// by record name at 60 frames a second (17 a frame; half name a creature some condition
// waits for, half one nobody does). Measured: one frame's Update and its events, and one
// event routed alone, with the heap allocations of each counted (none are expected).
// Beside them, the same look-ups in a std::unordered_map keyed by the normalised name.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "AllocationCounter.h"
#include "Engine/EventManager.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "Engine/World.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestRepository.h"

using namespace GAME;

namespace {

constexpr int kQuests = 50;
constexpr int kTriggersPerQuest = 8;
constexpr int kEventsPerFrame = 17;
constexpr int kFrameMs = 16;

std::string CreatureRecord(int n)
{
    return "Records/Creatures/Bench/Monster" + std::to_string(n) + ".dbr";
}

// Writes the quest files into a fresh folder and loads them.
struct QuestWorld {
    QuestWorld()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "bench-quests-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            return;
        folder = pattern;
        RecordDatabase::Get().SetDataRoot(folder);
        for (int q = 0; q < kQuests; ++q) {
            Quest quest(0);
            quest.SetName("Bench " + std::to_string(q));
            QuestStep* step = quest.AddNewQuestStep();
            for (int t = 0; t < kTriggersPerQuest; ++t) {
                auto made = TriggerConditionFactory::Get().Create("Condition_KillCreatureHerd", 0);
                auto* herd = static_cast<Condition_KillCreatureHerd*>(made.get());
                herd->SetCreatureRecord(CreatureRecord((q * kTriggersPerQuest + t) % 100));
                herd->SetCreatureCount(1 << 30);
                step->AddNewTrigger()->AddCondition(std::move(made));
            }
            IOStreamWrite stream;
            quest.Serialize(stream);
            stream.Close();
            const std::string name = "Quest" + std::to_string(q) + ".qst";
            std::ofstream(folder + "/" + name, std::ios::binary)
                .write(reinterpret_cast<const char*>(stream.GetBytes().data()),
                       static_cast<std::streamsize>(stream.GetBytes().size()));
            World::Get().AddQuestFile(name);
        }
        QuestRepository::Get()->Load();
        // Half the events name a creature that 4 conditions wait for, half one nobody does.
        for (int e = 0; e < kEventsPerFrame; ++e) {
            GameEvent_CreatureDeath death;
            death.objectName = e % 2 ? CreatureRecord(e * 7 % 100) : "Records/Creatures/Bench/Nobody" + std::to_string(e) + ".dbr";
            death.objectId = 0x7000000u + static_cast<uint32_t>(e);
            events.push_back(death);
        }
    }
    ~QuestWorld()
    {
        QuestRepository::Get()->Reset();
        World::Get().Reset();
        std::filesystem::remove_all(folder);
    }

    std::string folder;
    std::vector<GameEvent_CreatureDeath> events;
};

QuestWorld& World50()
{
    static QuestWorld world;
    return world;
}

void BM_QuestFrame(benchmark::State& state)
{
    QuestWorld& world = World50();
    QuestRepository* quests = QuestRepository::Get();
    EventManager& events = EventManager::Get();
    for (const GameEvent_CreatureDeath& death : world.events)   // the routing copies grow once
        events.Send(death, "GameEvent_CreatureDeath");
    const long long before = gAllocations.load();
    for (auto _ : state) {
        quests->Update(kFrameMs);
        for (const GameEvent_CreatureDeath& death : world.events)
            events.Send(death, "GameEvent_CreatureDeath");
    }
    state.counters["active_triggers"] = static_cast<double>(quests->GetActiveTriggerCount());
    state.counters["allocs_per_frame"] =
        static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_QuestFrame);

void BM_QuestRouteOneEvent(benchmark::State& state)
{
    QuestWorld& world = World50();
    EventManager& events = EventManager::Get();
    const GameEvent_CreatureDeath& death = world.events[1];
    events.Send(death, "GameEvent_CreatureDeath");
    const long long before = gAllocations.load();
    for (auto _ : state)
        events.Send(death, "GameEvent_CreatureDeath");
    state.counters["allocs_per_event"] =
        static_cast<double>(gAllocations.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_QuestRouteOneEvent);

// The peer: the same look-up of an event's record in a hash map of normalised names,
// normalising a copy of the name per event as a plain map would need.
void BM_UnorderedMapRouteOneEvent(benchmark::State& state)
{
    QuestWorld& world = World50();
    std::unordered_map<std::string, std::vector<int>> table;
    for (int n = 0; n < 100; ++n)
        table[GetNormalizedPath(CreatureRecord(n))] = {n, n + 1, n + 2, n + 3};
    const std::string& name = world.events[1].objectName;
    long long sum = 0;
    for (auto _ : state) {
        auto found = table.find(GetNormalizedPath(name));
        if (found != table.end())
            for (int value : found->second)
                sum += value;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_UnorderedMapRouteOneEvent);

}  // namespace
