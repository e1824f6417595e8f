// A character's level, experience and unspent attribute ("modifier") and skill points,
// with the per-level values of its level record.
#pragma once

#include <cstdint>
#include <memory>

#include "Game/core/foundation/DesignerEquation.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

class Character;
class IOStream;
class LoadTable;

// The experience formula, evaluated with "playerLevel" = P, is the total experience at
// which level P + 1 is reached; level 1 is reached at 0.
class ExperienceLevelControl : public EquationInterface_Algebra {
public:
    // A level record's maximum level is held to this, so that no record makes the level
    // loops run for ever.
    static constexpr uint32_t kLevelLimit = 10000;

    ExperienceLevelControl();
    ~ExperienceLevelControl() override;
    // The formula reads the formula level in place: the object stays where it was made.
    ExperienceLevelControl(const ExperienceLevelControl&) = delete;
    ExperienceLevelControl& operator=(const ExperienceLevelControl&) = delete;

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
    // The highest level a character may stand at: the maximum level, kLevelLimit without
    // a level record.
    uint32_t GetTopLevel() const { return m_maxLevel != 0 ? m_maxLevel : kLevelLimit; }

    // The formula's value rounded to a whole number of points; 0 without a formula.
    uint32_t EvaluateExperience();
    // The total experience at which the next level is reached, from the current level or
    // from `level`.
    uint32_t GetExperienceToNextLevel();
    uint32_t GetExperienceToNextLevel(uint32_t level) { return EvaluateAt(level); }
    // The total experience at which the current level was reached; 0 on levels 0 and 1.
    uint32_t GetExperienceForCurrentLevel();
    // Adds experience and raises the level past every threshold it reaches (points,
    // a skill-up event and an autosave each time); at the maximum level the experience
    // stays at that level's threshold. True when at least one level was gained.
    bool ReceiveExperience(uint32_t amount);
    // Takes experience, never below the current level's threshold.
    void LoseExperience(uint32_t amount);

    // Each takes one unspent attribute point and returns what it is worth; 0 (and nothing
    // taken) without points.
    uint32_t SpendPointOnStrength() { return SpendPoint(m_strengthIncrement); }
    uint32_t SpendPointOnDexterity() { return SpendPoint(m_dexterityIncrement); }
    uint32_t SpendPointOnIntelligence() { return SpendPoint(m_intelligenceIncrement); }
    uint32_t SpendPointOnLife() { return SpendPoint(m_lifeIncrement); }
    uint32_t SpendPointOnMana() { return SpendPoint(m_manaIncrement); }
    // Points stop at their largest count rather than wrapping.
    void AddModifierPoints(uint32_t amount) { m_modifierPoints = SaturatingAdd(m_modifierPoints, amount); }
    void AddSkillPoints(uint32_t amount) { m_skillPoints = SaturatingAdd(m_skillPoints, amount); }
    void SetModifierPoints(uint32_t points) { m_modifierPoints = points; }
    void SetSkillPoints(uint32_t points) { m_skillPoints = points; }
    // Takes one skill point when there is one; the points left.
    uint32_t SubtractSkillPoint();

    // The network image's pair, written as it stands.
    void GetLevelAndExperience(uint32_t& level, uint32_t& experience) const;
    void SetLevelAndExperience(uint32_t level, uint32_t experience);

    // The save block: level, experience, modifier points and skill points.
    void StreamProperties(IOStream& stream);
    // The experience of each level, one log line each.
    void DumpLevels();

    // "playerLevel": the level the formula is evaluated for.
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

    uint32_t GetModifierPointsPerLevel() const { return m_modifierPointsPerLevel; }
    uint32_t GetSkillPointsPerLevel() const { return m_skillPointsPerLevel; }
    uint32_t GetManaIncrement() const { return m_manaIncrement; }
    uint32_t GetLifeIncrement() const { return m_lifeIncrement; }
    uint32_t GetDexterityIncrement() const { return m_dexterityIncrement; }
    uint32_t GetStrengthIncrement() const { return m_strengthIncrement; }
    uint32_t GetIntelligenceIncrement() const { return m_intelligenceIncrement; }

private:
    uint32_t SpendPoint(uint32_t increment);
    // The formula at the level clamped to [0, maximum level].
    uint32_t EvaluateAt(int64_t level);

    Character* m_parent = nullptr;
    std::unique_ptr<DesignerEquation_Algebra> m_formula;
    uint32_t m_formulaLevel = 0;
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
