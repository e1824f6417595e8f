#include "Game/characters/MonsterKinds.h"

#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Pet, Monster)
GAME_IMPLEMENT_CLASS(Guard, Monster)

const AttributePak* Pet::GetBalanceAttributePak() const
{
    return gGameEngine ? &gGameEngine->GetPetAttributePak() : nullptr;
}

void Guard::Load(const LoadTable& table)
{
    Monster::Load(table);
    SetTeam(TeamManager::DefaultPlayerTeam());
    SetInvincible(true);
}

}  // namespace GAME
