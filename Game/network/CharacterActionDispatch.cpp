#include "Game/network/CharacterActionDispatch.h"

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetDropLog.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/core/ClientCreations.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/network/CharacterActionPackets.h"
#include "Game/network/ConfigCmdDispatch.h"
#include "Game/world/FixedItem.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

namespace {

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

// A walk ends within this much of the point it was heading for.
constexpr float kUseWalkTolerance = 0.5f;

// Whether the character, standing at `from`, reaches the object as a player's click would
// use it there without walking: a fixed item from its approach point or within its extra
// reach of it, a strategic-movement point within the character's extents of its approach
// point. Anything else is no object a use acts on, and is in reach.
bool ReachesFrom(Character& user, const WorldVec3& from, const Object* target)
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
    return true;
}

// A client's use is applied only within reach of where the server sees its character, or
// of where the walk it is on ends (the client may finish the walk a little earlier).
bool UseWithinReach(const UseItemPacket& packet, Character& user, int fromHost)
{
    const Object* target = ObjectManager::Get().GetObject(packet.itemId);
    const WorldVec3 walkEnd = user.GetPathTarget();
    if (ReachesFrom(user, user.GetPathPosition(), target) || (walkEnd.IsValid() && ReachesFrom(user, walkEnd, target)))
        return true;
    return LogNetDrop(packet.GetClassName(), fromHost, "character %u is out of reach of %u", user.GetObjectId(),
                      static_cast<uint32_t>(packet.itemId));
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

}  // namespace

std::unique_ptr<CharacterAction> RebuildCharacterActionFrom(NetPacket& packet)
{
    std::unique_ptr<CharacterAction> action = Rebuild(packet);
    const auto* received = DynamicCast<CharacterActionPacket>(&packet);
    if (action && received && received->HasPreMove())
        action->SetPreMoveData(received->preMovePosition, received->preMoveTargetId, received->preMoveSkillNumber,
                               received->preMoveSpeed);
    return action;
}

void HandleCharacterActionPacket(NetPacket& packet, int fromHost)
{
    std::unique_ptr<CharacterAction> action = RebuildCharacterActionFrom(packet);
    if (!action) {
        gEngine->Log(LOG_WARNING, "%s from host %d dropped: no action of its type exists", packet.GetClassName(),
                     fromHost);
        return;
    }
    const uint32_t characterId = action->GetParentId();
    if (!MaySendConfigCmd(characterId, fromHost)) {
        gEngine->Log(LOG_WARNING, "%s from host %d dropped: the host may not act for character %u",
                     packet.GetClassName(), fromHost, characterId);
        return;
    }
    Character* character = ObjectManager::Get().GetObject<Character>(characterId);
    if (!character) {
        gEngine->Log(LOG_WARNING, "%s from host %d dropped: %u is no character here", packet.GetClassName(), fromHost,
                     characterId);
        return;
    }
    ConnectionManager& connections = ConnectionManager::Get();
    const bool serving = connections.GetLocalHostId() == ConnectionManager::kServerHost;
    const bool fromClient = serving && fromHost != ConnectionManager::kServerHost;
    if (const auto* use = DynamicCast<UseItemPacket>(&packet);
        use && fromClient && !UseWithinReach(*use, *character, fromHost))
        return;
    if (const auto* death = DynamicCast<DiePacket>(&packet);
        death && fromClient && !DeathIdsAreTheSenders(*death, fromHost))
        return;
    if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(character->GetControllerId())) {
        controller->LocalHandleAction(action.release());
    } else if (CharacterActionHandler* handler = character->GetActionHandler()) {
        handler->Execute(action.release());
    } else {
        gEngine->Log(LOG_WARNING, "%s from host %d dropped: character %u has no action handler", packet.GetClassName(),
                     fromHost, characterId);
        return;
    }
    // The server passes a client's action on to the other clients, as it does commands.
    if (serving)
        connections.SendToOtherClients(fromHost, packet);
}

void RegisterCharacterActionDispatch()
{
    for (NetPacketType type = kFirstActionPacket; type <= kLastActionPacket; ++type)
        NetPacketRegistry::Get().SetHandler(type, &HandleCharacterActionPacket);
}

void UnregisterCharacterActionDispatch()
{
    for (NetPacketType type = kFirstActionPacket; type <= kLastActionPacket; ++type)
        NetPacketRegistry::Get().SetHandler(type, {});
}

}  // namespace GAME
