// A statue's level state of any bytes, restored into one statue that takes every input:
// the monster's block, then the risen flag. A flag that cannot be read leaves it as it was.
#include <cstddef>
#include <cstdint>

#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "fuzz/FuzzMonster.h"
#include "Game/ai/ControllerSpirit.h"
#include "Game/core/foundation/BinaryReader.h"

using namespace GAME;

namespace {

SpiritHost* gStatue = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    MakeFuzzMonster();
    RecordDatabase::Get().RegisterRecord("Records/Fuzz/Statue.dbr", "Class,SpiritHost,\n");
    gStatue = ObjectManager::Get().CreateObjectFromFile<SpiritHost>("Records/Fuzz/Statue.dbr");
    FuzzCheck(gStatue != nullptr);
    FuzzCheck(World::Get().AddEntity(gStatue, WorldCoords(World::Get().GetRegionById(1), Coords())));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool risenBefore = gStatue->IsAnimated();
    BinaryReader reader(data, size);
    gStatue->RestoreState(reader);
    if (reader.HasFailed())
        FuzzCheck(gStatue->IsAnimated() == risenBefore);
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
