#include "Game/characters/CharacterBio.h"

#include <algorithm>

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

float CharacterBio::GetCurrentLife() const { return std::max(m_currentLife, 0.0f); }

float CharacterBio::GetCurrentMana() const { return std::max(m_currentMana, 0.0f); }

void CharacterBio::SubtractLife(float amount)
{
    if (amount >= 0.0f) {
        m_currentLife -= amount;
        m_lifeDamageThisFrame += amount;
    }
    m_tainted = true;
}

void CharacterBio::SubtractMana(float amount)
{
    m_currentMana = std::max(m_currentMana - amount, 0.0f);
    m_tainted = true;
}

void CharacterBio::SetTotalCharAttribute(CharAttributeType type, float value)
{
    if (type >= kCharAttributeTypeCount)
        return;
    // The accumulator only adds: cancel the modifier and the value (each sum of x and -x
    // is exactly 0), then add the new value, so the total reads back exactly.
    m_totalAttributes.AddModifier(type, -m_totalAttributes.GetModifier(type));
    m_totalAttributes.AddValue(type, -m_totalAttributes.GetValue(type));
    m_totalAttributes.AddValue(type, value);
}

}  // namespace GAME
