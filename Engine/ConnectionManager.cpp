#include "Engine/ConnectionManager.h"

namespace GAME {

ConnectionManager& ConnectionManager::Get()
{
    static ConnectionManager manager;
    return manager;
}

// There is no transport yet, so no host is connected and there is nothing to drop.
void ConnectionManager::Disconnect(int, const std::string&) {}

}  // namespace GAME
