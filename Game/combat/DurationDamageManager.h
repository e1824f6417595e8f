// The damage over time and the timed effects that hit one character. For now it keeps
// what each attack adds, in the order it was added, so that what an attack did can be
// seen; the ticks, merging and effects come with damage over time itself.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Game/combat/CombatAttributeType.h"

namespace GAME {

class Character;
class CombatManager;

class DurationDamageManager {
public:
    // One effect as an attack added it: damage per second (or a fixed level) for a
    // duration in seconds.
    struct Added {
        CombatAttributeType type = CombatAttributeType_Unknown;
        float damage = 0.0f;
        float duration = 0.0f;

        bool operator==(const Added&) const = default;
    };

    DurationDamageManager() = default;
    virtual ~DurationDamageManager();
    DurationDamageManager(const DurationDamageManager&) = delete;
    DurationDamageManager& operator=(const DurationDamageManager&) = delete;

    void AssignParents(Character* character, CombatManager* combatManager);
    Character* GetCharacter() const { return m_character; }
    CombatManager* GetCombatManager() const { return m_combatManager; }

    // Duration damage: the damage acts as an amount per second.
    void AddDamage(CombatAttributeType type, float damagePerSecond, float seconds);
    // A fixed level (a slow, a reduction, crowd control at level 1) for a time.
    void AddFixedDamage(CombatAttributeType type, float level, float seconds);

    // The frame update of the running effects.
    virtual void Update(int elapsedMs);
    // The fixed level of a type in force now (slows, reductions); 0 when none.
    virtual float GetFixedDamage(CombatAttributeType type) const;
    // Folds what the attack added into the running effects.
    void EndAttack();
    // The attacker of the attack being resolved.
    void SetAttacker(uint32_t attackerId) { m_attacker = attackerId; }
    uint32_t GetAttacker() const { return m_attacker; }
    // Clears everything a short while after the character started dying.
    virtual void DelayedClearHack();
    bool IsPoisoned() const;

    const std::vector<Added>& GetAddedDamage() const { return m_addedDamage; }
    const std::vector<Added>& GetAddedFixedDamage() const { return m_addedFixedDamage; }

private:
    Character* m_character = nullptr;
    CombatManager* m_combatManager = nullptr;
    std::vector<Added> m_addedDamage;
    std::vector<Added> m_addedFixedDamage;
    uint32_t m_attacker = 0;
    // Until the ticking tracks arrive: the strongest fixed level added per type.
    std::array<float, kCombatAttributeTypeCount> m_fixedLevels{};
};

}  // namespace GAME
