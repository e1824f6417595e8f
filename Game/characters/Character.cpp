#include "Game/characters/Character.h"

#include <algorithm>
#include <limits>

#include "Game/combat/CombatManager.h"
#include "Game/items/Item.h"
#include "Game/core/Bonus.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Character, Actor)

Character::Character()
    : m_combatManager(std::make_unique<CombatManager>()), m_skillManager(std::make_unique<SkillManager>())
{
    m_combatManager->AssignParent(this);
}

Character::~Character() = default;

WorldVec3 Character::GetPathPosition()
{
    if (!m_pathPosition.IsValid() && IsInWorld())
        m_pathPosition = GetCoords().GetPosition();
    return m_pathPosition;
}

void Character::TeleportToLocation(const WorldCoords& coords)
{
    World::Get().AddEntity(this, coords);
    m_pathPosition = coords.GetPosition();
}

// ---- Combat -------------------------------------------------------------------------

DurationDamageManager& Character::GetDurationDamageMgr() { return m_combatManager->GetDurationDamageMgr(); }

bool Character::ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType combatAttributeType)
{
    return m_combatManager->ApplyDamage(amount, damageType, combatAttributeType);
}

void Character::SubtractLife(float amount, const PlayStatsDamageType&)
{
    m_currentLife = std::max(m_currentLife - amount, 0.0f);
}

float Character::DesignerCalculatePhysicalDamage(float damage) const
{
    return m_combatManager->DesignerCalculatePhysicalDamage(damage);
}

float Character::DesignerCalculatePierceDamage(float damage) const
{
    return m_combatManager->DesignerCalculatePierceDamage(damage);
}

float Character::DesignerCalculateElementalDamage(float damage) const
{
    return m_combatManager->DesignerCalculateElementalDamage(damage);
}

float Character::DesignerCalculateElementalDurationDamage(float damage) const
{
    return m_combatManager->DesignerCalculateElementalDurationDamage(damage);
}

float Character::DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption,
                                                        float bonus) const
{
    return m_combatManager->DesignerCalculatePhysicalDamageDefense(damage, protection, protectionAbsorption, bonus);
}

float Character::DesignerCalculateShieldBlockDamageReduction(float damage, float shieldDefense,
                                                            float shieldAbsorption) const
{
    return m_combatManager->DesignerCalculateShieldBlockDamageReduction(damage, shieldDefense, shieldAbsorption);
}

void Character::CombatExertInfluenceFear(int) {}
void Character::CombatExertInfluenceConfusion(int) {}
void Character::CombatExertInfluenceTaunt(float) {}

void Character::CombatAddCooldownDamage(int durationMs)
{
    m_skillManager->AddCooldownDamage(static_cast<float>(durationMs));
}

void Character::CombatAddLifeLeechDamage(float percent) { m_combatManager->ApplyLifeLeech(percent); }

void Character::JoinMe(uint32_t, int, bool) {}

void Character::SubtractMana(float amount) { m_currentMana = std::max(m_currentMana - amount, 0.0f); }

float Character::GetTotalCharAttribute(CharAttributeType type) const
{
    return type < m_charAttributes.size() ? m_charAttributes[type] : 0.0f;
}

void Character::SetTotalCharAttribute(CharAttributeType type, float value)
{
    if (type < m_charAttributes.size())
        m_charAttributes[type] = value;
}
// ---- Gold, items given and quest commands ----------------------------------------------

void Character::AddMoney(uint32_t amount)
{
    const uint32_t room = std::numeric_limits<uint32_t>::max() - m_money;
    m_money += amount < room ? amount : room;
}

void Character::SubtractMoney(uint32_t amount)
{
    m_money -= amount < m_money ? amount : m_money;
}

void Character::GiveItemToCharacter(Item* item)
{
    if (item)
        m_inventoryItems.push_back(item->GetObjectId());
}

void Character::QuestCommandMove(uint32_t, const WorldVec3&, bool) {}
void Character::QuestCommandWalk(uint32_t, const WorldVec3&, bool) {}
void Character::QuestCommandPlayAnimation(uint32_t, bool, bool) {}
void Character::QuestCommandUseSkill(const std::string&, uint32_t, bool) {}

// ---- Damage over time -----------------------------------------------------------------

namespace {

// The bit of a type in the shown-effects mask; types beyond the mask have none.
uint64_t DamageEffectBit(CombatAttributeType type) { return type < 64 ? uint64_t{1} << type : 0; }

}  // namespace

void Character::StartDamageEffect(CombatAttributeType type) { m_damageEffectsShown |= DamageEffectBit(type); }

void Character::StopDamageEffect(CombatAttributeType type) { m_damageEffectsShown &= ~DamageEffectBit(type); }

bool Character::IsDamageEffectShown(CombatAttributeType type) const
{
    return (m_damageEffectsShown & DamageEffectBit(type)) != 0;
}

void Character::StartInvoluntaryEffect(CombatAttributeType type) { m_involuntaryEffect = type; }

void Character::StopInvoluntaryEffect(CombatAttributeType type)
{
    if (m_involuntaryEffect == type)
        m_involuntaryEffect = CombatAttributeType_Unknown;
}

void Character::SetRagdollData(const CharacterRagDoll::EffectData& data, bool) { m_ragdollData = data; }

void Character::ForceSpeedUpdate() {}

void Character::TakeBonus(const Bonus& bonus, bool, int32_t)
{
    m_currentLife = std::min(m_currentLife + bonus.lifePoints, std::max(m_lifeLimit, m_currentLife));
    m_currentMana += bonus.manaPoints;
}

}  // namespace GAME
