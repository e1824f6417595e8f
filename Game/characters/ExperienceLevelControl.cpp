#include "Game/characters/ExperienceLevelControl.h"

#include <string>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"

namespace GAME {

namespace {

// A count from a record: negative values read as 0.
uint32_t ReadCount(const LoadTable& table, const char* key, uint32_t def)
{
    const int value = table.GetInt(key, static_cast<int>(def));
    return value > 0 ? static_cast<uint32_t>(value) : 0u;
}

}  // namespace

void ExperienceLevelControl::Load(const LoadTable& record)
{
    const std::string levelFile = record.GetString("levelFileName", "");
    if (!levelFile.empty()) {
        if (const LoadTable* levels = ObjectManager::Get().LoadTableFile(levelFile)) {
            m_modifierPointsPerLevel = ReadCount(*levels, "characterModifierPoints", 0);
            m_skillPointsPerLevel = ReadCount(*levels, "skillModifierPoints", 0);
            m_strengthIncrement = ReadCount(*levels, "strengthIncrement", 0);
            m_dexterityIncrement = ReadCount(*levels, "dexterityIncrement", 0);
            m_intelligenceIncrement = ReadCount(*levels, "intelligenceIncrement", 0);
            m_lifeIncrement = ReadCount(*levels, "lifeIncrement", 0);
            m_manaIncrement = ReadCount(*levels, "manaIncrement", 0);
            m_skillPoints = ReadCount(*levels, "initialSkillPoints", 0);
            m_maxLevel = ReadCount(*levels, "maxPlayerLevel", 0);
        }
    }
    // The level is the record's entry for the game's difficulty; 1 without one.
    std::vector<int> levels;
    record.GetIntArray("charLevel", levels);
    const int difficulty = gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0;
    const size_t index = static_cast<size_t>(difficulty > 0 ? difficulty : 0);
    m_level = index < levels.size() ? (levels[index] > 0 ? static_cast<uint32_t>(levels[index]) : 0u) : 1u;
    m_experience = ReadCount(record, "experiencePoints", 0);
    m_modifierPoints = ReadCount(record, "modifierPoints", 0);
    m_skillPoints = ReadCount(record, "skillPoints", m_skillPoints);
}

}  // namespace GAME
