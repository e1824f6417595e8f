// A level's world objects through whole engine frames of 16 ms: 500 fixed items and 200
// strategic movement points (markers, respawn and teleport shrines, most of them not yet
// discovered) with 4 players walking among them, one of them the local player.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/world/FixedItem.h"
#include "Game/world/StrategicMovementBase.h"

namespace {

using namespace GAME;

constexpr int kFixedItems = 500;
constexpr int kPoints = 200;
constexpr int kPlayers = 4;
constexpr float kSide = 200.0f;   // the level is a square of this side

void BM_WorldObjectsFrame(benchmark::State& state)
{
    gEngine->SetLogSink([](const LogLine&) {});
    InitializeObjects();
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Bench/Chest.dbr", "Class,FixedItem,\nmesh,Chest.msh,\n");
    const char* const kinds[] = {"StrategicMovementMarker", "StrategicMovementRespawnShrine",
                                 "StrategicMovementTeleportShrine"};
    for (const char* kind : kinds)
        records.RegisterRecord(std::string("Records/Bench/") + kind + ".dbr",
                               std::string("Class,") + kind + ",\nbindDistance,4,\nhealthPercent,1,\n");
    Region* region = World::Get().AddRegion(1, "Bench");
    ObjectManager& objects = ObjectManager::Get();
    auto at = [&](float x, float z) { return WorldCoords(region, Coords::MakeTranslation({x, 0, z})); };

    for (int i = 0; i < kFixedItems; ++i) {
        auto* item = objects.CreateObjectFromFile<FixedItem>("Records/Bench/Chest.dbr");
        World::Get().AddEntity(item, at(std::fmod(i * 7.3f, kSide), std::fmod(i * 3.1f, kSide)));
    }
    for (int i = 0; i < kPoints; ++i) {
        auto* point = objects.CreateObjectFromFile<StrategicMovementBase>(std::string("Records/Bench/") +
                                                                          kinds[i % 3] + ".dbr");
        UniqueId id;
        id.SetPart(0, static_cast<uint32_t>(i + 1));
        point->SetUniqueId(id);
        const float x = std::fmod(i * 17.9f, kSide), z = std::fmod(i * 11.3f, kSide);
        InstanceGroupManager::Get().RegisterEntityData(id, {1, {x, 0, z}});
        World::Get().AddEntity(point, at(x, z));
    }
    std::vector<Player*> players;
    for (int i = 0; i < kPlayers; ++i) {
        auto* player = DynamicCast<Player>(objects.CreateObject("Player"));
        World::Get().AddEntity(player, at(10.0f * i, 10.0f * i));
        players.push_back(player);
    }
    players[0]->SetIsControllingCharacter(true);
    gGameEngine->GetPlayerManagerClient()->SetMainPlayer(players[0]->GetObjectId());
    gEngine->UpdateFrame(16);   // every object's first update

    int frame = 0;
    for (auto _ : state) {
        ++frame;
        for (int i = 0; i < kPlayers; ++i) {
            const float angle = 0.002f * frame + 1.57f * i;
            World::Get().AddEntity(players[i], at(kSide / 2 + (40.0f + 10.0f * i) * std::cos(angle),
                                                  kSide / 2 + (40.0f + 10.0f * i) * std::sin(angle)));
        }
        gEngine->UpdateFrame(16);
    }
    state.counters["objects"] = static_cast<double>(World::Get().GetEntityCount());
    ShutdownObjects();
    objects.DestroyAllObjects();
    World::Get().Reset();
    InstanceGroupManager::Get().Clear();
}
BENCHMARK(BM_WorldObjectsFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
