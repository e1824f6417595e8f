#include "Game/session/SpawnReplication.h"

#include <algorithm>
#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/CharacterBio.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/GameEngineInboundInterface.h"
#include "Game/core/NetworkRoute.h"
#include "Game/core/PlayerManagerServer.h"
#include "Game/core/foundation/Filters.h"
#include "Game/items/Item.h"
#include "Game/network/GameWorldPackets.h"
#include "Game/network/ItemTradePackets.h"
#include "Game/session/ClientCommandKinds.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

// The character's replication image, written through a packet of its own: the bytes
// behind the header.
template <class C>
bool WriteImage(C& character, std::vector<unsigned char>& image)
{
    SpawnPlayerPacket scratch;
    NetPacketOutBuffer out(&scratch);
    character.WriteReplicationData(out);
    const uint32_t size = out.Done();
    if (size < NetLimits::kHeaderSize)
        return false;
    image.assign(scratch.GetOutBuffer() + NetLimits::kHeaderSize, scratch.GetOutBuffer() + size);
    return true;
}

// Reads the carried image into the character, which holds it until it is applied; false
// when it does not read.
template <class C>
bool ReadImage(C& character, SpawnPlayerPacket& packet)
{
    std::vector<unsigned char> bytes(NetLimits::kHeaderSize);
    NetBytes::StoreU16(bytes.data(), SpawnPlayerPacket::kType);
    bytes.insert(bytes.end(), packet.carriedImage.begin(), packet.carriedImage.end());
    NetPacketInBuffer in(packet.GetHeader(), bytes.data(), static_cast<int>(bytes.size()));
    return character.ReadReplicationData(in);
}

// Reads the carried image into the character and applies it; false when it does not read.
template <class C>
bool ApplyImage(C& character, SpawnPlayerPacket& packet)
{
    if (!ReadImage(character, packet))
        return false;
    character.ApplyReplicationData();
    return true;
}

// Calls `use` with the character as the kind that carries a replication image (a player,
// a monster or a townsperson) and returns what it returns; false for any other character.
template <class Use>
bool AsReplicatedKind(Character& character, Use&& use)
{
    if (auto* player = DynamicCast<Player>(&character))
        return use(*player);
    if (auto* monster = DynamicCast<Monster>(&character))
        return use(*monster);
    if (auto* npc = DynamicCast<Npc>(&character))
        return use(*npc);
    return false;
}

bool ApplyCarriedImage(Character& character, SpawnPlayerPacket& packet)
{
    return AsReplicatedKind(character, [&](auto& kind) { return ApplyImage(kind, packet); });
}

// A fresh spawn container for the character: a player's its own, another's bare but for its id.
std::unique_ptr<SpawnPlayerPacket> NewSpawnPacket(Player& player)
{
    return std::unique_ptr<SpawnPlayerPacket>(static_cast<SpawnPlayerPacket*>(player.CreateSpawnNetPacket().release()));
}

template <class C>
std::unique_ptr<SpawnPlayerPacket> NewSpawnPacket(C& character)
{
    auto packet = std::make_unique<SpawnPlayerPacket>();
    packet->playerObjectId = character.GetObjectId();
    return packet;
}

void Destroy(Object* object)
{
    if (object)
        ObjectManager::Get().DestroyObjectEx(object, "SpawnReplication", __LINE__);
}

// The points a character of the player's record has had to spend once it stands at
// `level`: those it starts with and those each level above its record's gives.
uint64_t PointsBy(uint32_t start, uint32_t perLevel, uint32_t level, uint32_t freshLevel)
{
    return start + static_cast<uint64_t>(level > freshLevel ? level - freshLevel : 0) * perLevel;
}

// Why the image claims more than the player could have grown to: the player, made here
// from its record and given what the host gives such a player, is still as fresh as a new
// character. Each skill it holds must stay within the levels its record allows, the
// image's side must be a player's and its level one its levels reach. A record whose
// levels come from a level record (its maximum level) grows by that record's rules: its
// experience no more than its level holds, and what its base attributes and its skills
// hold above the fresh ones no more than the points its level gives pay for (a point
// raises one attribute by its increment, or one skill by a level). Null when it stays
// within.
const char* RefuseClientGrowth(Player& player, const Player::ReplicationRecord& image)
{
    const SkillManager& skills = player.GetSkillManager();
    uint64_t raised = 0;
    for (const SkillManager::_SkillReplica& entry : image.skills) {
        const Skill* skill = ObjectManager::Get().GetObject<Skill>(skills.FindSkillId(entry.skillName));
        if (!skill)
            continue;   // a skill the player does not hold is skipped as the image applies
        if (!ClientSkillLevelAllowed(*skill, entry.state.level))
            return "it carries a skill at a level its record does not allow";
        raised += static_cast<uint64_t>(std::max(0, entry.state.level - std::max(0, skill->GetSkillLevel())));
    }
    if (image.team.GetTeamMajor() != player.GetTeam().GetTeamMajor())
        return "it claims another side than its record's";
    ExperienceLevelControl& levels = player.GetLevelControl();
    const uint32_t fresh = levels.GetLevel();
    const uint32_t top = levels.GetMaxLevel();
    if (image.level < 1 || image.level > levels.GetTopLevel())
        return "it claims a level its record's levels do not reach";
    if (top == 0)
        return nullptr;
    const uint32_t next = levels.GetExperienceToNextLevel(image.level);
    if (next != 0 && (image.level < top ? image.experience >= next : image.experience > next))
        return "it claims more experience than its level holds";
    if (raised > PointsBy(levels.GetSkillPoints(), levels.GetSkillPointsPerLevel(), image.level, fresh))
        return "it claims skill levels above what the points of its level give";

    const CharAttributeStore_Bio& base = player.GetCharacterBio().GetBaseAttrStore();
    const struct {
        CharAttributeType type;
        float claimed;
        uint32_t increment;
    } attributes[] = {
        {CharAttributeType_Life, image.baseLife, levels.GetLifeIncrement()},
        {CharAttributeType_Mana, image.baseMana, levels.GetManaIncrement()},
        {CharAttributeType_Strength, image.baseStrength, levels.GetStrengthIncrement()},
        {CharAttributeType_Dexterity, image.baseDexterity, levels.GetDexterityIncrement()},
        {CharAttributeType_Intelligence, image.baseIntelligence, levels.GetIntelligenceIncrement()},
    };
    uint64_t spent = 0;
    for (const auto& attribute : attributes) {
        const uint64_t had = ToBioImage(base.GetBaseValue(attribute.type));
        const uint64_t has = ToBioImage(attribute.claimed);
        if (has <= had)
            continue;
        if (attribute.increment == 0)
            return "it claims an attribute above its record's that no point raises";
        spent += (has - had + attribute.increment - 1) / attribute.increment;
    }
    if (spent > PointsBy(levels.GetModifierPoints(), levels.GetModifierPointsPerLevel(), image.level, fresh))
        return "it claims base attributes above what the points of its level give";
    return nullptr;
}

// Why the server does not take a client's player image: it claims more than the player
// could have grown to (RefuseClientGrowth), or items under ids that are not the host's own
// or are taken, one id twice, or more than the host's quota of items leaves room for
// (each counts towards it as it is taken). Null when it takes it.
const char* RefuseClientImage(Player& player, const Player::ReplicationRecord& image, int host)
{
    if (const char* refusal = RefuseClientGrowth(player, image))
        return refusal;
    std::vector<uint32_t> ids;
    ids.reserve(image.inventory.size());
    for (const InventoryReplica& entry : image.inventory) {
        const uint32_t item = entry.info.objectId;
        if (item == 0 || ConnectionManager::HostOfPlayer(item) != host)
            return "it carries an item under an id that is not the host's";
        if (ObjectManager::Get().GetObject(item))
            return "it carries an item under an id that is taken";
        ids.push_back(item);
    }
    std::sort(ids.begin(), ids.end());
    if (std::adjacent_find(ids.begin(), ids.end()) != ids.end())
        return "it carries one item twice";
    for (const uint32_t item : ids)
        if (const char* refusal = RefuseClientItem(host, item))
            return refusal;
    return nullptr;
}

// A client's player from its image, read and held already, which the server checks
// before it applies it.
bool ApplyClientImage(Player& player, SpawnPlayerPacket& packet, int host, const char*& refusal)
{
    if ((refusal = RefuseClientImage(player, *player.GetReplicationRecord(), host)) != nullptr)
        return false;
    player.ApplyReplicationData();
    // A buff comes from a skill: one the image carries that no skill of its caster grants
    // at its level goes.
    std::vector<SkillManager::_SkillBuffReplica> buffs;
    player.GetSkillManager().GetSkillBuffReplica(buffs);
    for (const SkillManager::_SkillBuffReplica& buff : buffs) {
        const auto level = [](const SkillManager::_SkillReplica& part) {
            return static_cast<uint32_t>(std::max(part.state.level, 0));
        };
        const char* why = RefuseClientBuff(player, buff.buff.skillName, level(buff.buff), buff.modifier1.skillName,
                                           level(buff.modifier1), buff.modifier2.skillName, level(buff.modifier2),
                                           buff.casterId);
        if (why) {
            DropReceivedFormatted(packet, host, "a buff its image carries is not taken: %s", why);
            player.CreateRemoveSkillBuff(0, buff.buff.skillName, 0, "", 0, "", 0, 0, 0);
        }
    }
    return true;
}

SpawnPreparer gPrepare;

// A character made here from a peer's spawn: driven by that peer, so the controller its
// record gave it goes, and it stands where the sender said. From a client (`clientHost`,
// else -1) only a player, whose image is checked first. Null (`refusal` says why) when
// nothing is made; what was made on the way is destroyed with it.
Character* MakeCarried(SpawnPlayerPacket& packet, int clientHost, const char*& refusal)
{
    const uint32_t id = packet.playerObjectId.GetId();
    refusal = "its record or image does not make a player, a monster or a townsperson";
    auto* character = ObjectManager::Get().CreateObjectFromFile<Character>(packet.carriedRecord, id);
    if (!character)
        return nullptr;
    if (!AsReplicatedKind(*character, [](auto&) { return true; })) {
        Destroy(character);
        return nullptr;
    }
    auto* player = DynamicCast<Player>(character);
    if (clientHost >= 0 && !player) {
        Destroy(character);
        refusal = "a client spawns only the player it joined with";
        return nullptr;
    }
    Destroy(ObjectManager::Get().GetObject(character->GetControllerId()));
    character->SetControllerId(0);
    // The image is read first, so that what the host gives the character may follow what
    // it carries; it applies after.
    if (!AsReplicatedKind(*character, [&](auto& kind) { return ReadImage(kind, packet); })) {
        refusal = "its image does not read";
        Destroy(character);
        return nullptr;
    }
    if (gPrepare)
        gPrepare(*character);
    const bool applied = clientHost >= 0 ? ApplyClientImage(*player, packet, clientHost, refusal)
                                         : AsReplicatedKind(*character, [](auto& kind) {
                                               kind.ApplyReplicationData();
                                               return true;
                                           });
    if (!applied) {
        Destroy(character);
        return nullptr;
    }
    if (player)
        player->SetIsControllingCharacter(false);
    World::Get().AddEntity(character, packet.carriedCoords);
    character->SetPathPosition(packet.carriedCoords.GetPosition());
    return character;
}

// Who may send a spawn or the spawn-complete packet at all: on the server a connected
// client, on a client the server.
bool FromAllowedPeer(const NetPacket& packet, int fromHost)
{
    ConnectionManager& connections = ConnectionManager::Get();
    if (connections.GetLocalHostId() == ConnectionManager::kServerHost) {
        if (!connections.IsClientConnected(fromHost))
            return DropReceived(packet, fromHost, "the host is not a connected client");
    } else if (fromHost != ConnectionManager::kServerHost) {
        return DropReceived(packet, fromHost, "a client hears only the server");
    }
    return true;
}

// Whether the server's roster holds that player: a client spawns only the one it joined with.
bool IsJoinedPlayer(uint32_t id)
{
    const PlayerManagerServer* roster = gGameEngine ? gGameEngine->GetPlayerManagerServer() : nullptr;
    if (!roster)
        return false;
    for (const PlayerNetBasicInfo& record : roster->GetPlayerInfos())
        if (record.playerId == id)
            return true;
    return false;
}

// An item lying on the ground: in the world and neither carried nor worn.
struct IsItemOnTheGround : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override
    {
        return entity && entity->IsA<Item>() && entity->IsInWorld() && !entity->GetAttachParent();
    }
};

// Tells `host` of every item lying on the ground with the item creation every peer hears
// when an item is dropped: its identity under its own id, dropped so that it comes to rest
// where it lies here.
void SendGroundItemsToHost(int host, const std::function<void(const Item&)>& sent)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, IsItemOnTheGround(), EntityList_All);
    CreateItemPacket packet;
    for (Entity* entity : found) {
        const auto& item = static_cast<const Item&>(*entity);
        packet.characterId = 0;
        packet.item = item.GetItemReplicaInfo();
        packet.coords = GameEngineInboundInterface::DropPointFor(item.GetCoords(), packet.item.seed);
        if (ConnectionManager::Get().SendToHost(host, packet) && sent)
            sent(item);
    }
}

SpawnObserver gSpawned;
std::function<void()> gComplete;

}  // namespace

std::unique_ptr<SpawnPlayerPacket> MakeSpawnPacket(Character& character)
{
    std::unique_ptr<SpawnPlayerPacket> packet;
    bool written = false;
    const bool replicated = AsReplicatedKind(character, [&](auto& kind) {
        packet = NewSpawnPacket(kind);
        written = WriteImage(kind, packet->carriedImage);
        return true;
    });
    if (!replicated)
        return nullptr;
    if (!written) {
        gEngine->Log(LOG_WARNING, "The image of %u could not be written; it is not spawned", character.GetObjectId());
        return nullptr;
    }
    packet->carriedRecord = character.GetObjectName();
    packet->carriedCoords = character.GetCoords();
    return packet;
}

int SendWorldToHost(int host, const std::function<void(const Character&)>& sent,
                    const std::function<void(const Item&)>& itemSent)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, FilterGetSpawnObjects(), EntityList_All);
    int count = 0;
    for (Entity* entity : found) {
        auto* character = DynamicCast<Character>(entity);
        // The joining host makes its own player; it hears of everyone else's.
        if (!character || ConnectionManager::HostOfPlayer(character->GetObjectId()) == host)
            continue;
        std::unique_ptr<SpawnPlayerPacket> packet = MakeSpawnPacket(*character);
        if (packet && ConnectionManager::Get().SendToHost(host, *packet)) {
            ++count;
            if (sent)
                sent(*character);
        }
    }
    SendGroundItemsToHost(host, itemSent);
    ServerSpawnCompletePacket complete;
    ConnectionManager::Get().SendToHost(host, complete);
    return count;
}

bool ApplySpawn(SpawnPlayerPacket& packet, int fromHost, SpawnReport& report)
{
    ConnectionManager& connections = ConnectionManager::Get();
    const uint32_t id = packet.playerObjectId.GetId();
    const int localHost = connections.GetLocalHostId();
    const bool serving = localHost == ConnectionManager::kServerHost;
    if (!FromAllowedPeer(packet, fromHost))
        return false;
    if (packet.carriedRecord.empty() || id == 0)
        return DropReceived(packet, fromHost, "it carries no object");
    // A client spawns only its own player, an id of its own host; only the server spawns
    // for others, never what this host made.
    if (serving && ConnectionManager::HostOfPlayer(id) != fromHost)
        return DropReceived(packet, fromHost, "a client spawns only objects of its own host");
    if (serving && !IsJoinedPlayer(id))
        return DropReceived(packet, fromHost, "a client spawns only the player it joined with");
    if (!serving && ConnectionManager::HostOfPlayer(id) == localHost)
        return DropReceived(packet, fromHost, "it names an object of this host");
    report = {id, packet.carriedRecord, false};
    if (auto* existing = ObjectManager::Get().GetObject<Character>(id)) {
        // A client's player is taken once, at its join: from then on the server's copy
        // holds its life, mana, money and bags, which only the game's own steps change.
        if (serving)
            return DropReceived(packet, fromHost, "its player was taken at its join; the server's copy holds its state");
        if (existing->GetObjectName() != packet.carriedRecord)
            return DropReceived(packet, fromHost, "the object there is another one");
        const auto* player = DynamicCast<Player>(existing);
        RandomStreamScope draws(player ? player->GetOwnDraws() : nullptr);
        if (!ApplyCarriedImage(*existing, packet))
            return DropReceived(packet, fromHost, "its image does not read");
    } else {
        if (ObjectManager::Get().GetObject(id))
            return DropReceived(packet, fromHost, "the id is taken");
        // What a peer's character draws as it is made, and a player in every frame after,
        // comes from a stream seeded from its id: the frame it arrives in, which depends on
        // the network's timing, leaves the world's draws as they were.
        RandomUniform arrival;
        arrival.Seed(id);
        Character* made = nullptr;
        const char* refusal = nullptr;
        {
            RandomStreamScope draws(&arrival);
            made = MakeCarried(packet, serving ? fromHost : -1, refusal);
        }
        if (!made)
            return DropReceived(packet, fromHost, refusal);
        if (auto* player = DynamicCast<Player>(made))
            player->TakeOwnDraws(arrival);
        report.made = true;
    }
    // The client's player stands in the world: a step of its join. The other clients hear
    // of it from the server.
    if (serving) {
        connections.ConfirmInWorld(fromHost);
        connections.SendToOtherClients(fromHost, packet);
    }
    return true;
}

void SetSpawnObservers(SpawnObserver spawned, std::function<void()> complete)
{
    gSpawned = std::move(spawned);
    gComplete = std::move(complete);
}

void SetSpawnPreparer(SpawnPreparer preparer) { gPrepare = std::move(preparer); }

void ApplySpawnComplete(NetPacket& packet, int fromHost)
{
    if (!FromAllowedPeer(packet, fromHost))
        return;
    if (ConnectionManager::Get().GetLocalHostId() == ConnectionManager::kServerHost) {
        DropReceived(packet, fromHost, "only the server sends it");
        return;
    }
    if (gComplete)
        gComplete();
}

void NotifySpawned(const SpawnReport& report)
{
    if (gSpawned)
        gSpawned(report);
}

}  // namespace GAME
