#include "Game/ai/ControllerSpirit.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/core/TeamManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerSpiritHost, ControllerMonster)

void ControllerSpiritHost::Load(const LoadTable& table)
{
    ControllerMonster::Load(table);
    m_spiritRecord = table.GetString("spiritThatCanAnimateMe", "");
}

bool ControllerSpiritHost::IsAvailable() const
{
    if (m_animated)
        return false;
    const Monster* spirit = ObjectManager::Get().GetObject<Monster>(m_animator);
    return !spirit || !spirit->IsAlive();
}

void ControllerSpiritHost::Animate()
{
    m_state = "Animate";
    Character* statue = GetParentCharacter();
    if (!statue)
        return;
    statue->SetCausesAnger(true);
    statue->SetInvincible(false);
    statue->SetTeam(TeamManager::DefaultMonsterTeam());
}

}  // namespace GAME
