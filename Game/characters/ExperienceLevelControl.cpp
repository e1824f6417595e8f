#include "Game/characters/ExperienceLevelControl.h"

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "Game/core/foundation/MathUtil.h"
#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"

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
            const std::string formula = levels->GetString("experienceLevelEquation", "");
            m_formula.reset();
            if (!formula.empty()) {
                m_formula = std::make_unique<DesignerEquation_Algebra>();
                if (!m_formula->ParseEquation(formula.c_str(), this)) {
                    gEngine->Log(LOG_WARNING, "-=- Experience Level Control Equation load failure : experienceEquation ");
                    m_formula.reset();
                }
            }
            m_maxLevel = ReadCount(*levels, "maxPlayerLevel", 0);
            if (m_maxLevel > kLevelLimit) {
                gEngine->Log(LOG_WARNING, "ExperienceLevelControl: %s: maxPlayerLevel %u held to %u", levelFile.c_str(),
                             m_maxLevel, kLevelLimit);
                m_maxLevel = kLevelLimit;
            }
        }
    }
    // The level is the record's entry for the game's difficulty; 1 without one.
    std::vector<int> levels;
    record.GetIntArray("charLevel", levels);
    const int difficulty = gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0;
    const size_t index = static_cast<size_t>(difficulty > 0 ? difficulty : 0);
    m_level = index < levels.size() ? (levels[index] > 0 ? static_cast<uint32_t>(levels[index]) : 0u) : 1u;
    // A record's level above the highest a character may stand at is held there, as a
    // saved one is: no character plays a level its levels do not reach.
    if (m_level > GetTopLevel()) {
        gEngine->Log(LOG_WARNING, "ExperienceLevelControl: %s: charLevel %u is above the highest level, %u; held to it",
                     record.GetName().c_str(), m_level, GetTopLevel());
        m_level = GetTopLevel();
    }
    m_experience = ReadCount(record, "experiencePoints", 0);
    m_modifierPoints = ReadCount(record, "modifierPoints", 0);
    m_skillPoints = ReadCount(record, "skillPoints", m_skillPoints);
}

ExperienceLevelControl::ExperienceLevelControl() = default;
ExperienceLevelControl::~ExperienceLevelControl() = default;

DesignerVariableSlot<float> ExperienceLevelControl::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    return FindDesignerVariable<float>(name, {{"playerLevel", Slot::OfUnsigned(m_formulaLevel)}});
}

uint32_t ExperienceLevelControl::EvaluateExperience()
{
    if (!m_formula)
        return 0;
    const float value = (*m_formula)() + 0.5f;
    if (!(value > 0.0f))
        return 0;
    return value >= 4294967295.0f ? UINT32_MAX : static_cast<uint32_t>(value);
}

uint32_t ExperienceLevelControl::EvaluateAt(int64_t level)
{
    m_formulaLevel = static_cast<uint32_t>(std::clamp<int64_t>(level, 0, m_maxLevel));
    return EvaluateExperience();
}

uint32_t ExperienceLevelControl::GetExperienceToNextLevel() { return EvaluateAt(m_level); }

uint32_t ExperienceLevelControl::GetExperienceForCurrentLevel()
{
    // Signed: level 0 (a record's or a save's) is below the first threshold, not the top.
    const uint32_t experience = EvaluateAt(static_cast<int64_t>(m_level) - 1);
    return m_formulaLevel == 0 ? 0 : experience;
}

bool ExperienceLevelControl::ReceiveExperience(uint32_t amount)
{
    m_experience = SaturatingAdd(m_experience, amount);
    bool gained = false;
    while (m_level < m_maxLevel) {
        if (m_experience < GetExperienceToNextLevel())
            break;
        m_modifierPoints = SaturatingAdd(m_modifierPoints, m_modifierPointsPerLevel);
        ++m_level;
        m_skillPoints = SaturatingAdd(m_skillPoints, m_skillPointsPerLevel);
        if (m_skillPointsPerLevel != 0) {
            GameEvent_PlayerSkillUp event;
            event.objectId = m_parent ? m_parent->GetObjectId() : 0;
            EventManager::Get().Send(event, "GameEvent_PlayerSkillUp");
        }
        if (gGameEngine)
            gGameEngine->AutoSave();
        gained = true;
    }
    if (m_level >= m_maxLevel)
        m_experience = GetExperienceForCurrentLevel();
    return gained;
}

void ExperienceLevelControl::LoseExperience(uint32_t amount)
{
    const int64_t left = static_cast<int64_t>(m_experience) - static_cast<int64_t>(amount);
    m_experience = static_cast<uint32_t>(std::max<int64_t>(left, GetExperienceForCurrentLevel()));
}

uint32_t ExperienceLevelControl::SpendPoint(uint32_t increment)
{
    if (m_modifierPoints == 0)
        return 0;
    --m_modifierPoints;
    return increment;
}

uint32_t ExperienceLevelControl::SubtractSkillPoint()
{
    if (m_skillPoints == 0)
        return 0;
    return --m_skillPoints;
}

void ExperienceLevelControl::GetLevelAndExperience(uint32_t& level, uint32_t& experience) const
{
    level = m_level;
    experience = m_experience;
}

void ExperienceLevelControl::SetLevelAndExperience(uint32_t level, uint32_t experience)
{
    m_level = level;
    m_experience = experience;
}

void ExperienceLevelControl::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    // A saved level outside 1 to the maximum (the limit without a level record) is not taken.
    uint32_t level = m_level;
    stream.StreamUInt32("currentStats.charLevel", level);
    const uint32_t maxLevel = GetTopLevel();
    if (stream.IsReading() && !stream.Failed()) {
        if (level >= 1 && level <= maxLevel)
            m_level = level;
        else
            gEngine->Log(LOG_WARNING, "ExperienceLevelControl: the saved level %u is not 1 to %u; it stays %u",
                         level, maxLevel, m_level);
    }
    stream.StreamUInt32("currentStats.experiencePoints", m_experience);
    stream.StreamUInt32("modifierPoints", m_modifierPoints);
    stream.StreamUInt32("skillPoints", m_skillPoints);
    stream.EndBlock();
}

void ExperienceLevelControl::DumpLevels()
{
    static constexpr const char* kRule = "--------------------------------------";
    gEngine->Log(LOG_INFO, "Level                       Experience");
    gEngine->Log(LOG_INFO, "%s", kRule);
    for (uint32_t level = 1; level <= m_maxLevel; ++level)
        gEngine->Log(LOG_INFO, "%3d                              %8d", static_cast<int>(level),
                     static_cast<int>(EvaluateAt(static_cast<int64_t>(level) - 1)));
    gEngine->Log(LOG_INFO, "%s", kRule);
}

}  // namespace GAME
