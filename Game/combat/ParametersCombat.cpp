#include "Game/combat/ParametersCombat.h"

#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

AttackRandoms::~AttackRandoms() = default;

void AttackRandoms::Fill(RandomUniform& source)
{
    for (auto& value : m_values)
        value = static_cast<uint32_t>(source.IGenerate(static_cast<int>(m_min), static_cast<int>(m_max)));
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

}  // namespace GAME
