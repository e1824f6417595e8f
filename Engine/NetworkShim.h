// The engine's side of networked play as the game sets it up: whether the network is on
// and, while it is, where what happens on this peer is sent (ConnectionManager does the
// sending).
#pragma once

namespace GAME {

class NetPacket;

class NetworkShim {
public:
    // Off: the game plays alone. Server and Client: this peer's part in a networked game.
    enum Role : int { Role_Off = 0, Role_Server = 1, Role_Client = 2 };

    // The game sets its role whenever it chooses one (off until then).
    void SetRole(Role role) { m_role = role; }
    Role GetRole() const { return m_role; }
    bool IsEnabled() const { return m_role != Role_Off; }

    // Sends the packet of something that happened on this peer to the peers that must see
    // it: a server's to every client, a client's to the server. False, sending nothing,
    // while the network is off, and when the connection manager sent nothing (no
    // transport, a packet that could not be built: both logged there).
    bool Send(NetPacket& packet);

private:
    Role m_role = Role_Off;
};

}  // namespace GAME
