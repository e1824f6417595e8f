#include "Game/skills/Skill_DemoFauxAttack.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_DemoFauxAttack, SkillActivated)

Skill_DemoFauxAttack::Skill_DemoFauxAttack()
{
    m_kindText = "^bSpell Attack";
    m_primary = true;
    m_secondary = true;
}

void Skill_DemoFauxAttack::ActivateNow(Character& caster, const Name&, unsigned targetId, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!services || !ObjectManager::Get().GetObject<Character>(targetId))
        return;
    services->SendTargetResult(GetObjectId(), {targetId}, caster.GetCoords(), NewSeed(), 0, false);
}

void Skill_DemoFauxAttack::TargetResult(Character& caster, const std::vector<uint32_t>& targets,
                                        const WorldCoords&, unsigned seed, unsigned, bool)
{
    if (targets.empty())
        return;
    RandomUniform random;
    random.Seed(seed);
    for (uint32_t id : targets) {
        Character* target = ObjectManager::Get().GetObject<Character>(id);
        if (!target)
            continue;
        // Only who strikes and how: no damage and no modifiers are gathered.
        ParametersCombat params(random);
        params.attackerId = caster.GetObjectId();
        params.combatType = ParametersCombatStyle::None;
        CreateTargetFx(target->GetCoords());
        target->TakeAttack(params);
        PlayHitSound(target->GetCoords().GetPosition());
    }
}

}  // namespace GAME
