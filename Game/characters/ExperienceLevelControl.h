// A character's level, experience and unspent attribute ("modifier") and skill points,
// with the per-level values of its level record.
#pragma once

#include <cstdint>

namespace GAME {

class Character;
class LoadTable;

class ExperienceLevelControl {
public:
    // The character the level belongs to (not owned).
    void SetParent(Character* parent) { m_parent = parent; }
    Character* GetParent() const { return m_parent; }

    // Reads the level record the character's record names ("levelFileName": points per
    // level, attribute increments, initial skill points, maximum level), then the
    // character's own level (its "charLevel" entry for the game's difficulty),
    // experience and points.
    void Load(const LoadTable& record);

    uint32_t GetLevel() const { return m_level; }
    uint32_t GetExperience() const { return m_experience; }
    uint32_t GetModifierPoints() const { return m_modifierPoints; }
    uint32_t GetSkillPoints() const { return m_skillPoints; }
    uint32_t GetMaxLevel() const { return m_maxLevel; }
    bool IsMaxLevel() const { return m_level >= m_maxLevel; }

    uint32_t GetModifierPointsPerLevel() const { return m_modifierPointsPerLevel; }
    uint32_t GetSkillPointsPerLevel() const { return m_skillPointsPerLevel; }
    uint32_t GetManaIncrement() const { return m_manaIncrement; }
    uint32_t GetLifeIncrement() const { return m_lifeIncrement; }
    uint32_t GetDexterityIncrement() const { return m_dexterityIncrement; }
    uint32_t GetStrengthIncrement() const { return m_strengthIncrement; }
    uint32_t GetIntelligenceIncrement() const { return m_intelligenceIncrement; }

private:
    Character* m_parent = nullptr;
    uint32_t m_modifierPointsPerLevel = 0;
    uint32_t m_skillPointsPerLevel = 0;
    uint32_t m_manaIncrement = 1;
    uint32_t m_lifeIncrement = 1;
    uint32_t m_dexterityIncrement = 1;
    uint32_t m_strengthIncrement = 1;
    uint32_t m_intelligenceIncrement = 1;
    uint32_t m_maxLevel = 0;
    uint32_t m_level = 1;
    uint32_t m_experience = 0;
    uint32_t m_modifierPoints = 0;
    uint32_t m_skillPoints = 0;
};

}  // namespace GAME
