#include "Game/skills/Skill.h"

#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/SkillProfile.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill, Object)
GAME_IMPLEMENT_CLASS(Skill_Passive, Skill)

void Skill::Load(const LoadTable& table)
{
    Object::Load(table);
    if (gGameEngine)
        SetSkillProfile(gGameEngine->LoadSkillResource(Name(GetObjectName()), table));
}

void Skill::CollectPassiveDefenseAttributes(CombatAttributeAccumulator&) const {}

void Skill::CollectPassiveCharAttributes(CharAttributeAccumulator& accumulator) const
{
    if (const CharAttributeContribution* contribution = GetPassiveCharContribution())
        contribution->AddToAccumulator(accumulator);
}

void Skill_Passive::CollectPassiveDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    if (IsSkillEnabled() && GetSkillProfile())
        GetSkillProfile()->GetDefenseAttributes(accumulator, GetCurrentLevel());
}

const CharAttributeContribution* Skill_Passive::FindPassiveCharContribution() const
{
    if (IsSkillEnabled() && GetSkillProfile())
        return GetSkillProfile()->GetCharContribution(GetCurrentLevel());
    return nullptr;
}

}  // namespace GAME
