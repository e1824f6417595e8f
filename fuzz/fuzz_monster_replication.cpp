// A monster's replication image of any bytes, behind a packet header: read, then applied
// when the read succeeds. A read that fails must keep nothing. One monster takes every
// input, so what an input leaves behind meets the next.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/Journal.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"

using namespace GAME;

namespace {

constexpr const char* kMonsterRecord = "Records/Fuzz/Monster.dbr";
constexpr NetPacketType kImageType = 40;

Monster* gMonster = nullptr;

void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(kMonsterRecord, "Class,Monster,\n");
    records.RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
    records.RegisterRecord(Monster::kStubControllerRecord, "Class,ControllerMonster,\n");
    InitializeObjects();
    World::Get().AddRegion(1, "Fuzz");
    gMonster = ObjectManager::Get().CreateObjectFromFile<Monster>(kMonsterRecord);
    Check(gMonster != nullptr);
    Check(World::Get().AddEntity(gMonster, WorldCoords(World::Get().GetRegionById(1), Coords())));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<unsigned char> bytes = {kImageType, 0};
    bytes.insert(bytes.end(), data, data + size);
    NetPacketHeader header{kImageType};
    NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(bytes.size()));
    if (gMonster->ReadReplicationData(in)) {
        Check(gMonster->GetReplicationRecord() != nullptr);
        gMonster->ApplyReplicationData();
    } else {
        Check(!in.IsOk() && gMonster->GetReplicationRecord() == nullptr);
    }
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
