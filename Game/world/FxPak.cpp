#include "Game/world/FxPak.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/world/EffectEntity.h"
#include "Game/world/Fx.h"
#include "Game/world/OwnedSound.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FxPak, Entity)

FxPak::FxPak() { SetFrameUpdate(true); }

FxPak::~FxPak()
{
    DestroyOwnedSound(m_activateSound, "FxPak");
}

void FxPak::Load(const LoadTable& table)
{
    Entity::Load(table);
    table.GetStringArray("particleEffectNames", m_particleEffectNames);
    table.GetStringArray("meshEffectNames", m_meshEffectNames);
    DestroyOwnedSound(m_activateSound, "FxPak");
    m_activateSound = CreateOwnedSound(table, "activateSound");
}

void FxPak::UpdateBoundingBox()
{
    SetRegionBoundingBox(OBBox(ABBox{GetCoords().GetRegionCoords().origin, Vec3(1.0f, 1.0f, 1.0f)}));
}

SoundPak* FxPak::GetActivateSound() const { return FindOwnedSound(m_activateSound); }

void FxPak::InitialUpdate()
{
    Entity::InitialUpdate();
    LoadResources();
    if (SoundPak* sound = GetActivateSound())
        sound->Play(GetCoords().GetPosition(), 0, true);
}

void FxPak::LoadResources()
{
    ObjectManager& objects = ObjectManager::Get();
    const WorldCoords& here = GetCoords();
    for (const std::string& name : m_meshEffectNames) {
        FxMesh* mesh = name.empty() ? nullptr : objects.CreateObjectFromFile<FxMesh>(name);
        if (!mesh)
            continue;
        mesh->AddToWorld(here);
        if (!mesh->IsInWorld()) {
            objects.DestroyObjectEx(mesh, "FxPak", __LINE__);
            continue;
        }
        mesh->Start();
    }
    for (const std::string& name : m_particleEffectNames) {
        EffectEntity* effect = name.empty() ? nullptr : objects.CreateObjectFromFile<EffectEntity>(name);
        if (!effect)
            continue;
        effect->StartEmitting();
        if (!effect->AddToWorld(here, true))
            objects.DestroyObjectEx(effect, "FxPak", __LINE__);
    }
    m_meshEffectNames.clear();
    m_particleEffectNames.clear();
}

void FxPak::UpdateSelf(int elapsedMs)
{
    Entity::UpdateSelf(elapsedMs);
    if (!IsInWorld() || elapsedMs <= 0)
        return;
    // Freed at the end of the frame; nothing of this object is touched after this.
    World::Get().RemoveEntity(this);
    ObjectManager::Get().DestroyObjectEx(this, "FxPak", __LINE__);
}

}  // namespace GAME
