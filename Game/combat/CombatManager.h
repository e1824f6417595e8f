// The combat manager of one character: it resolves the attacks that reach the character.
// For now it holds what the per-attack combat attributes call: applying damage, the
// combat formulas (each gives its plain result while the combat record's formulas are
// not loaded), the life-leech percent and the character's damage over time.
#pragma once

#include <cstdint>

#include "Game/combat/CombatAttributeType.h"
#include "Game/combat/DurationDamageManager.h"

namespace GAME {

struct Bonus;
class Character;

// The log channel of the combat trace; 0 (off) unless the host sets it.
extern int gLogCombat;

class CombatManager {
public:
    CombatManager() = default;
    CombatManager(const CombatManager&) = delete;
    CombatManager& operator=(const CombatManager&) = delete;

    // The owning character (not owned); the damage-over-time manager learns it too.
    void AssignParent(Character* owner);
    Character* GetCharacter() const { return m_owner; }

    DurationDamageManager& GetDurationDamageMgr() { return m_durationDamage; }
    uint32_t GetAttackerId() const { return m_attackerId; }
    void SetAttacker(uint32_t id) { m_attackerId = id; }

    // Applies one amount of damage to the owner. Nothing to apply counts as done (true);
    // false when nothing got through.
    bool ApplyDamage(float amount, const PlayStatsDamageType& damageType, CombatAttributeType combatAttributeType);

    // Gathers life leech during the current attack.
    void ApplyLifeLeech(float percent) { m_lifeLeechPercent += percent; }
    float GetLifeLeechPercent() const { return m_lifeLeechPercent; }

    // Gives the character with that id the bonus, when it still exists.
    void GiveBonus(const Bonus& bonus, uint32_t characterId);

    float DesignerCalculatePhysicalDamage(float damage);
    float DesignerCalculatePierceDamage(float damage);
    float DesignerCalculateElementalDamage(float damage);
    float DesignerCalculateElementalDurationDamage(float damage);
    float DesignerCalculatePhysicalDamageDefense(float damage, float protection, float protectionAbsorption, float bonus);
    float DesignerCalculateShieldBlockDamageReduction(float damage, float shieldDefense, float shieldAbsorption);

private:
    Character* m_owner = nullptr;
    DurationDamageManager m_durationDamage;
    uint32_t m_attackerId = 0;
    float m_lifeLeechPercent = 0.0f;
};

}  // namespace GAME
