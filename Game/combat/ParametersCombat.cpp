#include "Game/combat/ParametersCombat.h"

#include <algorithm>
#include <typeinfo>
#include <utility>

#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

AttackRandoms::~AttackRandoms() = default;

void AttackRandoms::Fill(RandomUniform& source, int first, int last)
{
    const int begin = std::max(first, 0);
    const int end = std::min(last, kCount);
    const int min = static_cast<int>(m_min);
    const int max = static_cast<int>(m_max);
    // Several values from a plain generator (not one behind a lock) are drawn from a copy,
    // which then takes its place: the same draws, with the state held in a register rather
    // than stored and read back for each value.
    if (end - begin > 1 && typeid(source) == typeid(RandomUniform)) {
        RandomUniform drawing = source;
        for (int index = begin; index < end; ++index)
            m_values[static_cast<size_t>(index)] = static_cast<uint32_t>(drawing.RandomUniform::IGenerate(min, max));
        source = drawing;
        return;
    }
    for (int index = begin; index < end; ++index)
        m_values[static_cast<size_t>(index)] = static_cast<uint32_t>(source.IGenerate(min, max));
}

uint32_t AttackRandoms::Get(int index) const
{
    return index >= 0 && index < kCount ? m_values[static_cast<size_t>(index)] : 0;
}

ParametersCombat::ParametersCombat(RandomUniform& source)
{
    randoms.Fill(source);
    accumulator.SetSeed(randoms.Get(AttackRandoms::kAccumulatorSeed));
}

ParametersCombat::ParametersCombat(const AttackRandoms& drawn, CombatAttributeAccumulator&& gathered)
    : randoms(drawn), accumulator(std::move(gathered))
{
}

// Field by field, as the copy does, but for the accumulator.
ParametersCombat::ParametersCombat(const ParametersCombat& arrived,
                                   CombatAttributeAccumulator::ReflectionClones clones)
    : attackerId(arrived.attackerId),
      combatType(arrived.combatType),
      offensiveAbility(arrived.offensiveAbility),
      randoms(arrived.randoms),
      skillValue(arrived.skillValue),
      auraName(arrived.auraName),
      auraLevel(arrived.auraLevel),
      accumulator(arrived.accumulator, clones),
      ragdollEffect(arrived.ragdollEffect),
      racialBonusDamage(arrived.racialBonusDamage),
      fumbleChance(arrived.fumbleChance),
      manaCost(arrived.manaCost)
{
}

}  // namespace GAME
