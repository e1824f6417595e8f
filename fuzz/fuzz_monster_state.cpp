// A monster's level state of any bytes, restored into one monster that takes every input.
// A proxy parent that cannot be read leaves what follows it alone.
#include <cstddef>
#include <cstdint>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/BinaryReader.h"

using namespace GAME;

namespace {

constexpr const char* kMonsterRecord = "Records/Fuzz/Monster.dbr";

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
    const bool poppedBefore = gMonster->GetPoppedOut();
    BinaryReader reader(data, size);
    gMonster->RestoreState(reader);
    if (reader.HasFailed())   // popped out is read last: a failure leaves it alone
        Check(gMonster->GetPoppedOut() == poppedBefore);
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
