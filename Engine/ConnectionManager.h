// The connection manager: the engine's link to the other hosts of a networked game.
// Hosts are numbered 0 to 15; a player id carries its host's number in its top 4 bits.
// Packets do not travel yet; dropping a host is what the game asks of it so far.
#pragma once

#include <string>

namespace GAME {

class ConnectionManager {
public:
    static ConnectionManager& Get();

    // Drops the connection of a host, telling it why.
    void Disconnect(int host, const std::string& reason);

private:
    ConnectionManager() = default;
};

}  // namespace GAME
