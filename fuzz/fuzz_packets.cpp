// Any bytes as the body of any registered packet: the first byte chooses the packet
// type (by its place among the registered types), the rest follows the header. What
// reads cleanly is written back, read again and written again: both writes must give
// the same bytes and both reads the same description. What does not read cleanly must
// still be describable, and dispatch must drop it. A packet read into again must hold
// exactly what a new packet holds after the same read, whether the earlier read had
// more of the bytes or fewer, cleanly or not. A command packet is dispatched into a small
// world made for it (a player holding rings, an amulet on the ground and a fixed item,
// under known ids); reaching its handler, it is rebuilt into its command through the
// dispatch's table and the command runs; the player's skills (reference numbers 0 to 3)
// take the skill commands. A character action packet (63 to 78) is heard
// from the server by this peer as a client and goes through the host's action dispatch
// into a small world of monsters under the ids the action seeds name; the action runs
// and the world is updated for a few frames. Each world is then destroyed whole.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/CharacterActionDispatch.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ConfigCmdDispatch.h"
#include "Game/world/FixedItem.h"

using namespace GAME;

namespace {

constexpr uint32_t kRegions = 7;
// Reading may widen a one-byte class number into its tag text (at most 13 bytes more
// per player, at most 255 players), so only packets this far below the largest packet
// are certain to be writable again.
constexpr size_t kRewriteMargin = 13 * 256;

using Bytes = std::vector<unsigned char>;

Bytes WrittenOrEmpty(NetPacket& packet)
{
    const uint32_t size = packet.PrepareOutBuffer();
    return Bytes(packet.GetOutBuffer(), packet.GetOutBuffer() + size);
}

void CheckRoundTrip(NetPacketType type, NetPacket& first, size_t inputSize)
{
    const Bytes written = WrittenOrEmpty(first);
    if (written.empty()) {
        if (inputSize + kRewriteMargin < NetLimits::kMaxPacketSize)
            __builtin_trap();   // read cleanly but could not be written back
        return;
    }
    std::unique_ptr<NetPacket> second = NetPacketRegistry::Get().Create(type);
    if (!second->CopyInbound(written.data(), static_cast<int>(written.size())))
        __builtin_trap();   // its own bytes do not read back
    if (WrittenOrEmpty(*second) != written)
        __builtin_trap();   // the second write differs from the first
    if (second->GetPacketDescription(true) != first.GetPacketDescription(true))
        __builtin_trap();   // the two reads differ
}

bool SameContents(NetPacket& a, NetPacket& b)
{
    return WrittenOrEmpty(a) == WrittenOrEmpty(b) && a.GetPacketDescription(true) == b.GetPacketDescription(true);
}

// Reads `second` into a packet that has read `first`, and into a new one.
void CheckReuse(NetPacketType type, const Bytes& first, const Bytes& second)
{
    std::unique_ptr<NetPacket> reused = NetPacketRegistry::Get().Create(type);
    reused->CopyInbound(first.data(), static_cast<int>(first.size()));
    const bool again = reused->CopyInbound(second.data(), static_cast<int>(second.size()));
    std::unique_ptr<NetPacket> fresh = NetPacketRegistry::Get().Create(type);
    const bool once = fresh->CopyInbound(second.data(), static_cast<int>(second.size()));
    if (again != once || reused->GetReadError() != fresh->GetReadError() || !SameContents(*reused, *fresh))
        __builtin_trap();   // something of the earlier read survived
}

// The small world's objects, under the ids the command seeds name: the player is every
// seed's actor, the ground amulets the item a seed picks up and the targets the others
// name, the held rings the items they name; the fixed item is one step from the player.
constexpr uint32_t kPlayerId = 0x3001;
constexpr uint32_t kFixedItemId = 0x3003;
constexpr uint32_t kGroundAmuletIds[] = {0x3002, 0x3004, 0x3005, 0x3006};
constexpr uint32_t kHeldRingIds[] = {0x9011, 0x9013, 0x9021, 0x9022, 0x9023, 0x9024, 0x9026};

void RegisterWorldRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/Fuzz/Levels.dbr", "lifeIncrement,40,\nstrengthIncrement,4,\n");
    records.RegisterRecord("Records/Fuzz/Player.dbr", "Class,Player,\nlevelFileName,Records/Fuzz/Levels.dbr,\n"
                                                      "skillTree1,Records/Fuzz/SkillTree.dbr,\n");
    // The player's skills, so that the skill commands reach skills: a toggled self buff, a
    // melee attack, a projectile attack and a debuffing attack, under reference numbers 0
    // to 3; and buffs a buff command may name.
    records.RegisterRecord("Records/Fuzz/SkillTree.dbr",
                           "skillName1,Records/Fuzz/Toggle.dbr,\nskillLevel1,1,\n"
                           "skillName2,Records/Fuzz/Inherent.dbr,\nskillLevel2,1,\n"
                           "skillName3,Records/Fuzz/Shot.dbr,\nskillLevel3,1,\n"
                           "skillName4,Records/Fuzz/Curse.dbr,\nskillLevel4,1,\n");
    records.RegisterRecord("Records/Fuzz/Toggle.dbr", "Class,Skill_BuffSelfToggled,\nskillMaxLevel,5,\n");
    records.RegisterRecord("Records/Fuzz/Inherent.dbr", "Class,Skill_AttackInherent,\nskillMaxLevel,5,\n");
    records.RegisterRecord("Records/Fuzz/Shot.dbr", "Class,Skill_AttackProjectile,\nskillMaxLevel,5,\n"
                                                    "skillProjectileName,Records/Fuzz/Arrow.dbr,\n");
    records.RegisterRecord("Records/Fuzz/Arrow.dbr", "Class,ProjectileArrowLike,\n");
    records.RegisterRecord("Records/Fuzz/Curse.dbr", "Class,Skill_AttackBuff,\nskillMaxLevel,5,\n"
                                                     "buffSkillName,Records/Fuzz/Debuf.dbr,\n");
    records.RegisterRecord("Records/Fuzz/Debuf.dbr", "Class,SkillBuff_Debuf,\nskillMaxLevel,5,\n");
    records.RegisterRecord("Records/Fuzz/Buff.dbr", "Class,SkillBuff_PassiveShield,\nskillMaxLevel,5,\n");
    records.RegisterRecord("Records/Fuzz/Mod.dbr", "Class,Skill_Modifier,\nskillMaxLevel,5,\n");
    records.RegisterRecord("Records/Fuzz/Ring.dbr", "Class,ItemEquipment,\n");
    records.RegisterRecord("Records/Fuzz/Amulet.dbr", "Class,ItemEquipment,\ncannotPickUpMultiple,1,\n");
    records.RegisterRecord("Records/Fuzz/Chest.dbr", "Class,FixedItem,\n");
    // A monster that strikes, dies and idles with an animation of its own.
    records.RegisterRecord("Records/Fuzz/Monster.dbr",
                           "Class,Monster,\nunarmedAttackAnim1,Fuzz.anm,\nunarmedAttackAnimWeight1,100,\n"
                           "unarmedDieAnim1,Fuzz.anm,\nunarmedDieAnimWeight1,100,\n"
                           "unarmedIdleAnim1,Fuzz.anm,\nunarmedIdleAnimWeight1,100,\n"
                           "deleteBehavior,Fade,\ndissolveTime,0.1,\n");
    records.RegisterRecord(Monster::kDefaultControllerRecord, "Class,ControllerMonster,\n");
    records.RegisterRecord(Monster::kStubControllerRecord, "Class,ControllerAI,\n");
    GraphicsEngine::Get()->RegisterAnimation("Fuzz.anm", "length,10,\n");
}

Item* MakeItem(uint32_t id, const char* record)
{
    ItemReplicaInfo info;
    info.objectId = id;
    info.baseName = record;
    return Item::CreateItem(info);
}

bool IsCommandType(NetPacketType type)
{
    for (const ConfigCmdRebuild& entry : ConfigCmdRebuilds())
        if (entry.type == type)
            return true;
    return false;
}

// Made before a command packet is dispatched, so that the ids it names exist.
void BuildSmallWorld()
{
    ObjectManager& objects = ObjectManager::Get();
    if (auto* player = objects.CreateObjectFromFile<Player>("Records/Fuzz/Player.dbr", kPlayerId)) {
        player->GetLevelControl().SetModifierPoints(2);
        for (uint32_t id : kHeldRingIds)
            if (MakeItem(id, "Records/Fuzz/Ring.dbr"))
                player->GetInventory().AddItemToInventory(id, false);
    }
    for (uint32_t id : kGroundAmuletIds)
        MakeItem(id, "Records/Fuzz/Amulet.dbr");
    objects.CreateObjectFromFile<FixedItem>("Records/Fuzz/Chest.dbr", kFixedItemId);
}

// The action world: the acting monster under the id the action seeds name, and two more
// as the targets they name, standing in the first region.
constexpr uint32_t kActorId = 0x3002;
constexpr uint32_t kTargetIds[] = {0x3004, 0x3005};
constexpr int kActionFrames = 4;
constexpr int kActionFrameMs = 250;

bool IsActionType(NetPacketType type) { return type >= IdleActionPacket::kType && type <= RespawnPacket::kType; }

void BuildActionWorld()
{
    ObjectManager& objects = ObjectManager::Get();
    Region* region = World::Get().GetRegionById(1);
    float x = 0.0f;
    for (uint32_t id : {kActorId, kTargetIds[0], kTargetIds[1]}) {
        if (auto* monster = objects.CreateObjectFromFile<Monster>("Records/Fuzz/Monster.dbr", id))
            World::Get().AddEntity(monster, WorldCoords(region, Coords::LookAlong({x, 0, 0}, {1, 0, 0}, {0, 1, 0})));
        x += 2.0f;
    }
    gEngine->UpdateFrame(16);   // the monsters' first update
}

// Frees every object the world and its commands made: the next input starts the same.
void DestroySmallWorld()
{
    ObjectManager::Get().DestroyAllObjects();
    ObjectManager::Get().FlushDestroyedObjects();
}

// A command packet that reached its handler: the command it carries runs, with whatever
// it queues in turn.
void RunCommandOf(NetPacket& packet)
{
    if (std::unique_ptr<ActorConfigCommand> command = RebuildConfigCmdFrom(packet))
        command->Execute();
    gEngine->RunActorCommands();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    RegisterWorldRecords();
    InitializeObjects();
    if (ObjectManager::Get().GetObjectCount() != 0)
        __builtin_trap();   // the small world is destroyed whole: nothing else may live
    for (uint32_t id = 1; id <= kRegions; ++id)
        World::Get().AddRegion(id, "Region", Vec3(10.0f * id, 0.0f, 0.0f));
    for (NetPacketType type : NetPacketRegistry::Get().GetTypes())
        NetPacketRegistry::Get().SetHandler(type, [](NetPacket& packet, int fromHost) {
            packet.GetPacketDescription(false);
            if (IsActionType(packet.GetType()))
                HandleCharacterActionPacket(packet, fromHost);
            else
                RunCommandOf(packet);
        });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<NetPacketType> types = NetPacketRegistry::Get().GetTypes();
    if (size == 0 || types.empty())
        return 0;
    const NetPacketType type = types[data[0] % types.size()];
    Bytes bytes = {static_cast<unsigned char>(type & 0xFF), static_cast<unsigned char>(type >> 8)};
    bytes.insert(bytes.end(), data + 1, data + size);

    std::unique_ptr<NetPacket> packet = NetPacketRegistry::Get().Create(type);
    const bool read = packet->CopyInbound(bytes.data(), static_cast<int>(bytes.size()));
    packet->GetPacketDescription(true);
    if (read != packet->GetReadError().empty())
        __builtin_trap();   // success and a reason must not come together
    const bool command = IsCommandType(type);
    const bool action = IsActionType(type);
    if (command)
        BuildSmallWorld();
    bool dispatched = false;
    if (action) {
        // A client hears actions from the server only.
        BuildActionWorld();
        ConnectionManager::Get().SetLocalHostId(1);
        dispatched = NetPacketRegistry::Get().Dispatch(ConnectionManager::kServerHost, bytes.data(), bytes.size());
        for (int frame = 0; frame < kActionFrames; ++frame)
            gEngine->UpdateFrame(kActionFrameMs);
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
    } else {
        dispatched = NetPacketRegistry::Get().Dispatch(1, bytes.data(), bytes.size());
    }
    if (command || action)
        DestroySmallWorld();
    if (dispatched && !read)
        __builtin_trap();   // a packet that does not read cleanly reached its handler
    if (read)
        CheckRoundTrip(type, *packet, bytes.size());

    // The same bytes cut short at a point the input chooses, read after and before them.
    const size_t body = bytes.size() - NetLimits::kHeaderSize;
    const Bytes cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                  NetLimits::kHeaderSize + (body ? data[size - 1] % body : 0)));
    CheckReuse(type, bytes, cut);
    CheckReuse(type, cut, bytes);
    return 0;
}
