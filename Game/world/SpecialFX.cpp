#include "Game/world/SpecialFX.h"

#include "Engine/ObjectManager.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

SpecialFX::~SpecialFX() { Destroy(); }

void SpecialFX::Destroy()
{
    if (m_effect) {
        ObjectManager::Get().DestroyObjectEx(m_effect, "SpecialFX", __LINE__);
        m_effect = nullptr;
    }
}

void SpecialFX::LoadFX(const std::string& recordName)
{
    Destroy();
    if (!recordName.empty())
        m_effect = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(recordName);
}

void SpecialFX::StartFx()
{
    if (m_effect)
        m_effect->StartEmitting();
}

void SpecialFX::StopFx()
{
    if (m_effect)
        m_effect->StopEmitting();
}

void SpecialFX::ReleaseFx(const WorldCoords& coords)
{
    if (!m_effect)
        return;
    if (m_effect->HasActiveParticles() && m_effect->AddToWorld(coords, true)) {
        m_effect = nullptr;
        return;
    }
    Destroy();
}

void SpecialFX::PreLoad()
{
    if (m_effect)
        m_effect->PreLoad(true);
}

}  // namespace GAME
