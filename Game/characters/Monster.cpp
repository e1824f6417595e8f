#include "Game/characters/Monster.h"

#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Monster, Character)

void Monster::Load(const LoadTable& table)
{
    GetSkillManager().SetMonsterSkills(true);
    Character::Load(table);
}

}  // namespace GAME
