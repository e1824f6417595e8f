// A monster's level state of any bytes, restored into one monster that takes every input.
// A proxy parent that cannot be read leaves what follows it alone. The same bytes then
// restore a hidden monster, whose start-up must follow what was restored (popped out: it
// leaves its hidden start-up at once), and drive its quest commands as a peer would send them: an
// animation type and a point of any value.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "fuzz/FuzzMonster.h"
#include "Game/ai/ControllerMonsterHidden.h"
#include "Game/core/foundation/BinaryReader.h"
#include "tests/ai/ControllerAITestAccess.h"

using namespace GAME;

namespace {

Monster* gMonster = nullptr;
Monster* gHidden = nullptr;
ControllerMonsterHidden* gHiddenMind = nullptr;

template <class T>
T TakeFuzzValue(const uint8_t*& data, size_t& size)
{
    T value{};
    const size_t n = size < sizeof(T) ? size : sizeof(T);
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gMonster = MakeFuzzMonster();
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Fuzz/HiddenAI.dbr", "Class,ControllerMonsterHidden,\nappearDistance,4,\n");
    records.RegisterRecord("Records/Fuzz/Hidden.dbr", "Class,Monster,\ncontroller,Records/Fuzz/HiddenAI.dbr,\n");
    gHidden = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Fuzz/Hidden.dbr");
    FuzzCheck(gHidden != nullptr);
    FuzzCheck(World::Get().AddEntity(gHidden, WorldCoords(World::Get().GetRegionById(1), Coords())));
    gHidden->SetSpawnPoint(gHidden->GetCoords());
    gHiddenMind = DynamicCast<ControllerMonsterHidden>(gHidden->GetMonsterController());
    FuzzCheck(gHiddenMind != nullptr);
    gHiddenMind->AttachParent(gHidden->GetObjectId());
    gHiddenMind->Update(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool poppedBefore = gMonster->GetPoppedOut();
    BinaryReader reader(data, size);
    gMonster->RestoreState(reader);
    if (reader.HasFailed())   // popped out is read last: a failure leaves it alone
        FuzzCheck(gMonster->GetPoppedOut() == poppedBefore);

    gHidden->SetPoppedOut(false);
    BinaryReader again(data, size);
    gHidden->RestoreState(again);
    ControllerAITestAccess::SetState(*gHiddenMind, "Startup", ControllerAIStateData());
    // Popped out, it comes out at once (to Idle, or on to its restored leader's side).
    FuzzCheck((gHiddenMind->GetExecutingStateName() == "Startup") == !gHidden->GetPoppedOut());
    const uint32_t animation = TakeFuzzValue<uint32_t>(data, size);
    const bool looping = TakeFuzzValue<uint8_t>(data, size) & 1;
    gHiddenMind->QuestCommandPlayAnimation(animation, looping, true);
    const Vec3 point{TakeFuzzValue<float>(data, size), TakeFuzzValue<float>(data, size), TakeFuzzValue<float>(data, size)};
    gHiddenMind->QuestCommandMove(1, WorldVec3(World::Get().GetRegionById(1), point), true);
    gHiddenMind->SetMoveTerrainPoint(WorldVec3(World::Get().GetRegionById(1), point));
    ControllerAITestAccess::SetState(*gHiddenMind, "QuestWalk", ControllerAIStateData());
    gHiddenMind->Update(200);
    gHidden->SetPathPosition(WorldVec3(World::Get().GetRegionById(1), Vec3{}));
    // The completion commands the quest states queued run (and are freed) as in a frame.
    gEngine->RunActorCommands();

    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
