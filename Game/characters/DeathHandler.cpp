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

void DeathManager::GetObjectIdRequests(std::vector<uint32_t>&) const {}
void DeathManager::SetObjectIds(const std::vector<uint32_t>&) {}
void DeathManager::Execute() {}
void DeathManager::Update(int) {}
void DeathManager::AnimationCallback(const Name&) {}
void DeathManager::ExternalEvent(const Name&) {}
bool DeathManager::IsFinished() const { return false; }
void DeathManager::PostProcess() {}
void DeathManager::Reset() {}

}  // namespace GAME
