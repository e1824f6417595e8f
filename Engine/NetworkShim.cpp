#include "Engine/NetworkShim.h"

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"

namespace GAME {

namespace {
// The one network of the process, as the connection manager is one.
NetworkShim gNetworkShim;
}  // namespace

NetworkShim* Engine::GetNetworkShim() { return &gNetworkShim; }

bool Engine::IsNetworkEnabled() const { return gNetworkShim.IsEnabled(); }

bool NetworkShim::Send(NetPacket& packet)
{
    switch (m_role) {
    case Role_Server:
        return ConnectionManager::Get().SendToAllClients(packet);
    case Role_Client:
        return ConnectionManager::Get().SendToServer(packet);
    default:
        return false;
    }
}

}  // namespace GAME
