#include "Game/skills/SkillWeaponPool.h"

#include "Game/skills/SkillProfile.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillActivatedWeaponPool, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_WeaponPool_Default, SkillActivatedWeaponPool)
// Built on the weapon road, registered under the activated skills as its siblings are.
GAME_IMPLEMENT_CLASS(Skill_WPAttack, SkillActivated)
GAME_IMPLEMENT_CLASS(Skill_WPAttack_BasicAttack, Skill_WPAttack)

Skill_WeaponPool_Default::Skill_WeaponPool_Default()
{
    m_kindText = "^bDefault Weapon Attack";
    m_primary = true;
    m_defaultSkill = true;
    SetSkillEnabled(true);
}

bool Skill_WeaponPool_Default::SetAvailability(bool, bool)
{
    SetReason(Skill_Usable);
    return true;
}

Skill_WPAttack::Skill_WPAttack() { m_kindText = "^bBasic Weapon Attack"; }

unsigned Skill_WPAttack::GetChanceWeight(bool evenDisabled) const
{
    if (!IsSkillEnabled() && !evenDisabled)
        return 0;
    const SkillProfile* profile = GetSkillProfile();
    return profile ? profile->GetChanceWeight(GetCurrentLevel()) : 0;
}

bool Skill_WPAttack::SetAvailability(bool, bool) { return SkillActivatedWeapon::SetAvailability(true, true); }

Skill_WPAttack_BasicAttack::Skill_WPAttack_BasicAttack() { m_kindText = "^bPooled Weapon Attack"; }

}  // namespace GAME
