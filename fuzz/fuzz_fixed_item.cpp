// Any bytes as a world object's replication byte and saved blob, for every kind of fixed
// item and of strategic movement point the class tree knows: the first byte chooses the
// kind, the second is the replication byte, the rest the saved blob. Whatever is read, the
// object keeps a state below 128 (a point: one of its five), runs its first frames in the
// world, and a blob that is taken saves again to a blob that reads back to itself.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "FuzzBytes.h"
#include "FuzzOptions.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/world/FixedItem.h"
#include "Game/world/StrategicMovementBase.h"

using namespace GAME;

namespace {

std::vector<std::string> gKinds;   // every creatable class under the two bases
Region* gRegion = nullptr;

void CollectKinds(const RTTI_ClassInfo& info)
{
    if (Object* made = ObjectManager::Get().CreateObject(info.GetName())) {
        gKinds.push_back(info.GetName());
        ObjectManager::Get().DestroyObjectEx(made, "fuzz", __LINE__);
    }
    for (int i = 0; i < info.GetChildCount(); ++i)
        CollectKinds(*info.GetChild(i));
}

std::vector<uint8_t> Bytes(const BinaryWriter& writer)
{
    return writer.GetBuffer() ? std::vector<uint8_t>(writer.GetBuffer(), writer.GetBuffer() + writer.GetLength())
                              : std::vector<uint8_t>();
}

void Frames()
{
    for (int i = 0; i < 3; ++i)
        gEngine->UpdateFrame(100);
}

void FuzzFixedItem(FixedItem& item, uint8_t replicated, const uint8_t* blob, size_t size)
{
    item.ReadReplicationData(replicated);
    item.ApplyReplicationData();
    Check(item.GetPendingState() == (replicated & FixedItem::kReplicatedStateMask));
    Check(item.IsLocked() == ((replicated & FixedItem::kReplicatedLockBit) != 0));
    BinaryReader reader(blob, size);
    if (item.RestoreState(reader)) {
        // Saved again, the item reads back from its own save to the same save.
        BinaryWriter writer;
        item.SaveState(writer);
        const std::vector<uint8_t> again = Bytes(writer);
        Check(again.size() == reader.GetPosition());
        BinaryReader reread(again.data(), again.size());
        Check(item.RestoreState(reread) && reread.GetRemaining() == 0);
        BinaryWriter third;
        item.SaveState(third);
        Check(Bytes(third) == again);
    }
    Check(World::Get().AddEntity(&item, WorldCoords(gRegion, Coords())));
    Frames();
    Check(item.GetCurrentState() <= FixedItem::kReplicatedStateMask);
    Check(item.GetPendingState() == FixedItemState_None);
    Check(item.WriteReplicationData() == ((item.IsLocked() ? FixedItem::kReplicatedLockBit : 0) |
                                          item.GetCurrentState()));
}

void FuzzPoint(StrategicMovementBase& point, const uint8_t* blob, size_t size)
{
    Check(World::Get().AddEntity(&point, WorldCoords(gRegion, Coords())));
    BinaryReader reader(blob, size);
    const StrategicMovementBaseState before = point.GetState();
    if (!point.RestoreState(reader))
        Check(point.GetState() == before);
    Frames();
    Check(point.GetState() <= StrategicMovementBase::kLastState);
    BinaryWriter writer;
    point.SaveState(writer);
    Check(writer.GetLength() == 4);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv);
    gEngine->SetLogSink([](const LogLine&) {});
    InitializeObjects();
    gRegion = World::Get().AddRegion(1, "Fuzz");
    CollectKinds(FixedItem::GetStaticClassInfo());
    CollectKinds(StrategicMovementBase::GetStaticClassInfo());
    ObjectManager::Get().FlushDestroyedObjects();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2 || gKinds.empty())
        return 0;
    FuzzBytes bytes(data, size);
    const std::string& kind = gKinds[bytes.Byte() % gKinds.size()];
    const uint8_t replicated = bytes.Byte();
    Object* object = ObjectManager::Get().CreateObject(kind.c_str());
    Check(object != nullptr);
    if (auto* item = DynamicCast<FixedItem>(object))
        FuzzFixedItem(*item, replicated, data + 2, size - 2);
    else if (auto* point = DynamicCast<StrategicMovementBase>(object))
        FuzzPoint(*point, data + 2, size - 2);
    World::Get().RemoveEntity(static_cast<Entity*>(object));
    ObjectManager::Get().DestroyObjectEx(object, "fuzz", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
