// A non-player character's level state and replication image of any bytes. The first byte
// splits the rest: that many bytes (modulo the size) are the level state, the others the
// replication image behind a packet header. A local player holds saved dialog and
// illumination entries, one naming a quest action and one naming none, so restoring runs
// those paths too. A read that fails must keep nothing; an image read must apply. One character takes
// every input, so what an input leaves behind meets the next.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Engine/Engine.h"
#include "fuzz/FuzzBytes.h"
#include "Engine/GameServices.h"
#include "Engine/Journal.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/quests/QuestRepository.h"
#include "Game/quests/QuestTargetedActions.h"

using namespace GAME;

namespace {

constexpr const char* kNpcRecord = "Records/Fuzz/Npc.dbr";
constexpr const char* kDialogRecord = "Records/Fuzz/Dialog.dbr";
constexpr NetPacketType kImageType = 31;
constexpr uint32_t kPlayerId = 0x0FFFFF00;

// One character for every input: making a character per input would spend most of the
// run on its record.
Npc* gNpc = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(kNpcRecord, "Class,Npc,\n");
    records.RegisterRecord(kDialogRecord, "Class,NpcDialogPak,\n");
    records.RegisterRecord(Npc::kNpcControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord(Npc::kQuestion01, "Class,Actor,\n");
    records.RegisterRecord(Npc::kExclamation02, "Class,Actor,\n");
    InitializeObjects();
    World::Get().AddRegion(1, "Fuzz");
    auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player", kPlayerId));
    Check(player != nullptr);
    gGameEngine->GetPlayerManagerClient()->SetMainPlayer(player->GetObjectId());
    player->AddNpcIllumination(NpcIlluminationData{kNpcRecord, 7});
    player->AddNpcDialog(NpcDialogData{kNpcRecord, 8});   // names no action
    QuestRepository::Get()->AddAction(std::make_unique<Action_IlluminateNpc>(7, kNpcRecord, 1));
    gNpc = ObjectManager::Get().CreateObjectFromFile<Npc>(kNpcRecord);
    Check(gNpc != nullptr);
    Check(World::Get().AddEntity(gNpc, WorldCoords(World::Get().GetRegionById(1), Coords())));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t split = 1 + data[0] % size;
    Npc* npc = gNpc;

    BinaryReader reader(data + 1, split - 1);
    const int timerBefore = npc->GetDialogTimer();
    npc->RestoreState(reader);
    if (reader.HasFailed())   // the timer is read last: a failure leaves it alone
        Check(npc->GetDialogTimer() == timerBefore);

    std::vector<unsigned char> bytes = {kImageType, 0};
    bytes.insert(bytes.end(), data + split, data + size);
    NetPacketHeader header{kImageType};
    NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(bytes.size()));
    if (npc->ReadReplicationData(in))
        npc->ApplyReplicationData();
    else
        Check(!in.IsOk());
    ObjectManager::Get().FlushDestroyedObjects();   // marks replaced by the restore
    // The journal keeps what the marks' attaching recorded; emptied, it does not look
    // like memory the input leaked (which would run the leak check on every input).
    Journal::Get().Clear();
    return 0;
}
