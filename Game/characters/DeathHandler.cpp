#include "Game/characters/DeathHandler.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"

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

void DeathManager::GetObjectIdRequests(std::vector<uint32_t>& ids) const
{
    ids.clear();
    for (const auto& handler : m_handlers)
        if (handler->NeedsObjectId())
            ids.push_back(ObjectManager::Get().CreateObjectID());
}

void DeathManager::SetObjectIds(const std::vector<uint32_t>& ids)
{
    size_t next = 0;
    for (const auto& handler : m_handlers) {
        if (next == ids.size())
            return;
        if (handler->NeedsObjectId())
            handler->SetObjectId(ids[next++]);
    }
}

void DeathManager::Execute()
{
    m_started = true;
    if (m_character)
        m_character->ImDying();
    for (const auto& handler : m_handlers)
        handler->Execute();
}

void DeathManager::Update(int elapsedMs)
{
    if (!m_started || m_postProcessed)
        return;
    for (const auto& handler : m_handlers)
        handler->Update(elapsedMs);
}

void DeathManager::AnimationCallback(const Name& event)
{
    for (const auto& handler : m_handlers)
        handler->AnimationCallback(event);
}

void DeathManager::ExternalEvent(const Name& event)
{
    for (const auto& handler : m_handlers)
        handler->ExternalEvent(event);
}

bool DeathManager::IsFinished() const
{
    if (!m_started || m_postProcessed)
        return false;
    for (const auto& handler : m_handlers)
        if (!handler->IsFinished())
            return false;
    return true;
}

void DeathManager::PostProcess()
{
    if (m_character)
        m_character->ImDead();
    if (m_postProcessed)
        return;
    // Marked first: a handler's post-processing that reaches the manager again finds
    // it done.
    m_postProcessed = true;
    for (const auto& handler : m_handlers)
        handler->PostProcess();
}

void DeathManager::Reset()
{
    m_started = false;
    m_postProcessed = false;
    for (const auto& handler : m_handlers)
        handler->Reset();
}

}  // namespace GAME
