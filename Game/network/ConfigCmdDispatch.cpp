#include "Game/network/ConfigCmdDispatch.h"

#include <algorithm>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/ConfigCmdPackets.h"

namespace GAME {

namespace {

// The table's entry for packet class P: `make` builds the command from a P.
template <class P, class Make>
ConfigCmdRebuild Rebuild(Make)
{
    return {P::kType, [](NetPacket& received) -> std::unique_ptr<ActorConfigCommand> {
                P* packet = DynamicCast<P>(&received);
                if (!packet)
                    return nullptr;
                return std::unique_ptr<ActorConfigCommand>(Make{}(*packet));
            }};
}

// Commands of the actor alone, and of the actor and one value.
template <class P, class C>
ConfigCmdRebuild ActorOnly()
{
    return Rebuild<P>([](P& p) { return new C(p.actorId); });
}

template <class P, class C>
ConfigCmdRebuild ActorValue()
{
    return Rebuild<P>([](P& p) { return new C(p.actorId, p.value); });
}

std::vector<ConfigCmdRebuild> BuildTable()
{
    using Targets = FixedItemTargetConfigCmdPacket;
    using SkillTargets = FixedItemSkillTargetConfigCmdPacket;
    using Marker = StrategicMovementTargetConfigCmdPacket;
    using Equipped = DropItemFromEquipLocConfigCmdPacket;
    using Damage = StartStopDamageEffectConfigCmdPacket;
    std::vector<ConfigCmdRebuild> table = {
        ActorOnly<IncBaseStrengthConfigCmdPacket, IncrementBaseStrengthConfigCmd>(),
        ActorOnly<IncBaseDexterityConfigCmdPacket, IncrementBaseDexterityConfigCmd>(),
        ActorOnly<IncBaseIntelligenceConfigCmdPacket, IncrementBaseIntelligenceConfigCmd>(),
        ActorOnly<ReleaseTrapConfigCmdPacket, ReleaseTrapConfigCmd>(),
        ActorOnly<ReleaseStunConfigCmdPacket, ReleaseStunConfigCmd>(),
        ActorOnly<ReleaseImmobilizeConfigCmdPacket, ReleaseImmobilizeConfigCmd>(),
        ActorOnly<QuestMoveCompletedConfigCmdPacket, QuestMoveCompletedConfigCmd>(),
        ActorOnly<QuestAnimationCompletedConfigCmdPacket, QuestAnimationCompletedConfigCmd>(),
        ActorOnly<DisableTyphonSkillEffectsConfigCmdPacket, DisableTyphonSkillEffectsConfigCmd>(),
        ActorValue<ReleasePetConfigCmdPacket, ReleasePetConfigCmd>(),
        ActorValue<DetachItemConfigCmdPacket, DetachItemConfigCmd>(),
        ActorValue<RemoveInventoryItemConfigCmdPacket, RemoveInventoryItemConfigCmd>(),
        ActorValue<PlaySoundConfigCmdPacket, PlaySoundConfigCmd>(),
        ActorValue<IncBaseLifeConfigCmdPacket, IncrementBaseLifeConfigCmd>(),
        ActorValue<IncBaseManaConfigCmdPacket, IncrementBaseManaConfigCmd>(),
        ActorValue<ShowCharacterConfigCmdPacket, ShowCharacterConfigCmd>(),
        ActorValue<SetCausesAngerConfigCmdPacket, SetCausesAngerConfigCmd>(),
        ActorValue<SetInvincibleConfigCmdPacket, SetInvincibleConfigCmd>(),
        Rebuild<Targets>([](Targets& p) {
            return new FixedItemTargetConfigCmd(p.actorId, p.primaryTargetId, p.targetIds.GetIds());
        }),
        Rebuild<SkillTargets>([](SkillTargets& p) {
            return new FixedItemSkillTargetConfigCmd(p.actorId, p.primaryTargetId, p.targetIds.GetIds());
        }),
        Rebuild<Marker>([](Marker& p) { return new StrategicMovementTargetConfigCmd(p.actorId, p.targetIds.GetIds()); }),
        Rebuild<AttachItemConfigCmdPacket>([](AttachItemConfigCmdPacket& p) {
            return new AttachItemConfigCmd(p.actorId, p.itemId, p.location);
        }),
        Rebuild<DropItemConfigCmdPacket>([](DropItemConfigCmdPacket& p) {
            return new DropItemConfigCmd(p.actorId, p.itemId, p.offset1, p.offset2);
        }),
        Rebuild<Equipped>([](Equipped& p) {
            return new DropItemFromEquipLocationConfigCmd(p.actorId, p.itemId, p.location, p.toss);
        }),
        Rebuild<UseItemConfigCmdPacket>([](UseItemConfigCmdPacket& p) {
            return new UseItemConfigCmd(p.actorId, p.itemId, p.destroy);
        }),
        Rebuild<UseRelicConfigCmdPacket>([](UseRelicConfigCmdPacket& p) {
            return new UseRelicConfigCmd(p.actorId, p.relicId, p.itemId);
        }),
        Rebuild<PickupItemConfigCmdPacket>([](PickupItemConfigCmdPacket& p) {
            return new CharPickUpConfigCmd(p.actorId, p.itemId);
        }),
        // The state is passed on as it came: a fixed item ignores a state it does not know.
        Rebuild<FixedItemStateChangeConfigCmdPacket>([](FixedItemStateChangeConfigCmdPacket& p) {
            return new FixedItemStateChangeConfigCmd(p.actorId, static_cast<FixedItem_State>(p.state), p.targetId,
                                                     p.doSound);
        }),
        Rebuild<RequestAllyAttackConfigCmdPacket>([](RequestAllyAttackConfigCmdPacket& p) {
            return new RequestAllyAttackConfigCmd(p.actorId, p.requesterId, p.targetId);
        }),
        Rebuild<RequestAllyMoveConfigCmdPacket>([](RequestAllyMoveConfigCmdPacket& p) {
            return new RequestAllyMoveConfigCmd(p.actorId, p.requesterId, p.targetPoint);
        }),
        Rebuild<Damage>([](Damage& p) { return new StartStopDamageEffectConfigCmd(p.actorId, p.start, p.type); }),
        Rebuild<SetTeamConfigCmdPacket>([](SetTeamConfigCmdPacket& p) {
            return new SetTeamConfigCmd(p.actorId, p.team);
        }),
        // Skills: the lists come bounded from the packet; the skill number is looked up,
        // never used as an index, and the buff's records are tested for their class.
        Rebuild<SkillTargetResultConfigCmdPacket>([](SkillTargetResultConfigCmdPacket& p) {
            return new SkillTargetResultConfigCmd(p.actorId, p.skillNumber, p.targetIds.GetIds(), p.origin, p.seed,
                                                  p.weaponId, p.useWeapon, p.hitIteration);
        }),
        Rebuild<CreateProjectileConfigCmdPacket>([](CreateProjectileConfigCmdPacket& p) {
            return new CreateProjectileConfigCmd(p.actorId, p.skillNumber, p.weaponId, p.origin, p.targetId, p.point,
                                                 p.projectileId, p.seed, p.hitIteration);
        }),
        Rebuild<SpawnObjectConfigCmdPacket>([](SpawnObjectConfigCmdPacket& p) {
            return new SpawnObjectConfigCmd(p.actorId, p.skillNumber, p.origin, p.targetId, p.spawnCoords, p.spawnIds,
                                            p.lastValue);
        }),
        Rebuild<SkillStateUpdateConfigCmdPacket>([](SkillStateUpdateConfigCmdPacket& p) {
            return new SkillStateUpdateConfigCmd(p.actorId, p.skillNumber, p.state);
        }),
        Rebuild<SkillActiveStateUpdateConfigCmdPacket>([](SkillActiveStateUpdateConfigCmdPacket& p) {
            return new SkillActiveStateUpdateConfigCmd(p.actorId, p.skillNumber, p.state);
        }),
        Rebuild<CreateRemoveSkillBuffConfigCmdPacket>([](CreateRemoveSkillBuffConfigCmdPacket& p) {
            return new CreateRemoveSkillBuffConfigCmd(p.actorId, p.skillId, p.skillName, p.level, p.modifierName1,
                                                      p.modifierLevel1, p.modifierName2, p.modifierLevel2,
                                                      p.timeToLive, p.casterId);
        }),
        Rebuild<ActivateSkillConfigCmdPacket>([](ActivateSkillConfigCmdPacket& p) {
            return new ActivateSkillConfigCmd(p.actorId, p.skillIndex, p.targetId, p.targetPoint);
        }),
    };
    std::sort(table.begin(), table.end(),
              [](const ConfigCmdRebuild& a, const ConfigCmdRebuild& b) { return a.type < b.type; });
    return table;
}

bool Drop(const NetPacket& packet, int fromHost, const char* reason)
{
    gEngine->Log(LOG_WARNING, "%s from host %d dropped: %s", packet.GetClassName(), fromHost, reason);
    return false;
}

}  // namespace

const std::vector<ConfigCmdRebuild>& ConfigCmdRebuilds()
{
    static const std::vector<ConfigCmdRebuild> table = BuildTable();
    return table;
}

std::unique_ptr<ActorConfigCommand> RebuildConfigCmdFrom(NetPacket& packet)
{
    const std::vector<ConfigCmdRebuild>& table = ConfigCmdRebuilds();
    const NetPacketType type = packet.GetType();
    auto found = std::lower_bound(table.begin(), table.end(), type,
                                  [](const ConfigCmdRebuild& entry, NetPacketType t) { return entry.type < t; });
    if (found == table.end() || found->type != type)
        return nullptr;
    return found->rebuild(packet);
}

bool MaySendConfigCmd(uint32_t actorId, int fromHost)
{
    ConnectionManager& connections = ConnectionManager::Get();
    if (connections.GetLocalHostId() != ConnectionManager::kServerHost)
        return fromHost == ConnectionManager::kServerHost;
    return connections.IsClientConnected(fromHost) && ConnectionManager::HostOfPlayer(actorId) == fromHost;
}

void HandleConfigCmdPacket(NetPacket& packet, int fromHost)
{
    std::unique_ptr<ActorConfigCommand> command = RebuildConfigCmdFrom(packet);
    if (!command) {
        Drop(packet, fromHost, "no command of its type exists");
        return;
    }
    const uint32_t actorId = command->GetActorId();
    if (!MaySendConfigCmd(actorId, fromHost)) {
        gEngine->Log(LOG_WARNING, "%s from host %d dropped: the host may not command actor %u",
                     packet.GetClassName(), fromHost, actorId);
        return;
    }
    Actor* actor = ObjectManager::Get().GetObject<Actor>(actorId);
    if (!actor) {
        gEngine->Log(LOG_WARNING, "%s from host %d dropped: actor %u is no actor here", packet.GetClassName(),
                     fromHost, actorId);
        return;
    }
    actor->EnqueueReceived(command.release(), fromHost);
}

void RegisterConfigCmdDispatch()
{
    for (const ConfigCmdRebuild& entry : ConfigCmdRebuilds())
        NetPacketRegistry::Get().SetHandler(entry.type, &HandleConfigCmdPacket);
}

void UnregisterConfigCmdDispatch()
{
    for (const ConfigCmdRebuild& entry : ConfigCmdRebuilds())
        NetPacketRegistry::Get().SetHandler(entry.type, {});
}

}  // namespace GAME
