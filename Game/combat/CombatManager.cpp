#include "Game/combat/CombatManager.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"

namespace GAME {

int gLogCombat = 0;

void CombatManager::AssignParent(Character* owner)
{
    m_owner = owner;
    m_durationDamage.AssignParents(owner, this);
}

bool CombatManager::ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType)
{
    if (amount <= 0.0f)
        return true;
    if (!m_owner)
        return false;
    m_owner->SubtractLife(amount, damageType);
    gEngine->ChannelLog(LOG_INFO, gLogCombat, "^y    Damage %f to Defender 0x%x\n", amount, m_owner->GetObjectId());
    return true;
}

void CombatManager::GiveBonus(const Bonus& bonus, uint32_t characterId)
{
    if (Character* character = ObjectManager::Get().GetObject<Character>(characterId))
        character->TakeBonus(bonus, false, 0);
}

float CombatManager::DesignerCalculatePhysicalDamage(float damage) { return damage; }
float CombatManager::DesignerCalculatePierceDamage(float damage) { return damage; }
float CombatManager::DesignerCalculateElementalDamage(float damage) { return damage; }
float CombatManager::DesignerCalculateElementalDurationDamage(float damage) { return damage; }

float CombatManager::DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption,
                                                            float bonus)
{
    if (protection <= 0.0f)
        return damage;
    const float absorption = protectionAbsorption / protection;
    const float modifiedProtection = protection + protection * bonus;
    const float modifiedAbsorption = absorption + absorption * bonus;
    gEngine->ChannelLog(LOG_INFO, gLogCombat, "    protection = %f\n", protection);
    gEngine->ChannelLog(LOG_INFO, gLogCombat, "    protectionAbsorption = %f\n", protectionAbsorption);
    gEngine->ChannelLog(LOG_INFO, gLogCombat, "    absorption = %f\n", absorption);
    gEngine->ChannelLog(LOG_INFO, gLogCombat, "    bonus = %f\n", bonus);
    gEngine->ChannelLog(LOG_INFO, gLogCombat, "    modified protection = %f\n", modifiedProtection);
    gEngine->ChannelLog(LOG_INFO, gLogCombat, "    modified absorption = %f\n", modifiedAbsorption);
    return std::max(damage, 0.0f);
}

float CombatManager::DesignerCalculateShieldBlockDamageReduction(float damage, float, float) { return damage; }

}  // namespace GAME
