#include "Game/skills/SkillActivated.h"

#include "Game/characters/Character.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SkillActivated, Skill)

SkillActivated::SkillActivated() { m_disruptable = true; }

void SkillActivated::Load(const LoadTable& table) { Skill::Load(table); }

void SkillActivated::ActivateNow(Character&, const Name&, unsigned, const WorldVec3&) { NotifyUIOnActivate(); }

bool SkillActivated::ExecuteRangedAttack(Character&, const WorldCoords&, unsigned, const WorldVec3&, unsigned) const
{
    return false;
}

bool SkillActivated::ExecuteMeleeAttack(Character&, unsigned, const WorldVec3&, unsigned) const { return false; }

void SkillActivated::ApplyRangedDamage(Character&, const std::vector<uint32_t>&, const WorldCoords&, unsigned,
                                       unsigned)
{
}

void SkillActivated::ApplyMeleeDamageInherent(Character&, const std::vector<uint32_t>&, const WorldCoords&, unsigned)
{
}

std::string SkillActivated::GetProjectileName() const { return {}; }

void SkillActivated::ApplyBuffOnTarget(Character&, Character&, const std::string&, int) {}

SkillServicesBase* SkillActivated::GetServices() const { return nullptr; }

uint32_t SkillActivated::NewSeed() { return 0; }

void SkillActivated::SendProjectileTargets(const ProjectileInfo&, const std::vector<uint32_t>&) const {}

void SkillActivated::ApplyDamageLoop(Character&, const std::vector<uint32_t>&, const WorldCoords&, unsigned,
                                     ParametersCombatStyle, bool, unsigned, float)
{
}

void SkillActivatedSpell::TargetInformation(const ProjectileInfo&, const WorldCoords&, std::vector<uint32_t>) {}

void SkillActivatedSpell::TargetResult(Character&, const std::vector<uint32_t>&, const WorldCoords&, unsigned,
                                       unsigned, bool)
{
}

void SkillActivatedWeapon::TargetInformation(const ProjectileInfo&, const WorldCoords&, std::vector<uint32_t>) {}

}  // namespace GAME
