#include "Game/characters/PlayStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/FileSystem.h"
#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/core/GameEngine.h"
#include "Game/items/OneShot.h"

namespace GAME {

namespace {

constexpr std::array<const char*, kPlayStatsLifeTypeCount> kLifeTypeWords = {"Unknown", "Potion", "Skill",
                                                                              "Regeneration", "Shrine"};
constexpr std::array<const char*, kPlayStatsDamageReductionTypeCount> kReductionTypeWords = {
    "Unknown", "AbsorbtionProtection", "Absorbtion", "Protection", "ArmorRating", "Blocked", "ArmorAbsorbed",
    "Resisted"};

// A per-second figure over the whole game; 0 before the first second of play.
float PerSecond(float amount, uint32_t seconds)
{
    return seconds == 0 ? 0.0f : amount / static_cast<float>(seconds);
}

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

const char* GetPlayStatsLifeTypeWord(PlayStatsLifeType type)
{
    return static_cast<uint32_t>(type) < kLifeTypeWords.size() ? kLifeTypeWords[type] : kLifeTypeWords[0];
}

const char* GetPlayStatsDamageReductionTypeWord(PlayStatsDamageReductionType type)
{
    return static_cast<uint32_t>(type) < kReductionTypeWords.size() ? kReductionTypeWords[type]
                                                                     : kReductionTypeWords[0];
}

std::string GetPlayStatsDamageTypeText(const PlayStatsDamageType& type)
{
    std::string text = GetPlayStatsDamageKindWord(type.kind);
    text += "::";
    text += type.kind == PlayStatsDamageKind_CombatAttributeType ? GetCombatAttributeTypeWord(type.type) : "Unknown";
    return text;
}

// ---- PlayStats ------------------------------------------------------------------------------

PlayStats::PlayStats()
    : m_greatestMonsterKilledName(std::make_unique<std::array<std::u16string, kDifficultyCount>>()),
      m_greatestMonsterKilledLevel(std::make_unique<std::array<uint32_t, kDifficultyCount>>()),
      m_greatestMonsterKilledLifeAndMana(std::make_unique<std::array<uint32_t, kDifficultyCount>>()),
      m_preRunListener("GameEvent_PreRun", &PlayStats::OnPreRun, this)
{
    m_greatestMonsterKilledLevel->fill(0);
    m_greatestMonsterKilledLifeAndMana->fill(0);
}

PlayStats::~PlayStats() = default;

void PlayStats::IncrementKills(uint32_t experience, uint32_t hits)
{
    ++m_kills;
    m_experienceFromKills += experience;
    m_hitsInflicted += hits;
}

void PlayStats::GainExperience(uint32_t amount)
{
    m_experienceGained = Saturate(static_cast<int64_t>(m_experienceGained) + amount);
}

void PlayStats::LoseExperience(uint32_t amount)
{
    m_experienceLost = Saturate(static_cast<int64_t>(m_experienceLost) - amount);
}

void PlayStats::SkillUsed(const std::string& skillName)
{
    auto found = m_skillsUsed.find(skillName);
    if (found != m_skillsUsed.end())
        ++found->second;
    else
        m_skillsUsed.emplace(skillName, 1u);
}

uint32_t PlayStats::GetSkillUseCount(std::string_view skillName) const
{
    auto found = m_skillsUsed.find(skillName);
    return found != m_skillsUsed.end() ? found->second : 0;
}

void PlayStats::IncrementPotion(const OneShot* item)
{
    if (DynamicCast<OneShot_PotionHealth>(item))
        ++m_healthPotionsUsed;
    else if (DynamicCast<OneShot_PotionMana>(item))
        ++m_manaPotionsUsed;
}

bool PlayStats::TallyDamage(DamageTable& table, float amount, const PlayStatsDamageType& type)
{
    if (type.kind == 0 || type.kind >= kDamageKindCount || type.type >= kCombatAttributeTypeCount) {
        gEngine->Log(LOG_WARNING, "PlayStats: damage of kind %u type %u not counted", type.kind, type.type);
        return false;
    }
    const size_t index = type.kind * kCombatAttributeTypeCount + type.type;
    table.amounts[index] += amount;
    table.tallied.set(index);
    return true;
}

float PlayStats::GetDamage(const DamageTable& table, const PlayStatsDamageType& type)
{
    if (type.kind == 0 || type.kind >= kDamageKindCount || type.type >= kCombatAttributeTypeCount)
        return 0.0f;
    return table.amounts[type.kind * kCombatAttributeTypeCount + type.type];
}

void PlayStats::TallyDamageInflicted(float amount, const PlayStatsDamageType& type)
{
    if (!TallyDamage(m_damageInflicted, amount, type))
        return;
    // Entries of past seconds go as soon as a new second's damage comes, so the list
    // holds a few seconds of hits however long the game runs.
    if (!m_recentDamage.empty() && m_recentDamage.back().second != m_playTime)
        PruneRecentDamage();
    m_recentDamage.push_back({m_playTime, type, amount});
    if (type.kind == PlayStatsDamageKind_CombatAttributeType && amount > m_greatestDamageInflicted)
        m_greatestDamageInflicted = amount;
}

void PlayStats::TallyDamageReceived(float amount, const PlayStatsDamageType& type)
{
    TallyDamage(m_damageReceived, amount, type);
}

void PlayStats::TallyDamageReduction(float amount, PlayStatsDamageReductionType type)
{
    if (static_cast<uint32_t>(type) >= kPlayStatsDamageReductionTypeCount) {
        gEngine->Log(LOG_WARNING, "PlayStats: damage reduction of type %d not counted", static_cast<int>(type));
        return;
    }
    m_damageReduction[type] += amount;
    m_damageReductionTallied.set(type);
}

void PlayStats::GainLife(float amount, PlayStatsLifeType type)
{
    if (static_cast<uint32_t>(type) >= kPlayStatsLifeTypeCount) {
        gEngine->Log(LOG_WARNING, "PlayStats: life of type %d not counted", static_cast<int>(type));
        return;
    }
    m_lifeGained[type] += amount;
    m_lifeGainedTallied.set(type);
}

float PlayStats::GetDamageInflicted(const PlayStatsDamageType& type) const
{
    return GetDamage(m_damageInflicted, type);
}

float PlayStats::GetDamageReceived(const PlayStatsDamageType& type) const
{
    return GetDamage(m_damageReceived, type);
}

float PlayStats::GetDamageReduction(PlayStatsDamageReductionType type) const
{
    return static_cast<uint32_t>(type) < kPlayStatsDamageReductionTypeCount ? m_damageReduction[type] : 0.0f;
}

float PlayStats::GetLifeGained(PlayStatsLifeType type) const
{
    return static_cast<uint32_t>(type) < kPlayStatsLifeTypeCount ? m_lifeGained[type] : 0.0f;
}

bool PlayStats::IsRecentDamageStale(const RecentDamage& entry) const
{
    const int64_t age = static_cast<int64_t>(m_playTime) - entry.second;
    return age >= kRecentDamageSeconds || -age >= kRecentDamageSeconds;
}

void PlayStats::PruneRecentDamage()
{
    std::erase_if(m_recentDamage, [this](const RecentDamage& entry) { return IsRecentDamageStale(entry); });
}

float PlayStats::GetRecentDamage() const
{
    float sum = 0.0f;
    for (const RecentDamage& entry : m_recentDamage)
        if (!IsRecentDamageStale(entry))
            sum += entry.amount;
    return sum;
}

int32_t PlayStats::DifficultyIndex() const
{
    const int32_t difficulty = gGameEngine ? gGameEngine->GetGameDifficulty() : GameDifficulty_Normal;
    return difficulty >= 0 && static_cast<uint32_t>(difficulty) < kDifficultyCount ? difficulty : -1;
}

std::u16string PlayStats::GetGreatestMonsterKilledName() const
{
    const int32_t index = DifficultyIndex();
    return index < 0 ? std::u16string() : (*m_greatestMonsterKilledName)[index];
}

uint32_t PlayStats::GetGreatestMonsterKilledLevel() const
{
    const int32_t index = DifficultyIndex();
    return index < 0 ? 0 : (*m_greatestMonsterKilledLevel)[index];
}

uint32_t PlayStats::GetGreatestMonsterKilledLifeAndMana() const
{
    const int32_t index = DifficultyIndex();
    return index < 0 ? 0 : (*m_greatestMonsterKilledLifeAndMana)[index];
}

namespace {
// The entry of the difficulty, or null (logged) when the difficulty is none of the three.
template <class Array>
typename Array::value_type* DifficultyEntry(Array& entries, int32_t index)
{
    if (index < 0) {
        gEngine->Log(LOG_WARNING, "PlayStats: game difficulty %d has no greatest monster entry",
                     gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0);
        return nullptr;
    }
    return &entries[static_cast<size_t>(index)];
}
}  // namespace

void PlayStats::SetGreatestMonsterKilledName(const std::u16string& name)
{
    if (auto* entry = DifficultyEntry(*m_greatestMonsterKilledName, DifficultyIndex()))
        *entry = name;
}

void PlayStats::SetGreatestMonsterKilledLevel(uint32_t level)
{
    if (auto* entry = DifficultyEntry(*m_greatestMonsterKilledLevel, DifficultyIndex()))
        *entry = level;
}

void PlayStats::SetGreatestMonsterKilledLifeAndMana(uint32_t lifeAndMana)
{
    if (auto* entry = DifficultyEntry(*m_greatestMonsterKilledLifeAndMana, DifficultyIndex()))
        *entry = lifeAndMana;
}

void PlayStats::Update(int elapsedMs)
{
    m_stringsNeedUpdate = true;
    if (elapsedMs < 0)
        return;
    // Whole seconds are counted as soon as they are complete; what is left of a second
    // is carried in the remainder.
    const int64_t pending = static_cast<int64_t>(m_msPending) + elapsedMs;
    const int64_t total = pending + m_msRemainder;
    const int64_t seconds = total / 1000;
    if (seconds != 0) {
        m_playTime += static_cast<uint32_t>(seconds);
        m_msRemainder = static_cast<int32_t>(total - seconds * 1000);
        m_msPending = 0;
    } else {
        m_msPending = static_cast<int32_t>(pending);
    }
}

// ---- Score ----------------------------------------------------------------------------------

void PlayStats::Load(const LoadTable& table)
{
    const char* text = table.GetString("scoreEquation", "");
    if (!text || !*text)
        return;
    m_scoreEquation = std::make_unique<DesignerEquation_Algebra>();
    if (!m_scoreEquation->ParseEquation(text, this))
        m_scoreEquation.reset();
}

void PlayStats::OnPreRun(const GameEvent&)
{
    if (const LoadTable* table = ObjectManager::Get().LoadTableFile(kScoreRecord))
        Load(*table);
}

int PlayStats::GetScore() const
{
    if (!m_scoreEquation)
        return 0;
    // A record's formula may divide by 0 or grow past what a whole number holds.
    const float value = (*m_scoreEquation)();
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::clamp(value, static_cast<float>(std::numeric_limits<int>::min()),
                                       static_cast<float>(std::numeric_limits<int>::max() - 127)));
}

DesignerVariableSlot<float> PlayStats::BindDesignerVariable(const char* name)
{
    using Slot = DesignerVariableSlot<float>;
    const auto minutes = [](const void* context, int) {
        return static_cast<float>(static_cast<const PlayStats*>(context)->GetPlayTimeInMinutes());
    };
    return FindDesignerVariable<float>(name, {
                                                 {"playTimeInMinutes", Slot::Computed(minutes, this, 0)},
                                                 {"numberOfDeaths", Slot::OfUnsigned(m_deaths)},
                                                 {"experienceFromKills", Slot::OfUnsigned(m_experienceFromKills)},
                                                 {"numberOfKills", Slot::OfUnsigned(m_kills)},
                                                 {"healthPotionsUsed", Slot::OfUnsigned(m_healthPotionsUsed)},
                                                 {"manaPotionsUsed", Slot::OfUnsigned(m_manaPotionsUsed)},
                                                 {"maxLevel", Slot::OfUnsigned(m_maxLevel)},
                                                 {"greatestDamageInflicted", Slot::Of(m_greatestDamageInflicted)},
                                             });
}

// ---- Save block -----------------------------------------------------------------------------

void PlayStats::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    stream.StreamUInt32("playTimeInSeconds", m_playTime);
    stream.StreamUInt32("numberOfDeaths", m_deaths);
    stream.StreamUInt32("numberOfKills", m_kills);
    stream.StreamUInt32("experienceFromKills", m_experienceFromKills);
    stream.StreamUInt32("healthPotionsUsed", m_healthPotionsUsed);
    stream.StreamUInt32("manaPotionsUsed", m_manaPotionsUsed);
    stream.StreamUInt32("maxLevel", m_maxLevel);
    stream.StreamUInt32("numHitsReceived", m_hitsReceived);
    stream.StreamUInt32("numHitsInflicted", m_hitsInflicted);
    stream.StreamFloat("greatestDamageInflicted", m_greatestDamageInflicted);
    for (size_t i = 0; i < kDifficultyCount; ++i) {
        stream.StreamWString("(*greatestMonsterKilledName)[i]", (*m_greatestMonsterKilledName)[i]);
        stream.StreamUInt32("(*greatestMonsterKilledLevel)[i]", (*m_greatestMonsterKilledLevel)[i]);
        stream.StreamUInt32("(*greatestMonsterKilledLifeAndMana)[i]", (*m_greatestMonsterKilledLifeAndMana)[i]);
    }
    stream.StreamUInt32("criticalHitsInflicted", m_criticalHitsInflicted);
    stream.StreamUInt32("criticalHitsReceived", m_criticalHitsReceived);
    stream.EndBlock();
    if (stream.IsReading())
        m_stringsNeedUpdate = true;
}

// ---- Text -----------------------------------------------------------------------------------

void PlayStats::AppendFormatted(std::vector<std::string>& lines, const char* format, va_list args)
{
    char buffer[kMaxLineLength];
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    lines.emplace_back(n < 0 ? format : buffer);
}

void PlayStats::AddRealTimeString(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatted(m_realTimeStrings, format, args);
    va_end(args);
}

void PlayStats::AddLogString(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatted(m_logStrings, format, args);
    va_end(args);
}

// One log line per damage type ever tallied, kind first and then sub type, each the total
// divided by `divisor`; then the total line when a format is given.
void PlayStats::AddDamageLines(const DamageTable& table, float divisor, const char* totalFormat)
{
    float total = 0.0f;
    for (uint32_t kind = 1; kind < kDamageKindCount; ++kind) {
        for (uint32_t type = 0; type < kCombatAttributeTypeCount; ++type) {
            const size_t index = kind * kCombatAttributeTypeCount + type;
            if (!table.tallied.test(index))
                continue;
            const PlayStatsDamageType damageType{static_cast<PlayStatsDamageKind>(kind),
                                                 static_cast<CombatAttributeType>(type)};
            const float amount = table.amounts[index];
            total += amount;
            AddLogString("         %s %.2f", GetPlayStatsDamageTypeText(damageType).c_str(),
                         divisor == 0.0f ? 0.0f : amount / divisor);
        }
    }
    if (totalFormat)
        AddLogString(totalFormat, static_cast<double>(total));
}

void PlayStats::UpdateStrings()
{
    if (!m_stringsNeedUpdate)
        return;
    m_stringsNeedUpdate = false;
    m_realTimeStrings.clear();
    m_logStrings.clear();
    PruneRecentDamage();

    AddRealTimeString("Play Statistics:");
    AddRealTimeString("    Play Time:           %d min %d sec", static_cast<int>(m_playTime / 60),
                      static_cast<int>(m_playTime % 60));
    AddRealTimeString("    Total Score:         %d", GetScore());
    AddRealTimeString("    Number of deaths:    %d", static_cast<int>(m_deaths));
    AddRealTimeString("    Number of kills:     %d", static_cast<int>(m_kills));
    AddRealTimeString("    Health potions used: %d", static_cast<int>(m_healthPotionsUsed));
    AddRealTimeString("    Mana potions used:   %d", static_cast<int>(m_manaPotionsUsed));
    AddRealTimeString("    Max. level achieved: %d", static_cast<int>(m_maxLevel));
    AddRealTimeString("%s", "");
    AddRealTimeString("    Damage per second: %0.2f", static_cast<double>(GetRecentDamage() * 0.2f));
    AddRealTimeString("%s", "");
    AddRealTimeString("    Skills Used:");
    for (const auto& [name, count] : m_skillsUsed)
        AddRealTimeString("        %s : %d", name.c_str(), static_cast<int>(count));
    float lifeHealed = 0.0f;
    for (float amount : m_lifeGained)
        lifeHealed += amount;
    AddRealTimeString("    Life healed: %.2f", static_cast<double>(lifeHealed));
    if (m_shieldBlockEnabled)
        AddRealTimeString("    Shield block chance    : %.2f", static_cast<double>(m_shieldBlockChance));

    const float seconds = static_cast<float>(m_playTime);
    AddLogString("    Kills per second (whole game): %.2f",
                 static_cast<double>(PerSecond(static_cast<float>(m_kills), m_playTime)));
    AddLogString("    Average hits per kill: %.2f",
                 m_kills == 0 ? 0.0 : static_cast<double>(static_cast<float>(m_hitsInflicted) / m_kills));
    AddLogString("    Damage per second (whole game, by type)");
    AddDamageLines(m_damageInflicted, seconds, nullptr);
    AddLogString("%s", "");
    AddLogString("  Damage Totals");
    AddLogString("%s", "");
    AddLogString("    Damage Inflicted (by type)");
    AddDamageLines(m_damageInflicted, 1.0f, "    Damage Inflicted (total)   %.2f");
    AddLogString("%s", "");
    AddLogString("    Damage Received (by type)");
    AddDamageLines(m_damageReceived, 1.0f, "    Damage Received (total)   %.2f");
    AddLogString("    Damage Reduction (by type)");
    float reductionTotal = 0.0f;
    for (uint32_t type = 0; type < kPlayStatsDamageReductionTypeCount; ++type) {
        if (!m_damageReductionTallied.test(type))
            continue;
        reductionTotal += m_damageReduction[type];
        AddLogString("         %s %.2f",
                     GetPlayStatsDamageReductionTypeWord(static_cast<PlayStatsDamageReductionType>(type)),
                     static_cast<double>(m_damageReduction[type]));
    }
    AddLogString("    Damage Reduction (total)   %.2f", static_cast<double>(reductionTotal));
    AddLogString("  Experience");
    AddLogString("         Total Gained %d", m_experienceGained);
    AddLogString("         Total Lost   %d", m_experienceLost);
    AddLogString("         Gained per second %.2f",
                 static_cast<double>(PerSecond(static_cast<float>(m_experienceGained), m_playTime)));
    AddLogString("         Lost per second   %.2f",
                 static_cast<double>(PerSecond(static_cast<float>(m_experienceLost), m_playTime)));
    AddLogString("  Life healed (by type)");
    for (uint32_t type = 0; type < kPlayStatsLifeTypeCount; ++type)
        if (m_lifeGainedTallied.test(type))
            AddLogString("         %s %.2f", GetPlayStatsLifeTypeWord(static_cast<PlayStatsLifeType>(type)),
                         static_cast<double>(m_lifeGained[type]));
    AddLogString("  Mana used (total):      %.2f", static_cast<double>(m_manaUsed));
    AddLogString("  Mana used (per second): %.2f", static_cast<double>(PerSecond(m_manaUsed, m_playTime)));
    AddLogString("  Critical hits inflicted: %d", static_cast<int>(m_criticalHitsInflicted));
    AddLogString("  Critical hits received:  %d", static_cast<int>(m_criticalHitsReceived));
    AddLogString("   Monster misses: %d", static_cast<int>(m_missesAgainstMe));
    AddLogString("   Player misses:  %d", static_cast<int>(m_missesByMe));
}

void PlayStats::Dump()
{
    UpdateStrings();
    for (const std::string& line : m_realTimeStrings)
        gEngine->Log(LOG_INFO, "%s", line.c_str());
    for (const std::string& line : m_logStrings)
        gEngine->Log(LOG_INFO, "%s", line.c_str());
}

void PlayStats::Display()
{
    UpdateStrings();
    for (const std::string& line : m_realTimeStrings)
        gEngine->AddStatisticText(line);
}

// ---- CharacterFileManager -------------------------------------------------------------------

CharacterFileManager& CharacterFileManager::Get()
{
    // Never destroyed: the list may be asked for while the process shuts down.
    static CharacterFileManager* instance = new CharacterFileManager();
    return *instance;
}

void CharacterFileManager::ScanWhenNeeded()
{
    if (m_scanned)
        return;
    m_scanned = true;
    gEngine->GetFileSystem().GetMatchingFiles(kPattern, m_files);
}

void CharacterFileManager::AddCharacterFile(const std::string& name)
{
    ScanWhenNeeded();
    m_files.push_back(name);
}

void CharacterFileManager::RemoveCharacterFile(const std::string& name)
{
    ScanWhenNeeded();
    auto found = std::find(m_files.begin(), m_files.end(), name);
    if (found != m_files.end())
        m_files.erase(found);
}

void CharacterFileManager::GetCharacterFiles(std::vector<std::string>& out)
{
    ScanWhenNeeded();
    out = m_files;
}

}  // namespace GAME
