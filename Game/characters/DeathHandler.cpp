#include "Game/characters/DeathHandler.h"

namespace GAME {

void DeathManager::AddHandler(std::unique_ptr<DeathHandler> handler)
{
    if (handler)
        m_handlers.push_back(std::move(handler));
}

void DeathManager::PreLoad()
{
    for (const auto& handler : m_handlers)
        handler->PreLoad();
}

}  // namespace GAME
