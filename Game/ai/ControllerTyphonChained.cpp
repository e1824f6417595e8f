#include "Game/ai/ControllerTyphonChained.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(TyphonChains, Actor)
GAME_IMPLEMENT_CLASS(TyphonChained, Monster)

void TyphonChains::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_dissolveEffect = table.GetString("dissolveEffect", "");
    m_dissolveTime = table.GetFloat("dissolveTime", 0.0f);
    m_dissolveTexture = table.GetString("dissolveTexture", "");
    m_dissolveRed = table.GetInt("dissolveColorR", 0);
    m_dissolveGreen = table.GetInt("dissolveColorG", 0);
    m_dissolveBlue = table.GetInt("dissolveColorB", 0);
    m_burstFx = table.GetString("burstFX", "");
}

void TyphonChained::Load(const LoadTable& table)
{
    Monster::Load(table);
    const std::string chains = table.GetString("chains", "");
    if (chains.empty())
        return;
    if (TyphonChains* made = ObjectManager::Get().CreateObjectFromFile<TyphonChains>(chains))
        m_chains = made->GetObjectId();
}

void TyphonChained::InitialUpdate()
{
    Monster::InitialUpdate();
    TyphonChains* chains = GetChains();
    if (chains && !m_chainsAttached)
        m_chainsAttached = Attach(chains, Coords(), Name());
}

void TyphonChained::OnDestroy()
{
    if (TyphonChains* chains = GetChains())
        ObjectManager::Get().DestroyObjectEx(chains, "TyphonChained", __LINE__);
    m_chains = 0;
    Monster::OnDestroy();
}

TyphonChains* TyphonChained::GetChains() const
{
    return ObjectManager::Get().GetObject<TyphonChains>(m_chains);
}

}  // namespace GAME
