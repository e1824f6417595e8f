// The skill's services to its kinds: sounds and effects on the user, effect packs at a
// point, animations and the rag-doll push, pets kept for descriptions, target
// searches, the parameters of one attack and the projectile modifier.
#include "Game/skills/Skill.h"

#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/combat/ParametersCombat.h"

namespace GAME {

void Skill::PlaySwipeSound(const WorldVec3&) const {}
void Skill::PlayHitSound(const WorldVec3&) const {}
void Skill::PlaySkillSound1(const WorldVec3&) const {}
void Skill::PlaySkillSound2(const WorldVec3&) const {}
void Skill::PlayWeaponSwipeSound(Character&, const Name&) {}
void Skill::PlayWarmUpSound(const WorldVec3&) const {}
void Skill::PlayActivateSound(const WorldVec3&) const {}
void Skill::PlayDeactivateSound(const WorldVec3&) const {}
void Skill::PlayCastSound(const WorldVec3&) const {}
void Skill::PlayUnCastSound(const WorldVec3&) const {}
void Skill::PlayCastSounds(const WorldVec3&, bool) const {}
void Skill::PlayActivatedSounds(const WorldVec3&, bool) const {}
void Skill::ParticleEffect1(Character&, bool) {}
void Skill::ParticleEffect2(Character&, bool) {}
void Skill::ParticleEffect3(Character&, bool) {}
void Skill::WarmUpEffect(Character&, bool) {}
void Skill::CreateTargetFx(const WorldCoords&) {}
void Skill::CreateEndBuffOtherFx(const WorldCoords&) {}
void Skill::CreateEndBuffSelfFx(const WorldCoords&) {}
void Skill::CollectLocalOffensiveDamageAttributes(CombatAttributeAccumulator&) const {}
void Skill::CollectLocalOffensiveModifierAttributes(CombatAttributeAccumulator&) const {}
void Skill::CollectLocalRacialBonusDamage(const std::vector<std::string>&, RacialBonus_Damage&) const {}
void Skill::Cancel(Character&) {}
bool Skill::IsTargetInRange(const Character&, unsigned, float) const { return false; }
void Skill::CollectCombatParameters(const Character&, const Character*, ParametersCombatStyle, bool, unsigned,
                                    ParametersCombat&, float)
{
}
void Skill::InitRagDollData(CharacterRagDoll::EffectData&, const WorldCoords&, const WorldCoords&) const {}
void Skill::AddProjectileModifier(ProjectileBase*) const {}
bool Skill::StartSpecialAnimation(Character&, float, bool) { return false; }
bool Skill::StartNormalAnimation(Character&, int, const Name&, float, bool, unsigned) { return false; }
void Skill::CaptureAnimationRagDollInfo(const Character&) {}
WorldCoords Skill::GetCoordsFromCallback(const Character& character, const Name&) const
{
    return character.GetCoords();
}
bool Skill::GetValidMeleeTarget(const Character&, unsigned&, const WorldVec3&, bool, float, bool) const
{
    return false;
}
bool Skill::GetValidRangedTarget(const Character&, unsigned&, const WorldVec3&, bool, float) const { return false; }
bool Skill::GetValidFriendTarget(const Character&, unsigned&, const WorldVec3&, bool, float) const { return false; }
void Skill::PreLoadPet() {}
float Skill::GetPetExtents() const { return 2.0f; }
void Skill::ApplyCastVisualEffects(Character&, bool) {}
void Skill::ApplyActiveWorldVisualEffects(Character&, bool) {}
void Skill::ApplyActivatedVisualEffects(Character&, bool) {}
void Skill::ApplyBuffSelfEffects(Character&, bool) {}
void Skill::ApplyBuffOtherEffects(Character&, bool) {}
const std::string& Skill::GetBuffSelfCharFxPakName() const
{
    static const std::string kNone;
    return kNone;
}
const std::string& Skill::GetBuffOtherCharFxPakName() const
{
    static const std::string kNone;
    return kNone;
}

}  // namespace GAME
