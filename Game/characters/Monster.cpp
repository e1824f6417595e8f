#include "Game/characters/Monster.h"

#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Monster, Character)

void Monster::Load(const LoadTable& table)
{
    GetSkillManager().SetMonsterSkills(true);
    Character::Load(table);
    // The server (or the game alone) drives a monster's skills; a client follows.
    const bool controlling = !IsOnNetworkClient();
    SetIsControllingCharacter(controlling);
    if (controlling)
        GetSkillManager().SetAsControllingManager();
}

}  // namespace GAME
