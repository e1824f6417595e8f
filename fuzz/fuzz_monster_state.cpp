// A monster's level state of any bytes, restored into one monster that takes every input.
// A proxy parent that cannot be read leaves what follows it alone.
#include <cstddef>
#include <cstdint>

#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "fuzz/FuzzMonster.h"
#include "Game/core/foundation/BinaryReader.h"

using namespace GAME;

namespace {

Monster* gMonster = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gMonster = MakeFuzzMonster();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool poppedBefore = gMonster->GetPoppedOut();
    BinaryReader reader(data, size);
    gMonster->RestoreState(reader);
    if (reader.HasFailed())   // popped out is read last: a failure leaves it alone
        FuzzCheck(gMonster->GetPoppedOut() == poppedBefore);
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
