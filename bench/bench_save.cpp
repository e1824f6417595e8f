// The character save of a full character: 36 tutorial pages, 100 places per list and
// difficulty, every part's block as it stands, then its 200 tokens, in one stream. Each
// is written and read to memory and to a file, beside memcpy of the same bytes.
//
//  - BM_SaveToMemory / BM_LoadFromMemory: the character through the stream in memory
//    (a load goes into a fresh player, made and destroyed outside the timing).
//  - BM_SaveToFile: written to a temporary file, synced and renamed over the old one, as
//    the game saves. BM_SaveToFileNoSync writes and renames the same bytes without the
//    syncs, so the difference is the sync alone.
//  - BM_LoadFromFile: the file read and the character read from it.
//  - BM_Memcpy: the same number of bytes copied.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/TriggerToken.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"

namespace {

using namespace GAME;

constexpr const char* kPlayerRecord = "Records/Bench/Player.dbr";
constexpr int kPlaces = 100;
constexpr int kTokens = 200;

struct World {
    World()
    {
        gEngine->SetLogSink([](const LogLine&) {});
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
        records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
        records.RegisterRecord(kPlayerRecord, "Class,Player,\n");
        InitializeObjects();
        for (unsigned page = 0; page < 36; ++page)
            gGameEngine->UnlockTutorialPage(page, false);
        player = Fresh();
        player->SetPlayerName(u"A hero of the benchmark");
        for (int difficulty = 0; difficulty < 3; ++difficulty) {
            gGameEngine->SetGameDifficulty(static_cast<GameDifficulty>(difficulty));
            for (int i = 0; i < kPlaces; ++i) {
                UniqueId id;
                id.SetPart(0, static_cast<uint32_t>(difficulty));
                id.SetPart(1, static_cast<uint32_t>(i));
                player->AddTeleportUID(id);
                id.SetPart(2, 1);
                player->AddMarkerUID(id);
                id.SetPart(2, 2);
                player->AddRespawnUID(id);
            }
        }
        gGameEngine->SetGameDifficulty(GameDifficulty_Normal);
        IOStreamWrite tokens;
        int32_t version = 1, count = kTokens;
        tokens.StreamInt32("versionNumber", version);
        tokens.BeginBlock();
        tokens.StreamInt32("numberOfTriggerTokens", count);
        for (int i = 0; i < kTokens; ++i) {
            std::string name = "QuestToken" + std::to_string(i);
            tokens.StreamString("tokenName", name);
        }
        tokens.EndBlock();
        IOStreamRead in(tokens.GetBytes().data(), tokens.GetBytes().size());
        player->StreamPropertiesQuestTokens(in);
        IOStreamWrite out;
        Write(*player, out);
        bytes.assign(out.GetBytes().begin(), out.GetBytes().end());
    }
    // The character, then its tokens, in one stream.
    static bool Write(Player& player, IOStreamWrite& out)
    {
        return player.StreamProperties(out) && player.StreamPropertiesQuestTokens(out);
    }
    static bool Read(Player& player, IOStreamRead& in)
    {
        return player.StreamProperties(in) && player.StreamPropertiesQuestTokens(in);
    }
    static Player* Fresh()
    {
        auto* fresh = ObjectManager::Get().CreateObjectFromFile<Player>(kPlayerRecord);
        fresh->SetIsControllingCharacter(true);
        return fresh;
    }
    Player* player = nullptr;
    std::vector<unsigned char> bytes;
    std::string path = "/tmp/bench_save_" + std::to_string(::getpid()) + ".chr";
};

World& Get()
{
    static World world;
    return world;
}

void Report(benchmark::State& state, size_t bytes)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_SaveToMemory(benchmark::State& state)
{
    World& world = Get();
    for (auto _ : state) {
        IOStreamWrite out;
        World::Write(*world.player, out);
        benchmark::DoNotOptimize(out.GetBytes().data());
    }
    Report(state, world.bytes.size());
}
BENCHMARK(BM_SaveToMemory);

// Fresh players, made and destroyed outside the timing, each read from the stream `open`
// makes.
template <class Open>
void LoadLoop(benchmark::State& state, Open open)
{
    for (auto _ : state) {
        state.PauseTiming();
        Player* fresh = World::Fresh();
        state.ResumeTiming();
        IOStreamRead in = open();
        if (!World::Read(*fresh, in))
            state.SkipWithError("the save did not read");
        state.PauseTiming();
        ObjectManager::Get().DestroyObjectEx(fresh, "bench", __LINE__);
        ObjectManager::Get().FlushDestroyedObjects();
        state.ResumeTiming();
    }
    Report(state, Get().bytes.size());
}

void BM_LoadFromMemory(benchmark::State& state)
{
    World& world = Get();
    LoadLoop(state, [&world] { return IOStreamRead(world.bytes.data(), world.bytes.size()); });
}
BENCHMARK(BM_LoadFromMemory);

void BM_SaveToFile(benchmark::State& state)
{
    World& world = Get();
    for (auto _ : state) {
        IOStreamWrite out(world.path);
        World::Write(*world.player, out);
        if (!out.Close())
            state.SkipWithError("the file was not written");
    }
    Report(state, world.bytes.size());
}
BENCHMARK(BM_SaveToFile)->UseRealTime();

// The stream's file write without its two syncs: a temporary file written, closed and
// renamed over the target.
void BM_SaveToFileNoSync(benchmark::State& state)
{
    World& world = Get();
    const std::string temporary = world.path + ".nosync.tmp";
    for (auto _ : state) {
        IOStreamWrite out;
        World::Write(*world.player, out);
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const auto bytes = out.GetBytes();
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            state.SkipWithError("the file was not written");
        ::close(fd);
        ::rename(temporary.c_str(), (world.path + ".nosync").c_str());
    }
    Report(state, world.bytes.size());
}
BENCHMARK(BM_SaveToFileNoSync)->UseRealTime();

void BM_LoadFromFile(benchmark::State& state)
{
    World& world = Get();
    {
        IOStreamWrite out(world.path);
        World::Write(*world.player, out);
        out.Close();
    }
    LoadLoop(state, [&world] { return IOStreamRead(world.path); });
}
BENCHMARK(BM_LoadFromFile);

void BM_Memcpy(benchmark::State& state)
{
    World& world = Get();
    std::vector<unsigned char> copy(world.bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), world.bytes.data(), world.bytes.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    Report(state, world.bytes.size());
}
BENCHMARK(BM_Memcpy);

}  // namespace
