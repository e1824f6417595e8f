// One attack as it travels from attacker to defender, and the random numbers it draws in
// advance so that every roll of the attack follows from them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "Game/characters/CharacterRagDoll.h"
#include "Game/combat/CombatAttributeAccumulator.h"

namespace GAME {

class RandomUniform;

class AttackRandoms {
public:
    static constexpr int kCount = 7;
    // What each pre-drawn value seeds; the others are the skills' to use.
    static constexpr int kAccumulatorSeed = 0;
    static constexpr int kDefenderSeed = 2;
    static constexpr int kRetaliationSeed = 3;

    static constexpr uint32_t kDefaultMin = 0;
    static constexpr uint32_t kDefaultMax = 32765;

    explicit AttackRandoms(uint32_t min = kDefaultMin, uint32_t max = kDefaultMax) : m_min(min), m_max(max) {}
    AttackRandoms(const AttackRandoms&) = default;
    AttackRandoms& operator=(const AttackRandoms&) = default;
    virtual ~AttackRandoms();

    // Each of the values from index `first` up to `last` (all seven by default), in
    // order, is one whole-number draw in [min, max]. Filling the first value alone and
    // the rest later from the same source gives the same seven numbers.
    void Fill(RandomUniform& source, int first = 0, int last = kCount);

    // The value at index 0..6; 0 for any other index.
    uint32_t Get(int index) const;
    uint32_t GetMin() const { return m_min; }
    uint32_t GetMax() const { return m_max; }

private:
    uint32_t m_min;
    uint32_t m_max;
    std::array<uint32_t, kCount> m_values{};
};

// How an attack is resolved.
enum class ParametersCombatStyle : int32_t {
    None = 0,
    Probability = 1,   // melee: dodge, fumble and probability-to-hit rolls; retaliation
    Projectile = 2,    // a deflection roll
    Direct = 3,        // retaliation and reflection: no roll and no answer
};

class ParametersCombat {
public:
    // Draws the seven randoms from `source` (one attack consumes seven draws) and seeds
    // the accumulator with the first.
    explicit ParametersCombat(RandomUniform& source);
    // An attack whose randoms are drawn and whose combat attributes were gathered
    // already (the accumulator seeded with the first value), taken over as they are.
    ParametersCombat(const AttackRandoms& drawn, CombatAttributeAccumulator&& gathered);
    // Copying copies every field; assignment appends the other's combat attributes to the
    // accumulator's own (see CombatAttributeAccumulator). Moving moves the attack's
    // objects and their storage without cloning them.
    ParametersCombat(const ParametersCombat&) = default;
    ParametersCombat& operator=(const ParametersCombat&) = default;
    ParametersCombat(ParametersCombat&&) noexcept = default;
    ParametersCombat& operator=(ParametersCombat&&) noexcept = default;
    ~ParametersCombat() = default;

    // The attack as reflection sends it back: every field, with the combat attributes
    // that reflection carries (see CombatAttributeAccumulator::ReflectionClones).
    ParametersCombat(const ParametersCombat& arrived, CombatAttributeAccumulator::ReflectionClones clones);

    // A new object of the attack, in the attack's own storage (to add to its accumulator).
    template <class T, class... Args>
    CombatAttributePtr Make(Args&&... args)
    {
        return accumulator.Make<T>(std::forward<Args>(args)...);
    }

    uint32_t attackerId = 0;
    ParametersCombatStyle combatType = ParametersCombatStyle::None;
    float offensiveAbility = 0.0f;
    AttackRandoms randoms;
    uint32_t skillValue = 0;   // carried with the attack for the skills that fill it
    std::string auraName;      // record of an aura the defender receives; empty for none
    int32_t auraLevel = 0;
    CombatAttributeAccumulator accumulator;
    CharacterRagDoll::EffectData ragdollEffect;
    float racialBonusDamage = 0.0f;
    float fumbleChance = 0.0f;   // percent
    float manaCost = 0.0f;
};

}  // namespace GAME
