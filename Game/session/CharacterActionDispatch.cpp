#include "Game/session/CharacterActionDispatch.h"

#include <algorithm>
#include <cmath>

#include "Engine/ConnectionManager.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/Npc.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/NetworkRoute.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Item.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/network/HostPlayerList.h"
#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemTeleport.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

namespace {

constexpr const char* kLooseItemOutOfReach = "it names a loose item out of its character's reach";

constexpr NetPacketType kFirstActionPacket = IdleActionPacket::kType;
constexpr NetPacketType kLastActionPacket = RespawnPacket::kType;

template <class P, class Make>
std::unique_ptr<CharacterAction> RebuildAs(NetPacket& received, Make make)
{
    P* packet = DynamicCast<P>(&received);
    return packet ? std::unique_ptr<CharacterAction>(make(*packet)) : nullptr;
}

std::unique_ptr<CharacterAction> Rebuild(NetPacket& p)
{
    switch (p.GetType()) {
    case IdleActionPacket::kType:
        return RebuildAs<IdleActionPacket>(p, [](auto& a) { return new IdleAction(a.characterId); });
    case LongIdleActionPacket::kType:
        return RebuildAs<LongIdleActionPacket>(p, [](auto& a) { return new LongIdleAction(a.characterId); });
    case MoveToPacket::kType:
        return RebuildAs<MoveToPacket>(p, [](auto& a) {
            return new MoveToAction(a.characterId, a.startLocation, a.worldLocation, a.targetId, a.skillNumber, a.speed);
        });
    case WalkPacket::kType:
        return RebuildAs<WalkPacket>(
            p, [](auto& a) { return new WalkAction(a.characterId, a.startLocation, a.worldLocation, a.targetId); });
    case PickUpItemPacket::kType:
        return RebuildAs<PickUpItemPacket>(p, [](auto& a) { return new PickUpAction(a.characterId, a.itemId); });
    case UseItemPacket::kType:
        return RebuildAs<UseItemPacket>(p, [](auto& a) { return new UseAction(a.characterId, a.itemId); });
    case AttackPacket::kType:
        // The aim's leading data does not travel.
        return RebuildAs<AttackPacket>(p, [](auto& a) {
            return new AttackAction(a.characterId, a.defenderId, a.location, a.skillNumber,
                                    static_cast<uint16_t>(a.seed), TargetLeadingData());
        });
    case TakeStunPacket::kType:
        return RebuildAs<TakeStunPacket>(p, [](auto& a) { return new TakeStunAction(a.characterId); });
    case ImmobilizePacket::kType:
        return RebuildAs<ImmobilizePacket>(p, [](auto& a) { return new ImmobilizeAction(a.characterId); });
    case TakeTrapPacket::kType:
        return RebuildAs<TakeTrapPacket>(p, [](auto& a) { return new TakeTrapAction(a.characterId); });
    case DiePacket::kType:
        return RebuildAs<DiePacket>(p, [](auto& a) { return new DieAction(a.characterId, a.deathHandlerIds); });
    case ChatActionPacket::kType:
        return RebuildAs<ChatActionPacket>(p, [](auto& a) { return new ChatAction(a.characterId, a.targetId); });
    case PlayAnimationActionPacket::kType:
        return RebuildAs<PlayAnimationActionPacket>(p, [](auto& a) {
            return new PlayAnimationAction(a.characterId, static_cast<int32_t>(a.animationType), a.GetAnimationName(),
                                           a.speedModifier, a.loop, a.iteration);
        });
    case EngageNpcPacket::kType:
        return RebuildAs<EngageNpcPacket>(p,
                                          [](auto& a) { return new EngageNpcAction(a.characterId, a.targetId, false, false); });
    case SpawnActionPacket::kType:
        return RebuildAs<SpawnActionPacket>(p, [](auto& a) { return new SpawnAction(a.characterId); });
    case RespawnPacket::kType:
        return RebuildAs<RespawnPacket>(p, [](auto& a) { return new RespawnAction(a.characterId, a.respawnCoords); });
    default:
        return nullptr;
    }
}

// How far beyond touching a player talks to a character (and opens a body's loot): the
// player's own controller's rule for a click. A walk ends within kUseWalkTolerance of the
// point it was heading for; an item is reached as ReachesItemFrom tells.
constexpr float kTalkRange = 3.0f;

// Whether the character, standing at `from`, reaches the object as a player's click would
// use, take or talk to it there without walking: a fixed item from its approach point or
// within its extra reach of it, a strategic-movement point within the character's extents
// of its approach point, an item within the character's and the item's extents and the
// few steps the player takes to it in place, a character within both extents and talking
// range and the ground it may have covered meanwhile: `spare`, what is left of the user's
// allowance for being ahead (ReachesOnServer). Anything else is no object a use acts on,
// and is in reach.
bool ReachesFrom(Character& user, const WorldVec3& from, float spare, const Object* target)
{
    if (const auto* fixedItem = DynamicCast<FixedItem>(target)) {
        const WorldVec3 item = fixedItem->GetCoords().GetPosition();
        WorldVec3 approach = fixedItem->GetUsePoint(user);
        if (!approach.IsValid())
            approach = item;
        const float reach = fixedItem->GetExtraReach() + kUseWalkTolerance;
        return user.GetExtents() + reach >= WorldDistance(from, approach) ||
               WorldDistance(approach, item) + reach >= WorldDistance(item, from);
    }
    if (const auto* marker = DynamicCast<StrategicMovementBase>(target)) {
        const WorldVec3 approach = marker->GetMoveToPoint(user);
        return approach.IsValid() && user.GetExtents() + kUseWalkTolerance >= WorldDistance(from, approach);
    }
    if (const auto* item = DynamicCast<Item>(target))
        return ReachesItemFrom(user, from, item->GetCoords().GetPosition(), item->GetBoundingRadius());
    if (auto* other = DynamicCast<Character>(const_cast<Object*>(target))) {
        if (other == &user)
            return true;
        const float reach = user.GetExtents() + other->GetExtents() + kTalkRange + spare;
        return reach >= WorldDistance(from, other->GetPathPosition());
    }
    return true;
}

// Whether the character reaches the object from where the server has it (ReachesOnServer).
bool ReachesObjectOnServer(Character& user, const Object* target)
{
    return ReachesOnServer(user, [&](const WorldVec3& from, float spare) { return ReachesFrom(user, from, spare, target); });
}

// The object a client's action uses, takes or talks to, when it is one that asks for reach.
uint32_t ReachedTarget(NetPacket& packet)
{
    if (const auto* use = DynamicCast<UseItemPacket>(&packet))
        return use->itemId;
    if (const auto* pickUp = DynamicCast<PickUpItemPacket>(&packet))
        return pickUp->itemId;
    if (const auto* engage = DynamicCast<EngageNpcPacket>(&packet))
        return engage->targetId;
    if (const auto* chat = DynamicCast<ChatActionPacket>(&packet))
        return chat->targetId;
    return 0;
}

// A client's use, pick-up, talk or chat is applied only within reach of where the server
// has its character; a pick-up takes an item only while it lies loose. The client's frames
// may run ahead of the server's: one out of reach while the server's character is still on
// its way is held until it is within reach, and refused once the character has stopped out
// of reach or the packet has waited its time (NetPacketRegistry::HoldHandled).
bool TargetWithinReach(NetPacket& packet, Character& user, int fromHost)
{
    const uint32_t targetId = ReachedTarget(packet);
    if (targetId == 0)
        return true;
    const char* refusal = nullptr;
    if (DynamicCast<PickUpItemPacket>(&packet) && ObjectManager::Get().GetObject<Item>(targetId)) {
        refusal = RefuseClientItem(user, targetId, true);
        if (!refusal)
            return true;
    } else if (ReachesObjectOnServer(user, ObjectManager::Get().GetObject(targetId))) {
        return true;
    }
    const bool waits = !refusal || refusal == kLooseItemOutOfReach;   // only reach is waited for
    if (waits && user.IsMoving() && NetPacketRegistry::HoldHandled("its character is still on its way to what it names"))
        return false;
    if (refusal)
        return LogNetDrop(packet.GetClassName(), fromHost, "character %u: %s", user.GetObjectId(), refusal);
    return LogNetDrop(packet.GetClassName(), fromHost, "character %u is out of reach of %u", user.GetObjectId(),
                      targetId);
}

// A run or walk starts where the server has the character, give or take the ground it may
// have covered on its client before the server heard of it, and no farther over a chain of
// starts than its pace lets it (TakeClientStart): a start farther off would carry it there at
// once. Such a start is replaced by the server's own position, so that the character still
// runs where its client sends it, along the way the server gives it. A character the server
// has nowhere (on its way through a teleport) does not run. False when the run is refused;
// `amended` tells whether the start was replaced.
bool StartWhereTheServerHasIt(NetPacket& packet, Character& mover, int fromHost, bool& amended)
{
    WorldVec3* start = nullptr;
    if (auto* run = DynamicCast<MoveToPacket>(&packet))
        start = &run->startLocation;
    else if (auto* walk = DynamicCast<WalkPacket>(&packet))
        start = &walk->startLocation;
    if (!start)
        return true;
    const WorldVec3 here = mover.GetPathPosition();
    if (!here.IsValid())
        return LogNetDrop(packet.GetClassName(), fromHost, "character %u stands nowhere on the server",
                          mover.GetObjectId());
    if (TakeClientStart(mover, *start, here))
        return true;
    if (WorldDistance(*start, here) <= kClientLeadTolerance)
        NetDropLog::Note(packet.GetClassName(), fromHost, "starts beyond the character's pace",
                         "its starts carry its character farther than its pace covers; it starts where the server "
                         "has it instead",
                         "amended");
    else
        NetDropLog::Note(packet.GetClassName(), fromHost, "start far from the server's position",
                         "its start lies beyond the latency tolerance of where the server has its character; it "
                         "starts there instead",
                         "amended");
    *start = here;
    amended = true;
    return true;
}

// A client plays its character's animations no faster than the game plays them for it: its
// own actions play at normal speed, its runs at the character's run speed. The play speed
// scales the ground an animation carries the character over (Entity::GetMotion), which
// paces its runs on the server and bounds how far its run starts and reach may lead
// (TakeClientStart, ReachesOnServer); a faster one would let a client set its own pace. A speed
// beyond that, or below naught, is held to the bound.
void PlaysWithinItsSpeed(NetPacket& packet, Character& character, int fromHost, bool& amended)
{
    auto* play = DynamicCast<PlayAnimationActionPacket>(&packet);
    if (!play)
        return;
    const float runSpeed = character.GetRunSpeed();
    const float most = std::isfinite(runSpeed) ? std::max(1.0f, runSpeed) : 1.0f;
    if (play->speedModifier >= 0.0f && play->speedModifier <= most)
        return;
    NetDropLog::Note(packet.GetClassName(), fromHost, "animation speed beyond the character's",
                     "it plays an animation faster than the game plays it for the character; it plays at the "
                     "character's own speed instead",
                     "amended");
    play->speedModifier = std::isnan(play->speedModifier) ? 1.0f : std::clamp(play->speedModifier, 0.0f, most);
    amended = true;
}

// A client tells of a death of its own character with the ids its death handlers make
// their objects under: each must be the client's own, within its quota of entities, so
// that no object of the server's or of another host is made over.
bool DeathIdsAreTheSenders(const DiePacket& packet, int fromHost)
{
    if (const char* refusal = RefuseClientSkillObjects(fromHost, packet.deathHandlerIds))
        return LogNetDrop(packet.GetClassName(), fromHost, "character %u's death: %s",
                          static_cast<uint32_t>(packet.characterId), refusal);
    return true;
}

// The players whose client may teleport once: the server saw each use a portal or a
// shrine, or talk to a boat master, and the teleport that use leads to has not come yet.
HostPlayerList& TeleportsSeen()
{
    static HostPlayerList players;
    return players;
}

// Whether a client's action, applied on the server, is one a teleport follows on its
// client: a use of a portal (a boat among them) or a shrine, a talk to a boat master.
bool LeadsToTeleport(NetPacket& packet)
{
    const uint32_t targetId = ReachedTarget(packet);
    Object* target = targetId != 0 ? ObjectManager::Get().GetObject(targetId) : nullptr;
    if (DynamicCast<UseItemPacket>(&packet))
        return DynamicCast<FixedItemTeleport>(target) || DynamicCast<StrategicMovementBase>(target);
    if (DynamicCast<EngageNpcPacket>(&packet)) {
        const Npc* npc = DynamicCast<Npc>(target);
        return npc && npc->IsBoatMaster();
    }
    return false;
}

}  // namespace

bool TakeClientTeleport(uint32_t playerId)
{
    return TeleportsSeen().Take(playerId);
}

std::unique_ptr<CharacterAction> RebuildCharacterActionFrom(NetPacket& packet)
{
    std::unique_ptr<CharacterAction> action = Rebuild(packet);
    const auto* received = DynamicCast<CharacterActionPacket>(&packet);
    if (action && received && received->HasPreMove())
        action->SetPreMoveData(received->preMovePosition, received->preMoveTargetId, received->preMoveSkillNumber,
                               received->preMoveSpeed);
    return action;
}

const char* RefuseClientItem(Character& holder, uint32_t itemId, bool toPickUp)
{
    const Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item)
        return "it names no item";
    if (!toPickUp && holder.HasItem(itemId))
        return nullptr;
    if (!item->IsInWorld() || item->GetAttachParent() != nullptr)
        return toPickUp ? "it names an item that lies nowhere loose" : "it names an item its character does not hold";
    if (!ReachesObjectOnServer(holder, item))
        return kLooseItemOutOfReach;
    return nullptr;
}

void HandleCharacterActionPacket(NetPacket& packet, int fromHost)
{
    ConnectionManager& connections = ConnectionManager::Get();
    const bool serving = connections.GetLocalHostId() == ConnectionManager::kServerHost;
    const bool fromClient = serving && fromHost != ConnectionManager::kServerHost;
    // A flood of runs is refused before anything is made of it.
    const bool moves = DynamicCast<MoveToPacket>(&packet) || DynamicCast<WalkPacket>(&packet);
    if (fromClient && moves && !MovesWithinItsBudget(packet, fromHost))
        return;
    std::unique_ptr<CharacterAction> action = RebuildCharacterActionFrom(packet);
    if (!action) {
        LogNetDrop(packet.GetClassName(), fromHost, "no action of its type exists");
        return;
    }
    const uint32_t characterId = action->GetParentId();
    if (!MaySendConfigCmd(characterId, fromHost)) {
        LogNetDrop(packet.GetClassName(), fromHost, "the host may not act for character %u", characterId);
        return;
    }
    Character* character = ObjectManager::Get().GetObject<Character>(characterId);
    if (!character) {
        LogNetDrop(packet.GetClassName(), fromHost, "%u is no character here", characterId);
        return;
    }
    if (fromClient) {
        if (!TargetWithinReach(packet, *character, fromHost))
            return;
        if (const auto* death = DynamicCast<DiePacket>(&packet); death && !DeathIdsAreTheSenders(*death, fromHost))
            return;
        bool amended = false;
        if (!StartWhereTheServerHasIt(packet, *character, fromHost, amended))
            return;
        PlaysWithinItsSpeed(packet, *character, fromHost, amended);
        if (amended)
            action = RebuildCharacterActionFrom(packet);
    }
    if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(character->GetControllerId())) {
        controller->LocalHandleAction(action.release());
    } else if (CharacterActionHandler* handler = character->GetActionHandler()) {
        handler->Execute(action.release());
    } else {
        LogNetDrop(packet.GetClassName(), fromHost, "character %u has no action handler", characterId);
        return;
    }
    if (fromClient && LeadsToTeleport(packet))
        TeleportsSeen().Add(characterId);
    // The server passes a client's action on to the other clients, as it does commands.
    if (serving)
        connections.SendToOtherClients(fromHost, packet);
}

void RegisterCharacterActionDispatch()
{
    TeleportsSeen().Clear();
    ForgetClientStarts();
    for (NetPacketType type = kFirstActionPacket; type <= kLastActionPacket; ++type)
        NetPacketRegistry::Get().SetHandler(type, &HandleCharacterActionPacket);
}

void UnregisterCharacterActionDispatch()
{
    TeleportsSeen().Clear();
    ForgetClientStarts();
    for (NetPacketType type = kFirstActionPacket; type <= kLastActionPacket; ++type)
        NetPacketRegistry::Get().SetHandler(type, {});
}

}  // namespace GAME
