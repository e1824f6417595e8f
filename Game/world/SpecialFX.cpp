#include "Game/world/SpecialFX.h"

#include "Engine/ObjectManager.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

SpecialFX::~SpecialFX() { Destroy(); }

EffectEntity* SpecialFX::GetEffect() const { return ObjectManager::Get().GetObject<EffectEntity>(m_effectId); }

void SpecialFX::Destroy()
{
    if (EffectEntity* effect = GetEffect()) {
        effect->StopEmitting();
        if (Entity* parent = effect->GetAttachParent())
            parent->Detach(effect);
        ObjectManager::Get().DestroyObjectEx(effect, "SpecialFX", __LINE__);
    }
    m_effectId = 0;
    m_isStarted = false;
}

void SpecialFX::LoadFX(const std::string& recordName) { LoadFX(recordName, nullptr); }

void SpecialFX::LoadFX(const std::string& recordName, Actor* owner)
{
    Destroy();
    if (recordName.empty())
        return;
    EffectEntity* effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(recordName);
    if (!effect)
        return;
    m_effectId = effect->GetObjectId();
    if (owner) {
        effect->StopEmitting();
        owner->Attach(effect, Coords(), Name());
    }
}

void SpecialFX::StartFx()
{
    if (EffectEntity* effect = GetEffect()) {
        effect->StartEmitting();
        m_isStarted = true;
    }
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
        m_isStarted = false;
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
