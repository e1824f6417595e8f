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
//
// Then the same input drives a running server game: the game turns server, with the host
// program's table of received packets, a client on host 1 joins through it (its roster
// record and its player's spawn) beside a bystander client on host 2, and the server's
// own player stands with a merchant, a monster and a ring in its bag, rings lying loose
// beside the client's player and far from it. The input becomes a stream of packets
// from host 1 (a byte choosing the type, two the length, then the body), each handed to
// the connection manager as the transport would, then the commands it queued run; a
// frame follows the last. After each packet and after the frame, what the server holds
// must show: no player's money or points rose, no player took an item another character
// carried, no character appeared that the client's play could not make (only a pet of its
// own player may), and every character's life, mana, limits and place, and every roster
// record, are finite. The server is built once and kept while inputs leave it as built
// (see "One server for many inputs"). The corpus's server-* inputs are such streams, one
// forgery each (trade, pick-ups and quest messages among them) and all of them together.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <set>
#include <string>
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
#include "Game/characters/NpcMerchant.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/session/CharacterActionDispatch.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/network/QuestPackets.h"
#include "Game/network/PlayerRosterPackets.h"
#include "Game/quests/QuestNetMsg.h"
#include "Game/world/FixedItem.h"
#include "fuzz/FuzzOptions.h"
#include "Game/session/GamePacketDispatch.h"
#include "Game/session/SpawnReplication.h"

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
    // The server's merchant sells rings from a table of its own.
    records.RegisterRecord("Records/Fuzz/Merchant.dbr",
                           "Class,NpcMerchant,\nmarketFileName,Records/Fuzz/Market.dbr,\n");
    records.RegisterRecord("Records/Fuzz/Market.dbr", "marketNumRingMin,4,\nmarketNumRingMax,4,\n"
                                                      "marketRingTable1,Records/Fuzz/Rings.dbr,\n");
    records.RegisterRecord("Records/Fuzz/Rings.dbr", "Class,LootItemTable_FixedWeight,\n"
                                                     "lootName1,Records/Fuzz/Ring.dbr,\nlootWeight1,1,\n");
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

// The handler of the first part: every packet that reaches it is described, and a command
// or an action runs.
void ReadPacket(NetPacket& packet, int fromHost)
{
    packet.GetPacketDescription(false);
    if (IsActionType(packet.GetType()))
        HandleCharacterActionPacket(packet, fromHost);
    else
        RunCommandOf(packet);
}

// The first part's table: ReadPacket for every registered type.
NetPacketRegistry::Handlers ReaderHandlers()
{
    NetPacketRegistry::Handlers handlers;
    for (NetPacketType type : NetPacketRegistry::Get().GetTypes())
        handlers[type] = &ReadPacket;
    return handlers;
}

void SetReaderHandlers()
{
    for (auto& [type, handler] : ReaderHandlers())
        NetPacketRegistry::Get().SetHandler(type, std::move(handler));
}

// The table the registry does not hold: the server's while the first part reads, the first
// part's while the server runs. The server's is the game's dispatch registered over the
// first part's table, made once (MakeServerHandlers). Its handlers hold no state, so the
// table kept is the table registering again would make: a change of role swaps the two
// tables whole instead of making every handler anew.
NetPacketRegistry::Handlers gParkedHandlers;

void MakeServerHandlers()
{
    SetReaderHandlers();
    RegisterGamePacketDispatch();
    NetPacketRegistry::Get().SwapHandlers(gParkedHandlers);   // parked; the registry holds none
    SetReaderHandlers();
}

// The server's table in, the first part's parked. Registering the action handlers again
// sets the same ones and forgets the teleports seen, as registering the dispatch does.
void TakeServerHandlers()
{
    NetPacketRegistry::Get().SwapHandlers(gParkedHandlers);
    RegisterCharacterActionDispatch();
}

// The first part's table in, the server's parked, the teleports seen forgotten as
// unregistering the dispatch forgets them.
void TakeReaderHandlers()
{
    RegisterCharacterActionDispatch();   // into the server's table: the same handlers
    NetPacketRegistry::Get().SwapHandlers(gParkedHandlers);
}

// ---- The running server ----------------------------------------------------------------

constexpr int kClientHost = 1;
constexpr int kBystanderHost = 2;
constexpr uint32_t kServerPlayerId = 0x00000100;
constexpr uint32_t kClientPlayerId = (uint32_t{kClientHost} << ConnectionManager::kPlayerIdShift) | 1u;
constexpr uint32_t kBystanderId = (uint32_t{kBystanderHost} << ConnectionManager::kPlayerIdShift) | 1u;
constexpr uint32_t kMerchantId = 0x0FFFFE40;
constexpr uint32_t kMonsterId = 0x0FFFFE41;
// Rings lying loose beside the client's player and far from it, and one in the server
// player's bag: what pick-ups and trade offers may name.
constexpr uint32_t kNearRingId = 0x0FFFFE42;
constexpr uint32_t kFarRingId = 0x0FFFFE43;
constexpr uint32_t kHostRingId = 0x0FFFFE44;
constexpr size_t kMaxServerPackets = 32;
constexpr int kServerFrameMs = 50;
constexpr const char* kServerPlayerRecord = "Records/Fuzz/Player.dbr";

RecordingTransport gServerTransport;
// The packets each client joins with: its roster record, then its player's spawn.
std::vector<Bytes> gJoins[2];

Bytes Written(NetPacket& packet)
{
    const uint32_t size = packet.PrepareOutBuffer();
    return Bytes(packet.GetOutBuffer(), packet.GetOutBuffer() + size);
}

WorldCoords InFirstRegion(float x)
{
    return WorldCoords(World::Get().GetRegionById(1), Coords::LookAlong({x, 0, 0}, {1, 0, 0}, {0, 1, 0}));
}

// Made once, from players built for the purpose and destroyed again.
void MakeJoinPackets()
{
    for (int i = 0; i < 2; ++i) {
        const uint32_t id = i == 0 ? kClientPlayerId : kBystanderId;
        auto* player = ObjectManager::Get().CreateObjectFromFile<Player>(kServerPlayerRecord, id);
        if (!player)
            __builtin_trap();
        player->SetPlayerName(i == 0 ? u"Client" : u"Bystander");
        World::Get().AddEntity(player, InFirstRegion(1.0f + static_cast<float>(i)));
        SinglePlayerBasicInfoPacket join;
        join.info.playerId = id;
        join.info.playerName = player->GetPlayerName();
        join.info.life = join.info.maxLife = player->GetLifeLimit();
        join.info.mana = join.info.maxMana = player->GetManaLimit();
        gJoins[i].push_back(Written(join));
        if (std::unique_ptr<SpawnPlayerPacket> spawn = MakeSpawnPacket(*player))
            gJoins[i].push_back(Written(*spawn));
        else
            __builtin_trap();
    }
    DestroySmallWorld();
}

[[noreturn]] void Violated(const char* what, uint32_t id)
{
    std::fprintf(stderr, "fuzz_packets: the server broke its rule: %s (object %u)\n", what, id);
    __builtin_trap();
}

struct PlayerPurse {
    uint32_t money = 0;
    uint32_t skillPoints = 0;
    uint32_t attributePoints = 0;
};

// What the rules protect, as it stands before a packet.
struct ServerSnapshot {
    std::map<uint32_t, PlayerPurse> purses;
    std::set<uint32_t> characters;
    std::map<uint32_t, uint32_t> holders;   // each carried item, by the character carrying it
};

std::vector<Entity*> WorldEntities()
{
    std::vector<Entity*> entities;
    struct Everything : FilterFunction<Entity> {
        bool operator()(const Entity*) const override { return true; }
    };
    World::Get().GetEntities(entities, Everything(), EntityList_All);
    return entities;
}

std::vector<Character*> WorldCharacters()
{
    std::vector<Character*> characters;
    for (Entity* entity : WorldEntities())
        if (auto* character = DynamicCast<Character>(entity))
            characters.push_back(character);
    return characters;
}

ServerSnapshot TakeSnapshot()
{
    ServerSnapshot snapshot;
    for (Character* character : WorldCharacters()) {
        snapshot.characters.insert(character->GetObjectId());
        for (uint32_t item : character->GetInventoryItems())
            snapshot.holders[item] = character->GetObjectId();
        if (auto* player = DynamicCast<Player>(character))
            snapshot.purses[player->GetObjectId()] = {player->GetCurrentMoney(),
                                                      player->GetLevelControl().GetSkillPoints(),
                                                      player->GetLevelControl().GetModifierPoints()};
    }
    return snapshot;
}

bool IsFinite(const Vec3& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

void CheckServer(const ServerSnapshot& before)
{
    for (Character* character : WorldCharacters()) {
        const uint32_t id = character->GetObjectId();
        if (!std::isfinite(character->GetCurrentLife()) || !std::isfinite(character->GetCurrentMana()) ||
            !std::isfinite(character->GetLifeLimit()) || !std::isfinite(character->GetManaLimit()) ||
            !IsFinite(character->GetCoords().GetRegionCoords().origin))
            Violated("a character holds a value that is no finite number", id);
        if (!before.characters.count(id)) {
            const auto* pet = DynamicCast<Monster>(character);
            if (!pet || pet->GetMasterId() != kClientPlayerId)
                Violated("a character appeared that the client's play cannot make", id);
        }
        // An item another character carried goes to no player: a trade the partner never
        // accepted, a pick-up of what does not lie loose.
        if (DynamicCast<Player>(character))
            for (uint32_t item : character->GetInventoryItems()) {
                const auto holder = before.holders.find(item);
                if (holder != before.holders.end() && holder->second != id)
                    Violated("a player took an item another character carried", item);
            }
        const auto* player = DynamicCast<Player>(character);
        const auto purse = before.purses.find(id);
        if (!player || purse == before.purses.end())
            continue;
        auto& level = const_cast<Player*>(player)->GetLevelControl();
        if (player->GetCurrentMoney() > purse->second.money)
            Violated("a player's money rose", id);
        if (level.GetSkillPoints() > purse->second.skillPoints ||
            level.GetModifierPoints() > purse->second.attributePoints)
            Violated("a player's points rose", id);
    }
    for (const PlayerNetBasicInfo& record : gGameEngine->GetPlayerManagerServer()->GetPlayerInfos())
        if (!std::isfinite(record.life) || !std::isfinite(record.maxLife) || !std::isfinite(record.mana) ||
            !std::isfinite(record.maxMana))
            Violated("a roster record holds a value that is no finite number", record.playerId);
}

void ServerFrame()
{
    gEngine->UpdateFrame(kServerFrameMs);
    gGameEngine->Update(kServerFrameMs);
    gServerTransport.sent.clear();
}

// The server's world and its two joined clients.
void StartServer()
{
    ConnectionManager::Get().SetTransport(&gServerTransport);
    gGameEngine->SetAsNetworkServer();
    TakeServerHandlers();
    ObjectManager& objects = ObjectManager::Get();
    auto* player = objects.CreateObjectFromFile<Player>(kServerPlayerRecord, kServerPlayerId);
    auto* merchant = objects.CreateObjectFromFile<NpcMerchant>("Records/Fuzz/Merchant.dbr", kMerchantId);
    auto* monster = objects.CreateObjectFromFile<Monster>("Records/Fuzz/Monster.dbr", kMonsterId);
    if (!player || !merchant || !monster)
        __builtin_trap();
    player->SetPlayerName(u"Host");
    player->SetIsControllingCharacter(true);
    World::Get().AddEntity(player, InFirstRegion(0.0f));
    World::Get().AddEntity(merchant, InFirstRegion(3.0f));
    World::Get().AddEntity(monster, InFirstRegion(4.0f));
    Item* nearRing = MakeItem(kNearRingId, "Records/Fuzz/Ring.dbr");
    Item* farRing = MakeItem(kFarRingId, "Records/Fuzz/Ring.dbr");
    if (!nearRing || !farRing || !MakeItem(kHostRingId, "Records/Fuzz/Ring.dbr"))
        __builtin_trap();
    World::Get().AddEntity(nearRing, InFirstRegion(1.5f));
    World::Get().AddEntity(farRing, InFirstRegion(81.0f));
    player->GetInventory().AddItemToInventory(kHostRingId, false);
    gGameEngine->GetPlayerManagerClient()->SetMainPlayer(kServerPlayerId);
    for (int host : {kClientHost, kBystanderHost}) {
        gServerTransport.QueueEvent({NetConnectionEvent::Joined, host, ""});
        ConnectionManager::Get().ProcessIncoming();
        for (const Bytes& bytes : gJoins[host - 1])
            ConnectionManager::Get().HandleIncoming(host, bytes.data(), bytes.size());
    }
    ServerFrame();
    if (!objects.GetObject<Player>(kClientPlayerId) || !objects.GetObject<Player>(kBystanderId))
        __builtin_trap();   // the honest joins must work
}

// The clients leave, the game turns single again and the world goes whole.
void StopServer()
{
    for (int host : {kClientHost, kBystanderHost})
        gServerTransport.QueueEvent({NetConnectionEvent::Left, host, ""});
    ConnectionManager::Get().ProcessIncoming();
    std::vector<ChatMessage> chat;
    gGameEngine->RemovePendingMessages(chat);
    TakeReaderHandlers();
    gGameEngine->SetAsNetworkStub();
    ConnectionManager::Get().SetTransport(nullptr);
    gServerTransport.sent.clear();
    gServerTransport.disconnections.clear();
    DestroySmallWorld();
}

// ---- One server for many inputs --------------------------------------------------------
//
// Building the server and its joins costs several times what an input's packets do. It is
// built once and kept for the next input as long as an input leaves it as it was built: no
// packet of its stream was applied (the registry's applied observer), and what the server
// holds (every object, character, purse, bag and roster record) reads as it did once built.
// Such an input runs no frame (nothing was set going). Any other input ends with the frame
// and the server is taken down; the next input builds it anew. The first part of an input
// that builds a world of its own (commands, actions) destroys every object, so the server
// is taken down before it.

bool gServerUp = false;
std::string gBuiltState;   // what the server held once built
size_t gApplied = 0;       // packets of the stream applied

std::string Number(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.4g,", value);
    return text;
}

std::string HeldState()
{
    std::string state = std::to_string(ObjectManager::Get().GetObjectCount()) + " objects, " +
                        std::to_string(World::Get().GetEntityCount()) + " entities\n";
    for (Character* character : WorldCharacters()) {
        const Vec3& at = character->GetCoords().GetRegionCoords().origin;
        state += std::to_string(character->GetObjectId()) + " " + character->GetClassInfo().GetName() + " " +
                 Number(character->GetCurrentLife()) + Number(character->GetCurrentMana()) +
                 Number(character->GetLifeLimit()) + Number(character->GetManaLimit()) + Number(at.x) + Number(at.y) +
                 Number(at.z) + std::to_string(character->GetCoords().GetRegion() ? character->GetCoords().GetRegion()->GetId() : 0);
        if (auto* player = DynamicCast<Player>(character))
            state += " money " + std::to_string(player->GetCurrentMoney()) + " points " +
                     std::to_string(player->GetLevelControl().GetSkillPoints()) + "/" +
                     std::to_string(player->GetLevelControl().GetModifierPoints());
        state += " carries";
        for (uint32_t item : character->GetInventoryItems())
            state += " " + std::to_string(item);
        state += "\n";
    }
    for (const PlayerNetBasicInfo& record : gGameEngine->GetPlayerManagerServer()->GetPlayerInfos())
        state += "record " + std::to_string(record.playerId) + " party " + std::to_string(record.partyId) + " " +
                 Number(record.life) + Number(record.maxLife) + Number(record.mana) + Number(record.maxMana) + "\n";
    state += std::to_string(gServerTransport.disconnections.size()) + " disconnections, " +
             std::to_string(NetPacketRegistry::Get().GetHeldCount()) + " held\n";
    return state;
}

// The server takes the packets again: its role, transport and table.
void ResumeServer()
{
    ConnectionManager::Get().SetTransport(&gServerTransport);
    gGameEngine->SetAsNetworkServer();
    TakeServerHandlers();
}

// The first part reads packets with its own handlers, as a game that is no server.
void PauseServer()
{
    TakeReaderHandlers();
    gGameEngine->SetAsNetworkStub();
    ConnectionManager::Get().SetTransport(nullptr);
}

// The input as packets from the client, each checked after it and a frame.
void DriveServer(const uint8_t* data, size_t size, const std::vector<NetPacketType>& types)
{
    if (gServerUp) {
        ResumeServer();
    } else {
        StartServer();
        gBuiltState = HeldState();
        gServerUp = true;
    }
    gApplied = 0;
    NetPacketRegistry::Get().SetAppliedObserver([](NetPacket&, int) { ++gApplied; });
    size_t at = 0;
    for (size_t count = 0; count < kMaxServerPackets && at + 3 <= size; ++count) {
        const NetPacketType type = types[data[at] % types.size()];
        const size_t length = std::min<size_t>(data[at + 1] | (data[at + 2] << 8), size - at - 3);
        Bytes bytes = {static_cast<unsigned char>(type & 0xFF), static_cast<unsigned char>(type >> 8)};
        bytes.insert(bytes.end(), data + at + 3, data + at + 3 + length);
        at += 3 + length;
        const ServerSnapshot before = TakeSnapshot();
        ConnectionManager::Get().HandleIncoming(kClientHost, bytes.data(), bytes.size());
        gEngine->RunActorCommands();
        CheckServer(before);
    }
    NetPacketRegistry::Get().SetAppliedObserver({});
    if (gApplied == 0 && HeldState() == gBuiltState) {
        PauseServer();   // as built: kept for the next input
        return;
    }
    // A frame for what the packets set going.
    const ServerSnapshot before = TakeSnapshot();
    ServerFrame();
    CheckServer(before);
    StopServer();
    gServerUp = false;
}

// ---- Seeds ---------------------------------------------------------------------------------
//
// With FUZZ_PACKETS_WRITE_SEEDS naming a folder, the streams of the corpus's forgeries of
// trade, pick-ups and quest messages are written there from the packet classes themselves.

void AppendToStream(Bytes& stream, NetPacket& packet, const std::vector<NetPacketType>& types)
{
    const Bytes bytes = Written(packet);
    const auto place = std::find(types.begin(), types.end(), packet.GetType()) - types.begin();
    const size_t body = bytes.size() - NetLimits::kHeaderSize;
    stream.push_back(static_cast<unsigned char>(place));
    stream.push_back(static_cast<unsigned char>(body & 0xFF));
    stream.push_back(static_cast<unsigned char>(body >> 8));
    stream.insert(stream.end(), bytes.begin() + NetLimits::kHeaderSize, bytes.end());
}

void WriteSeed(const char* folder, const char* name, const Bytes& stream)
{
    if (FILE* file = std::fopen((std::string(folder) + "/" + name).c_str(), "wb")) {
        std::fwrite(stream.data(), 1, stream.size(), file);
        std::fclose(file);
    }
}

void WriteSeeds(const char* folder)
{
    const std::vector<NetPacketType> types = NetPacketRegistry::Get().GetTypes();
    Bytes trade;
    TradeInitiatePacket initiate;
    initiate.sender = kClientPlayerId;
    initiate.receiver = kServerPlayerId;
    AppendToStream(trade, initiate, types);
    for (uint32_t gold : {0xFFFFFFFFu, 0x80000000u, 5000u}) {
        TradeSetGoldPacket offer;
        offer.sender = kClientPlayerId;
        offer.receiver = kServerPlayerId;
        offer.goldAmount = gold;
        AppendToStream(trade, offer, types);
    }
    for (uint32_t item : {kHostRingId, kNearRingId, kClientPlayerId + 0x500}) {
        TradeAddItemPacket offer;
        offer.sender = kClientPlayerId;
        offer.receiver = kServerPlayerId;
        offer.item.objectId = item;
        offer.item.baseName = "Records/Fuzz/Ring.dbr";
        AppendToStream(trade, offer, types);
    }
    TradeFinalizePacket finalize;
    finalize.sender = kClientPlayerId;
    finalize.receiver = kServerPlayerId;
    AppendToStream(trade, finalize, types);
    WriteSeed(folder, "server-trade", trade);

    Bytes pickUps;
    for (uint32_t item : {kFarRingId, kHostRingId, kNearRingId}) {
        PickUpItemPacket pickUp;
        pickUp.characterId = kClientPlayerId;
        pickUp.itemId = item;
        pickUp.position = InFirstRegion(1.0f).GetPosition();
        AppendToStream(pickUps, pickUp, types);
    }
    WriteSeed(folder, "server-pickup", pickUps);

    Bytes quest;
    for (const uint32_t kind : {uint32_t{QuestNetMsg::kConversationStart}, uint32_t{QuestNetMsg::kRequestData}}) {
        QuestMessagePacket message;
        message.sender = kClientPlayerId;
        message.receiver = kServerPlayerId;
        std::unique_ptr<QuestNetMsg> body = QuestNetMsg::Create(kind);
        if (!body)
            __builtin_trap();
        body->Write(message.data);
        AppendToStream(quest, message, types);
    }
    QuestMessagePacket conditions;
    conditions.sender = kClientPlayerId;
    conditions.isConditionSet = true;
    conditions.data = {0x01000000u, 0x01000100u};
    AppendToStream(quest, conditions, types);
    WriteSeed(folder, "server-quest", quest);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    DefaultFuzzerOptions(argc, argv);   // a running game touches thousands of features an input
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    RegisterWorldRecords();
    InitializeObjects();
    if (ObjectManager::Get().GetObjectCount() != 0)
        __builtin_trap();   // the small world is destroyed whole: nothing else may live
    for (uint32_t id = 1; id <= kRegions; ++id)
        World::Get().AddRegion(id, "Region", Vec3(10.0f * id, 0.0f, 0.0f));
    MakeServerHandlers();
    MakeJoinPackets();
    if (ObjectManager::Get().GetObjectCount() != 0)
        __builtin_trap();   // the players the joins were made from are gone again
    if (const char* folder = std::getenv("FUZZ_PACKETS_WRITE_SEEDS"))
        WriteSeeds(folder);
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
    if (action && gServerUp) {
        // Its world is destroyed whole, the server's objects with it (and its frames would
        // move them on).
        ResumeServer();
        StopServer();
        gServerUp = false;
    }
    // Beside a kept server, a command's world is taken down alone: its objects and every
    // entity that came into the world with them. Whatever else stays makes the server go.
    std::set<Entity*> standing;
    const size_t objectsBefore = ObjectManager::Get().GetObjectCount();
    if (command && gServerUp)
        for (Entity* entity : WorldEntities())
            standing.insert(entity);
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
    if (command && gServerUp) {
        ObjectManager& objects = ObjectManager::Get();
        for (Entity* entity : WorldEntities())
            if (!standing.count(entity))
                objects.DestroyObjectEx(entity, __FILE__, __LINE__);
        for (uint32_t id : {kPlayerId, kFixedItemId, kGroundAmuletIds[0], kGroundAmuletIds[1], kGroundAmuletIds[2],
                            kGroundAmuletIds[3]})
            if (Object* object = objects.GetObject(id))
                objects.DestroyObjectEx(object, __FILE__, __LINE__);
        objects.FlushDestroyedObjects();
        if (objects.GetObjectCount() != objectsBefore) {
            ResumeServer();
            StopServer();
            gServerUp = false;
        }
    } else if (command || action) {
        DestroySmallWorld();
    }
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

    DriveServer(data, size, types);
    return 0;
}
