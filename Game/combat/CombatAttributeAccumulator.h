// The combat attributes of one attack in four lists (damage, damage modifiers, defences,
// defence modifiers), run through the stages of the attack, with the attack's own seeded
// generator and the hit region.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "Game/combat/CombatAttribute.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

class Character;

using CombatAttributeList = std::vector<std::unique_ptr<CombatAttribute>>;

class CombatAttributeAccumulator {
public:
    CombatAttributeAccumulator() = default;
    // A copy holds clones of every object and is seeded like the original.
    CombatAttributeAccumulator(const CombatAttributeAccumulator& other);
    // Appends clones of the other's objects to what this one holds, then takes its seed
    // (re-seeding the generator) and region. Assigning an accumulator to itself changes
    // nothing.
    CombatAttributeAccumulator& operator=(const CombatAttributeAccumulator& other);
    virtual ~CombatAttributeAccumulator();

    virtual RandomUniform& GetRandomGen() { return m_randomGen; }
    // A chance in percent: exactly 0 means always, without a draw; otherwise a whole
    // number drawn from 0 to 100 must not exceed it.
    virtual bool EvaluateChance(float chance);
    virtual float GetChanceMultiplier(float chance);

    void SetSeed(uint32_t seed);
    uint32_t GetSeed() const { return m_seed; }
    void SetRegion(CombatAttributeRegion region) { m_region = region; }
    CombatAttributeRegion GetRegion() const { return m_region; }

    // The accumulator takes what it is given; null is ignored.
    void AddDamage(std::unique_ptr<CombatAttribute> attribute);
    void AddDamageModifier(std::unique_ptr<CombatAttribute> attribute);
    void AddDefenseModifier(std::unique_ptr<CombatAttribute> attribute);
    // A defence that one already held merges (same type) is dropped; otherwise appended.
    void AddDefense(std::unique_ptr<CombatAttribute> attribute);

    const CombatAttributeList& GetDamages() const { return m_damages; }
    const CombatAttributeList& GetDamageModifiers() const { return m_damageModifiers; }
    const CombatAttributeList& GetDefenses() const { return m_defenses; }
    const CombatAttributeList& GetDefenseModifiers() const { return m_defenseModifiers; }

    // Only damage counts: an accumulator that holds only defences is empty.
    bool IsEmpty() const { return m_damages.empty(); }

    // Every damage modifier acts on every damage object (modifier by modifier) and is
    // then dropped; then every damage object processes with the side's numbers.
    void ProcessDamage(const Character& side, float percent, float absoluteCut, float reductionPercent,
                       float reductionAbsolute);
    // The same with the defence modifiers on the defences.
    void ProcessDefense(Character& side, float percent, float absoluteCut, float reductionPercent,
                        float reductionAbsolute);
    // Every defence acts on every damage object in the hit region; then the defences go.
    void ExecuteDefense();
    void ExecuteDamage(Character& defender);

    // Scales every damage object; returns the sum of the scaled base physical damage.
    float ProcessBluntDamageModifier(float modifier);
    // Every damage object reduces itself, by its own type, by the percent.
    void ReduceDamage(float percent);
    void DamageReductionByShield(const Character& defender, float shieldDefense, float shieldAbsorption);
    void ScaleDamage(float percent);
    // Drops the damage that never comes back with reflected damage, keeping the order.
    void FilterReflectDamage();

    // Both totals add onto what the caller passes in.
    void GetTotalDamage(float& absolute, float& overTime) const;
    void GetTotalDamageType(float& absolute, float& overTime, CombatAttributeType type) const;
    // GetTotalDamageType for every type at once, in one pass over the damage. Returns the
    // types that have damage objects, bit t for type t.
    using DamageByType = std::array<float, kCombatAttributeTypeCount>;
    static_assert(kCombatAttributeTypeCount <= 64, "one bit per type");
    uint64_t GetTotalDamageByType(DamageByType& absolute, DamageByType& overTime) const;
    // The sum of the absolute parts of the defences of that type.
    float GetTotalDefenseType(CombatAttributeType type) const;

    // Drops everything: damage, damage modifiers, defences, defence modifiers.
    void Clear();
    // Drops the defences and defence modifiers, keeping the damage.
    void ClearDefenses();

private:
    void AppendClones(const CombatAttributeAccumulator& other);

    CombatAttributeList m_damages;
    CombatAttributeList m_damageModifiers;
    CombatAttributeList m_defenses;
    CombatAttributeList m_defenseModifiers;
    RandomUniform m_randomGen;
    uint32_t m_seed = 0;
    CombatAttributeRegion m_region = CombatAttributeRegion_FullyProtected;
};

}  // namespace GAME
