#include "Game/network/ConfigCmdDispatch.h"

#include <algorithm>

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/core/NetworkRoute.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/ConfigCmdPackets.h"

namespace GAME {

namespace {

// One entry a command, rebuilt from its packet's fields (ConfigCmdOf::FromPacket). The
// lists in a packet come bounded from its reader; a skill number is looked up, never used
// as an index, and a buff's records are tested for their class.
std::vector<ConfigCmdRebuild> BuildTable()
{
#define GAME_CONFIG_CMD_REBUILD(Command) {Command::PacketType::kType, &Command::FromPacket},
    std::vector<ConfigCmdRebuild> table = {GAME_CONFIG_COMMANDS(GAME_CONFIG_CMD_REBUILD)};
#undef GAME_CONFIG_CMD_REBUILD
    std::sort(table.begin(), table.end(),
              [](const ConfigCmdRebuild& a, const ConfigCmdRebuild& b) { return a.type < b.type; });
    return table;
}

bool Drop(const NetPacket& packet, int fromHost, const char* reason)
{
    return DropReceived(packet, fromHost, reason);
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
