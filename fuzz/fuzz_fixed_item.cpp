// Any bytes as what a peer or a save feeds a world object, for every kind of fixed item
// and of strategic movement point the class tree knows. The input:
//   kind (1 byte), replication length (1 byte) and the replication data (the item's byte
//   and what its kind adds: a portal's unique id), saved-blob length (1 byte) and the blob,
//   then commands a peer sends the item: type (1 byte: a target list or a skill's target
//   list), length (1 byte) and the packet's body.
// Whatever is read, the item keeps a state below 128 (a point: one of its five), runs its
// first frames in the world, a blob that is taken saves again to a blob that reads back to
// itself, and a peer's target list makes at most one monster per command, whatever its
// length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "FuzzBytes.h"
#include "FuzzOptions.h"
#include "Game/characters/Monster.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemTeleport.h"
#include "Game/world/StrategicMovementBase.h"

using namespace GAME;

namespace {

// The record each kind is made from: with a trap that makes a monster, so that a peer's
// skill targets reach the spawning.
std::vector<std::string> gRecords;
Region* gRegion = nullptr;
constexpr const char* kSpawnSkill = "Records/Fuzz/FixedItemSpawn.dbr";
constexpr const char* kMonster = "Records/Fuzz/FixedItemMonster.dbr";
constexpr NetPacketType kImageType = 40;
constexpr NetPacketType kCommandTypes[] = {FixedItemTargetConfigCmdPacket::kType,
                                           FixedItemSkillTargetConfigCmdPacket::kType};

void CollectKinds(const RTTI_ClassInfo& info)
{
    if (Object* made = ObjectManager::Get().CreateObject(info.GetName())) {
        const std::string record = std::string("Records/Fuzz/") + info.GetName() + ".dbr";
        RecordDatabase::Get().RegisterRecord(record, std::string("Class,") + info.GetName() +
                                                         ",\nskillName," + kSpawnSkill + ",\nskillDelay,0.1,\n");
        gRecords.push_back(record);
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

std::vector<uint8_t> Take(FuzzBytes& bytes)
{
    std::vector<uint8_t> out(bytes.Byte());
    for (uint8_t& byte : out)
        byte = bytes.Byte();
    return out;
}

void Frames()
{
    for (int i = 0; i < 3; ++i) {
        gEngine->UpdateFrame(100);
        gEngine->RunActorCommands();
    }
}

struct MonsterFilter : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override { return DynamicCast<Monster>(entity) != nullptr; }
};

size_t CountMonsters()
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, MonsterFilter(), EntityList_All);
    return found.size();
}

void RemoveMonsters()
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, MonsterFilter(), EntityList_All);
    for (Entity* monster : found) {
        World::Get().RemoveEntity(monster);
        ObjectManager::Get().DestroyObjectEx(monster, "fuzz", __LINE__);
    }
}

void FuzzReplication(FixedItem& item, const std::vector<uint8_t>& image)
{
    std::vector<unsigned char> bytes = {kImageType, 0};
    bytes.insert(bytes.end(), image.begin(), image.end());
    NetPacketHeader header{kImageType};
    NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(bytes.size()));
    auto* portal = DynamicCast<FixedItemTeleport>(&item);
    const UniqueId before = portal ? portal->GetUniqueId() : UniqueId();
    if (!item.ReadReplicationData(in)) {
        item.ApplyReplicationData();
        Check(item.GetPendingState() == FixedItemState_None && !item.IsLocked());
        Check(!portal || portal->GetUniqueId() == before);
        return;
    }
    item.ApplyReplicationData();
    Check(item.GetPendingState() == (image[0] & FixedItem::kReplicatedStateMask));
    Check(item.IsLocked() == ((image[0] & FixedItem::kReplicatedLockBit) != 0));
    if (portal && image.size() >= 18 && image[1] == 1)
        for (unsigned i = 0; i < UniqueId::kPartCount; ++i)
            Check(portal->GetUniqueId().GetPart(i) == (uint32_t(image[2 + 4 * i]) | uint32_t(image[3 + 4 * i]) << 8 |
                                                       uint32_t(image[4 + 4 * i]) << 16 |
                                                       uint32_t(image[5 + 4 * i]) << 24));
}

void FuzzSave(FixedItem& item, const std::vector<uint8_t>& blob)
{
    BinaryReader reader(blob.data(), blob.size());
    if (!item.RestoreState(reader))
        return;
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

// A peer's command for the item: whatever the list holds, one command makes at most one
// monster.
void FuzzCommand(FixedItem& item, NetPacketType type, const std::vector<uint8_t>& body)
{
    std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(type);
    Check(packet != nullptr);
    std::vector<unsigned char> bytes = {static_cast<unsigned char>(type & 0xFF), static_cast<unsigned char>(type >> 8)};
    bytes.insert(bytes.end(), body.begin(), body.end());
    if (!packet->CopyInbound(bytes.data(), static_cast<int>(bytes.size())))
        return;
    if (auto* targets = dynamic_cast<FixedItemTargetConfigCmdPacket*>(packet.get()))
        targets->actorId = item.GetObjectId();
    else if (auto* skill = dynamic_cast<FixedItemSkillTargetConfigCmdPacket*>(packet.get()))
        skill->actorId = item.GetObjectId();
    const size_t before = CountMonsters();
    if (std::unique_ptr<ActorConfigCommand> command = RebuildConfigCmdFrom(*packet))
        command->Execute();
    gEngine->RunActorCommands();
    Check(CountMonsters() <= before + 1);
}

void FuzzFixedItem(FixedItem& item, FuzzBytes& bytes)
{
    const std::vector<uint8_t> image = Take(bytes);
    FuzzReplication(item, image);
    FuzzSave(item, Take(bytes));
    Check(World::Get().AddEntity(&item, WorldCoords(gRegion, Coords())));
    const uint32_t id = item.GetObjectId();
    Frames();
    if (!ObjectManager::Get().GetObject<FixedItem>(id))
        return;   // a player portal nobody lists ends itself
    Check(item.GetCurrentState() <= FixedItem::kReplicatedStateMask);
    Check(item.GetPendingState() == FixedItemState_None);
    Check(item.WriteReplicationData() == ((item.IsLocked() ? FixedItem::kReplicatedLockBit : 0) |
                                          item.GetCurrentState()));
    for (int commands = 0; commands < 4 && !bytes.Empty(); ++commands) {
        const NetPacketType type = kCommandTypes[bytes.Byte() % std::size(kCommandTypes)];
        const std::vector<uint8_t> body = Take(bytes);
        if (!ObjectManager::Get().GetObject<FixedItem>(id))
            return;
        FuzzCommand(item, type, body);
    }
}

void FuzzPoint(StrategicMovementBase& point, FuzzBytes& bytes)
{
    Take(bytes);
    const std::vector<uint8_t> blob = Take(bytes);
    Check(World::Get().AddEntity(&point, WorldCoords(gRegion, Coords())));
    BinaryReader reader(blob.data(), blob.size());
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
    DefaultFuzzerOptions(argc, argv, 512);
    gEngine->SetLogSink([](const LogLine&) {});
    InitializeObjects();
    gRegion = World::Get().AddRegion(1, "Fuzz");
    RecordDatabase::Get().RegisterRecord(kSpawnSkill, std::string("Class,FixedItemSkill_SpawnMonster,\nmonsterName,") +
                                                          kMonster + ",\n");
    RecordDatabase::Get().RegisterRecord(kMonster, "Class,Monster,\n");
    CollectKinds(FixedItem::GetStaticClassInfo());
    CollectKinds(StrategicMovementBase::GetStaticClassInfo());
    ObjectManager::Get().FlushDestroyedObjects();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || gRecords.empty())
        return 0;
    FuzzBytes bytes(data, size);
    const std::string& record = gRecords[bytes.Byte() % gRecords.size()];
    Object* object = ObjectManager::Get().CreateObjectFromFile(record);
    Check(object != nullptr);
    const uint32_t id = object->GetObjectId();
    if (auto* item = DynamicCast<FixedItem>(object))
        FuzzFixedItem(*item, bytes);
    else if (auto* point = DynamicCast<StrategicMovementBase>(object))
        FuzzPoint(*point, bytes);
    if (Object* left = ObjectManager::Get().GetObject(id)) {
        World::Get().RemoveEntity(static_cast<Entity*>(left));
        ObjectManager::Get().DestroyObjectEx(left, "fuzz", __LINE__);
    }
    RemoveMonsters();
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
