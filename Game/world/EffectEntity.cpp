#include "Game/world/EffectEntity.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(EffectEntity, Actor)

EffectEntity* LoadTable::LoadEffectEntity(const LoadTable& table, const char* key)
{
    const std::string record = table.GetString(key, "");
    return record.empty() ? nullptr : ObjectManager::Get().CreateObjectFromFile<EffectEntity>(record);
}

EffectEntity::~EffectEntity() = default;

void EffectEntity::StartEmitting()
{
    m_emitting = true;
    m_stopped = false;
    m_particleLifeMs = 0;
}

void EffectEntity::StopEmitting()
{
    if (m_emitting)
        m_particleLifeMs = kParticleLifeMs;
    m_emitting = false;
    m_stopped = true;
}

void EffectEntity::Reset()
{
    m_emitting = false;
    m_stopped = false;
    m_particleLifeMs = 0;
}

bool EffectEntity::AddToWorld(const WorldCoords& coords, bool selfDeleting)
{
    m_selfDeleting = selfDeleting || (m_stopped && !m_emitting);
    m_emissionLeftMs = kSelfDeletingEmissionMs;
    return World::Get().AddEntity(this, coords);
}

void EffectEntity::UpdateSelf(int elapsedMs)
{
    Actor::UpdateSelf(elapsedMs);
    if (!m_selfDeleting)
        return;
    if (m_emitting) {
        m_emissionLeftMs -= elapsedMs;
        if (m_emissionLeftMs <= 0)
            StopEmitting();
    } else if (m_particleLifeMs > 0) {
        m_particleLifeMs -= elapsedMs;
    }
    if (HasActiveParticles())
        return;
    World::Get().RemoveEntity(this);
    ObjectManager::Get().DestroyObjectEx(this, "EffectEntity", __LINE__);
}

}  // namespace GAME
