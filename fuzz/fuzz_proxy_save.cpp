// Any bytes as a spawn proxy's and an ambush proxy's saved level state. The first byte
// splits the rest: that many bytes (modulo the size) are the proxy's state, the others
// the ambush's. A failed read must leave the proxy as it was; the ambush keeps only the
// monsters read before a cut, never more than its bound, each an object that exists. A
// fresh ambush takes every input, so nothing one input restores meets the next.
#include <cstddef>
#include <cstdint>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "fuzz/FuzzBytes.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/world/Proxy.h"
#include "Game/world/ProxyAmbush.h"

using namespace GAME;

namespace {

constexpr const char* kProxyRecord = "Records/Fuzz/Proxy.dbr";
constexpr const char* kAmbushRecord = "Records/Fuzz/Ambush.dbr";

Proxy* gProxy = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(kProxyRecord, "Class,Proxy,\n");
    records.RegisterRecord(kAmbushRecord, "Class,ProxyAmbush,\nalertArea,5,\n");
    records.RegisterRecord("Records/Fuzz/Beast.dbr", "Class,Actor,\n");
    InitializeObjects();
    World::Get().AddRegion(1, "Fuzz");
    gProxy = ObjectManager::Get().CreateObjectFromFile<Proxy>(kProxyRecord);
    Check(gProxy != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t split = data[0] % size;
    const uint8_t* body = data + 1;
    const size_t bodySize = size - 1;
    const size_t proxyBytes = split < bodySize ? split : bodySize;

    const bool wasSpent = gProxy->IsSpent();
    BinaryReader proxyReader(body, proxyBytes);
    if (!gProxy->RestoreState(proxyReader))
        Check(gProxy->IsSpent() == wasSpent);

    ObjectManager& objects = ObjectManager::Get();
    auto* ambush = objects.CreateObjectFromFile<ProxyAmbush>(kAmbushRecord);
    Check(ambush != nullptr);
    BinaryReader ambushReader(body + proxyBytes, bodySize - proxyBytes);
    ambush->RestoreState(ambushReader);
    Check(ambush->GetWaitingObjects().size() <= ProxyAmbush::kMaxSavedObjects);
    for (uint32_t id : ambush->GetWaitingObjects())
        Check(objects.GetObject<Entity>(id) != nullptr);
    Check(ambushReader.GetPosition() <= bodySize - proxyBytes);
    objects.DestroyObjectEx(ambush, __FILE__, __LINE__);
    objects.FlushDestroyedObjects();
    return 0;
}
