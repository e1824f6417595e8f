#include "Game/skills/Skill_Passives.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillManagerBase.h"
#include "Game/skills/SkillServicesBase.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Skill_PassiveDualWieldWeapon, Skill_Passive)
GAME_IMPLEMENT_CLASS(Skill_MeleeModifier, Skill_Modifier)
GAME_IMPLEMENT_CLASS(Skill_MeleeModifierRadius, Skill_MeleeModifier)

Skill_PassiveDualWieldWeapon::Skill_PassiveDualWieldWeapon()
{
    m_kindText = "^bPassive Skill - Allows Dual Wielded Weapon";
}

bool Skill_PassiveDualWieldWeapon::SetAvailability(bool, bool)
{
    const SkillManagerBase* manager = GetManager();
    if (GetCurrentLevel() > 0 && manager && manager->GetHandState() == EquipManager_DualWielded)
        return true;
    SetReason(Skill_WeaponNotQualifying);
    return false;
}

void Skill_MeleeModifier::TargetResult(Character& attacker, const std::vector<uint32_t>& targets, const WorldCoords&,
                                       unsigned seed, unsigned, bool)
{
    if (targets.empty())
        return;
    RandomUniform random;
    random.Seed(seed);
    for (uint32_t id : targets) {
        Character* target = ObjectManager::Get().GetObject<Character>(id);
        if (!target)
            continue;
        ParametersCombat params(random);
        CollectCombatParameters(attacker, target, ParametersCombatStyle::Probability, false, 0, params, 0.0f);
        CreateTargetFx(target->GetCoords());
        target->TakeAttack(params);
    }
}

void Skill_MeleeModifierRadius::ActivateModifierAttack(Character& attacker, unsigned, const WorldVec3&)
{
    SkillServicesBase* services = GetServices();
    if (!IsSkillEnabled() || !services)
        return;
    std::vector<unsigned> foes;
    if (gGameEngine)
        gGameEngine->GetTargetsInRadius(attacker.GetTeam(), attacker.GetCoords().GetPosition(), kStrikeRadius, foes,
                                        0, false);
    services->SendTargetResult(GetObjectId(), foes, attacker.GetCoords(), NewSeed(), 0, false);
}

}  // namespace GAME
