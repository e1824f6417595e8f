#include "Game/world/PFxManager.h"

#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/Fx.h"

namespace GAME {

namespace {

void DestroyEffect(uint32_t effectId)
{
    ObjectManager& objects = ObjectManager::Get();
    if (Object* effect = objects.GetObject(effectId))
        objects.DestroyObjectEx(effect, "PFxManager", __LINE__);
}

EffectEntity* FindEffect(uint32_t effectId)
{
    return ObjectManager::Get().GetObject<EffectEntity>(effectId);
}

FxMesh* FindMesh(uint32_t meshId)
{
    return ObjectManager::Get().GetObject<FxMesh>(meshId);
}

}  // namespace

// The engine keeps no effects attached to an actor, so the manager destroys the attached
// ones as well: nothing else would.
PFxManager::~PFxManager()
{
    for (const auto& [effectId, entry] : m_particleEffects)
        DestroyEffect(effectId);
    for (const auto& [effectId, entry] : m_meshEffects)
        DestroyEffect(effectId);
}

void PFxManager::Update(int /*elapsedMs*/)
{
    for (auto it = m_particleEffects.begin(); it != m_particleEffects.end();) {
        PFxEffect& entry = it->second;
        EffectEntity* effect = FindEffect(it->first);
        if (entry.isAttached && !entry.isEmitting && (!effect || !effect->HasActiveParticles())) {
            if (effect && m_actor)
                m_actor->Detach(effect);
            entry.isAttached = false;
        }
        if (entry.isRemoved && !entry.isEmitting && !entry.isAttached) {
            DestroyEffect(it->first);
            it = m_particleEffects.erase(it);
        } else {
            ++it;
        }
    }
    NoteBusy();
}

uint32_t PFxManager::AddParticleEffect(const std::string& recordName, const std::string& attachPoint)
{
    if (recordName.empty())
        return 0;
    EffectEntity* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(recordName);
    if (!effect)
        return 0;
    effect->PreLoad(true);
    PFxEffect& entry = m_particleEffects[effect->GetObjectId()];
    entry = PFxEffect();
    entry.attachPoint = attachPoint;
    NoteBusy();
    return effect->GetObjectId();
}

void PFxManager::StartParticleEffect(uint32_t effectId)
{
    const auto found = m_particleEffects.find(effectId);
    EffectEntity* effect = FindEffect(effectId);
    if (found == m_particleEffects.end() || found->second.isRemoved || !effect)
        return;
    effect->Reset();
    if (!found->second.isAttached) {
        if (m_actor)
            m_actor->Attach(effect, Coords(), Name(found->second.attachPoint));
        found->second.isAttached = true;
    }
    effect->StartEmitting();
    found->second.isEmitting = true;
}

void PFxManager::StopParticleEffect(uint32_t effectId)
{
    const auto found = m_particleEffects.find(effectId);
    if (found == m_particleEffects.end() || !found->second.isEmitting)
        return;
    if (EffectEntity* effect = FindEffect(effectId))
        effect->StopEmitting();
    found->second.isEmitting = false;
}

void PFxManager::RemoveParticleEffect(uint32_t& effectId)
{
    const auto found = m_particleEffects.find(effectId);
    if (found != m_particleEffects.end()) {
        StopParticleEffect(effectId);
        found->second.isRemoved = true;
    }
    effectId = 0;
}

uint32_t PFxManager::AddMeshEffect(const std::string& recordName)
{
    if (recordName.empty())
        return 0;
    FxMesh* mesh = ObjectManager::Get().CreateObjectFromFile<FxMesh>(recordName);
    if (!mesh)
        return 0;
    PFxEffect& entry = m_meshEffects[mesh->GetObjectId()];
    entry = PFxEffect();
    entry.attachPoint = mesh->GetAttachPoint();
    return mesh->GetObjectId();
}

void PFxManager::StartMeshEffect(uint32_t effectId)
{
    const auto found = m_meshEffects.find(effectId);
    FxMesh* mesh = FindMesh(effectId);
    if (found == m_meshEffects.end() || !mesh || found->second.isAttached)
        return;
    if (m_actor)
        m_actor->Attach(mesh, Coords(), Name(found->second.attachPoint));
    mesh->Start();
    found->second.isAttached = true;
}

void PFxManager::StopMeshEffect(uint32_t effectId)
{
    const auto found = m_meshEffects.find(effectId);
    if (found == m_meshEffects.end() || !found->second.isAttached)
        return;
    if (FxMesh* mesh = FindMesh(effectId)) {
        if (m_actor)
            m_actor->Detach(mesh);
        mesh->Stop();
    }
    found->second.isAttached = false;
}

void PFxManager::RemoveMeshEffect(uint32_t& effectId)
{
    const auto found = m_meshEffects.find(effectId);
    if (found != m_meshEffects.end()) {
        StopMeshEffect(effectId);
        DestroyEffect(effectId);
        m_meshEffects.erase(found);
    }
    effectId = 0;
}

void PFxManager::OneShotParticleEffect(const std::string& recordName, const std::string& attachPoint)
{
    if (recordName.empty() || !m_actor)
        return;
    EffectEntity* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(recordName);
    if (!effect)
        return;
    effect->StartEmitting();
    Coords coords;
    const WorldVec3 where = m_actor->GetAttachPointPosition(Name(attachPoint));
    coords.origin = where.GetRegionPosition();
    if (!effect->AddToWorld(WorldCoords(where.GetRegion(), coords), true))
        ObjectManager::Get().DestroyObjectEx(effect, "PFxManager", __LINE__);
}

const PFxManager::PFxEffect* PFxManager::FindParticleEffect(uint32_t effectId) const
{
    const auto found = m_particleEffects.find(effectId);
    return found != m_particleEffects.end() ? &found->second : nullptr;
}

const PFxManager::PFxEffect* PFxManager::FindMeshEffect(uint32_t effectId) const
{
    const auto found = m_meshEffects.find(effectId);
    return found != m_meshEffects.end() ? &found->second : nullptr;
}

}  // namespace GAME
