#include "Game/characters/CharacterBio.h"

#include "Game/core/GameEngine.h"

namespace GAME {

namespace {

// The level of a difficulty's entry in a character's per-difficulty arrays.
unsigned DifficultyLevel()
{
    const int difficulty = gGameEngine ? gGameEngine->GetGameDifficulty() : GameDifficulty_Normal;
    return difficulty < 0 ? 1u : static_cast<unsigned>(difficulty) + 1u;
}

}  // namespace

void CharacterBio::Load(const LoadTable& record)
{
    m_defenseAttributes.Load(record);
}

void CharacterBio::GetDefenseAttributes(CombatAttributeAccumulator& accumulator) const
{
    m_defenseAttributes.AddToAccumulator(accumulator, DifficultyLevel());
}

}  // namespace GAME
