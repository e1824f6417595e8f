#include "Game/world/SpecialFX.h"

#include "Engine/ObjectManager.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

SpecialFX::~SpecialFX() { Destroy(); }

EffectEntity* SpecialFX::GetEffect() const { return ObjectManager::Get().GetObject<EffectEntity>(m_effectId); }

void SpecialFX::Destroy()
{
    if (EffectEntity* effect = GetEffect())
        ObjectManager::Get().DestroyObjectEx(effect, "SpecialFX", __LINE__);
    m_effectId = 0;
}

void SpecialFX::LoadFX(const std::string& recordName)
{
    Destroy();
    if (recordName.empty())
        return;
    if (EffectEntity* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(recordName))
        m_effectId = effect->GetObjectId();
}

void SpecialFX::StartFx()
{
    if (EffectEntity* effect = GetEffect())
        effect->StartEmitting();
}

void SpecialFX::StopFx()
{
    if (EffectEntity* effect = GetEffect())
        effect->StopEmitting();
}

void SpecialFX::ReleaseFx(const WorldCoords& coords)
{
    EffectEntity* effect = GetEffect();
    if (!effect)
        return;
    if (Entity* parent = effect->GetAttachParent())
        parent->Detach(effect);
    if (effect->HasActiveParticles() && effect->AddToWorld(coords, true)) {
        m_effectId = 0;
        return;
    }
    Destroy();
}

void SpecialFX::PreLoad()
{
    if (EffectEntity* effect = GetEffect())
        effect->PreLoad(true);
}

}  // namespace GAME
