// What a character does and suffers in play: play time, deaths, kills, experience,
// potions, hits, critical hits, misses, damage by kind and type, life healed, mana used,
// skills used and the strongest monster killed in each difficulty. A designer formula
// turns the counters into a score; the counters are a block of the character save; two
// lists of text lines show them on the statistics display and in the log.
//
// The same source keeps the process-wide list of saved character files.
#pragma once

#include <array>
#include <bitset>
#include <cstdarg>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "Engine/EventManager.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/core/foundation/DesignerEquation.h"

namespace GAME {

class IOStream;
class LoadTable;
class OneShot;

// Where gained life came from.
enum PlayStatsLifeType : int32_t {
    PlayStatsLifeType_Unknown = 0,
    PlayStatsLifeType_Potion = 1,
    PlayStatsLifeType_Skill = 2,
    PlayStatsLifeType_Regeneration = 3,
    PlayStatsLifeType_Shrine = 4,
};
inline constexpr uint32_t kPlayStatsLifeTypeCount = 5;

// What took damage away before it reached the character.
enum PlayStatsDamageReductionType : int32_t {
    PlayStatsDamageReductionType_Unknown = 0,
    PlayStatsDamageReductionType_AbsorbtionProtection = 1,
    PlayStatsDamageReductionType_Absorbtion = 2,
    PlayStatsDamageReductionType_Protection = 3,
    PlayStatsDamageReductionType_ArmorRating = 4,
    PlayStatsDamageReductionType_Blocked = 5,
    PlayStatsDamageReductionType_ArmorAbsorbed = 6,
    PlayStatsDamageReductionType_Resisted = 7,
};
inline constexpr uint32_t kPlayStatsDamageReductionTypeCount = 8;

// The words the statistics show; "Unknown" for a value outside the list.
const char* GetPlayStatsLifeTypeWord(PlayStatsLifeType type);
const char* GetPlayStatsDamageReductionTypeWord(PlayStatsDamageReductionType type);
// "<kind word>::<sub type word>": the combat attribute type's word for kind 1, else
// "Unknown".
std::string GetPlayStatsDamageTypeText(const PlayStatsDamageType& type);

class PlayStats : public EquationInterface_Algebra {
public:
    static constexpr const char* kScoreRecord = "Records/Game/PlayerScore.dbr";
    static constexpr uint32_t kDifficultyCount = 3;
    // Recent damage this many seconds of play time old is dropped.
    static constexpr uint32_t kRecentDamageSeconds = 6;
    static constexpr size_t kMaxLineLength = 1024;

    // Listens for "GameEvent_PreRun", when the score formula is read.
    PlayStats();
    ~PlayStats() override;
    PlayStats(const PlayStats&) = delete;
    PlayStats& operator=(const PlayStats&) = delete;

    // ---- Counting -------------------------------------------------------------------------
    void IncrementDeaths() { ++m_deaths; }
    // A kill: what it was worth and the hits it took.
    void IncrementKills(uint32_t experience, uint32_t hits);
    void IncrementLevel() { ++m_maxLevel; }
    void ReceiveHit() { ++m_hitsReceived; }
    // Experience gained and lost; each total holds at the ends of its range.
    void GainExperience(uint32_t amount);
    void LoseExperience(uint32_t amount);
    void UseMana(float amount) { m_manaUsed += amount; }
    void InflictCriticalHit() { ++m_criticalHitsInflicted; }
    void ReceiveCriticalHit() { ++m_criticalHitsReceived; }
    void IMissed() { ++m_missesByMe; }
    void IWasMissed() { ++m_missesAgainstMe; }
    void SetShieldBlockChance(float chance)
    {
        m_shieldBlockEnabled = true;
        m_shieldBlockChance = chance;
    }
    void DisableShieldBlockChance() { m_shieldBlockEnabled = false; }
    void SkillUsed(const std::string& skillName);
    // Counts a health or a mana potion; any other item (or none) counts nothing.
    void IncrementPotion(const OneShot* item);

    // Adds to the inflicted total of that kind and type and to the recent damage; damage
    // of one combat attribute type (kind 1) also raises the greatest damage inflicted. A
    // kind or type outside the tables is logged and not counted.
    void TallyDamageInflicted(float amount, const PlayStatsDamageType& type);
    void TallyDamageReceived(float amount, const PlayStatsDamageType& type);
    void TallyDamageReduction(float amount, PlayStatsDamageReductionType type);
    void GainLife(float amount, PlayStatsLifeType type);

    // ---- Reading ----------------------------------------------------------------------------
    uint32_t GetPlayTimeInSeconds() const { return m_playTime; }
    uint32_t GetPlayTimeInMinutes() const { return m_playTime / 60; }
    uint32_t GetDeaths() const { return m_deaths; }
    uint32_t GetKills() const { return m_kills; }
    uint32_t GetExperienceFromKills() const { return m_experienceFromKills; }
    uint32_t GetHealthPotionsUsed() const { return m_healthPotionsUsed; }
    uint32_t GetManaPotionsUsed() const { return m_manaPotionsUsed; }
    uint32_t GetMaxLevel() const { return m_maxLevel; }
    uint32_t GetHitsReceived() const { return m_hitsReceived; }
    uint32_t GetHitsInflicted() const { return m_hitsInflicted; }
    uint32_t GetCriticalHitsInflicted() const { return m_criticalHitsInflicted; }
    uint32_t GetCriticalHitsReceived() const { return m_criticalHitsReceived; }
    uint32_t GetMisses() const { return m_missesByMe; }
    uint32_t GetMissesAgainst() const { return m_missesAgainstMe; }
    int32_t GetExperienceGained() const { return m_experienceGained; }
    int32_t GetExperienceLost() const { return m_experienceLost; }
    float GetManaUsed() const { return m_manaUsed; }
    uint32_t GetSkillUseCount(std::string_view skillName) const;
    float GetDamageInflicted(const PlayStatsDamageType& type) const;
    float GetDamageReceived(const PlayStatsDamageType& type) const;
    float GetDamageReduction(PlayStatsDamageReductionType type) const;
    float GetLifeGained(PlayStatsLifeType type) const;
    float GetGreatestDamageInflicted() const { return m_greatestDamageInflicted; }
    // The damage inflicted over the last seconds of play time, for the per-second line.
    float GetRecentDamage() const;
    size_t GetRecentDamageCount() const { return m_recentDamage.size(); }

    // The strongest monster killed in the current game difficulty. A difficulty outside
    // the three reads empty and 0, and a setter then changes nothing (logged).
    std::u16string GetGreatestMonsterKilledName() const;
    uint32_t GetGreatestMonsterKilledLevel() const;
    uint32_t GetGreatestMonsterKilledLifeAndMana() const;
    void SetGreatestMonsterKilledName(const std::u16string& name);
    void SetGreatestMonsterKilledLevel(uint32_t level);
    void SetGreatestMonsterKilledLifeAndMana(uint32_t lifeAndMana);

    // Counts play time: the frame's milliseconds are gathered until they make whole
    // seconds, and the rest is carried. A negative time counts nothing.
    void Update(int elapsedMs);

    // ---- Score ----------------------------------------------------------------------------
    // Reads "scoreEquation"; a formula given replaces the old one, and one that does not
    // parse leaves none.
    void Load(const LoadTable& table);
    // The score record's formula, read when the game is about to run.
    void OnPreRun(const GameEvent& event);
    // The formula's value, truncated; 0 without a formula.
    int GetScore() const;
    bool HasScoreEquation() const { return m_scoreEquation != nullptr; }
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

    // The save block.
    void StreamProperties(IOStream& stream);

    // ---- Text -----------------------------------------------------------------------------
    // Renders the lines when something changed since, then logs the real-time lines and
    // the log lines at information level.
    void Dump();
    // Renders the lines when needed and shows the real-time lines on the statistics
    // display.
    void Display();
    void AddRealTimeString(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void AddLogString(const char* format, ...) __attribute__((format(printf, 2, 3)));
    const std::vector<std::string>& GetRealTimeStrings() const { return m_realTimeStrings; }
    const std::vector<std::string>& GetLogStrings() const { return m_logStrings; }

private:
    static constexpr uint32_t kDamageKindCount = 8;   // kinds 1..7; 0 unused
    static constexpr size_t kDamageTableSize = kDamageKindCount * kCombatAttributeTypeCount;

    // Damage by kind and type in a fixed table, so that tallying during an attack never
    // allocates; the bits tell which entries were ever tallied, which are the ones listed.
    struct DamageTable {
        std::array<float, kDamageTableSize> amounts{};
        std::bitset<kDamageTableSize> tallied;
    };
    struct RecentDamage {
        uint32_t second;
        PlayStatsDamageType type;
        float amount;
    };

    static bool TallyDamage(DamageTable& table, float amount, const PlayStatsDamageType& type);
    static float GetDamage(const DamageTable& table, const PlayStatsDamageType& type);
    int32_t DifficultyIndex() const;   // -1 outside the three
    bool IsRecentDamageStale(const RecentDamage& entry) const;
    void PruneRecentDamage();
    void UpdateStrings();
    void AddDamageLines(const DamageTable& table, float divisor, const char* totalFormat);
    static void AppendFormatted(std::vector<std::string>& lines, const char* format, va_list args);

    std::vector<std::string> m_realTimeStrings;
    std::vector<std::string> m_logStrings;
    int32_t m_msPending = 0;
    int32_t m_msRemainder = 0;
    uint32_t m_playTime = 0;   // seconds
    uint32_t m_deaths = 0;
    uint32_t m_kills = 0;
    uint32_t m_experienceFromKills = 0;
    uint32_t m_healthPotionsUsed = 0;
    uint32_t m_manaPotionsUsed = 0;
    uint32_t m_maxLevel = 1;
    uint32_t m_hitsReceived = 0;
    uint32_t m_hitsInflicted = 0;
    float m_greatestDamageInflicted = 0.0f;
    uint32_t m_criticalHitsInflicted = 0;
    uint32_t m_criticalHitsReceived = 0;
    std::unique_ptr<std::array<std::u16string, kDifficultyCount>> m_greatestMonsterKilledName;
    std::unique_ptr<std::array<uint32_t, kDifficultyCount>> m_greatestMonsterKilledLevel;
    std::unique_ptr<std::array<uint32_t, kDifficultyCount>> m_greatestMonsterKilledLifeAndMana;
    DamageTable m_damageInflicted;
    // In the order tallied; entries of past seconds are dropped as new ones come, and the
    // storage is kept, so a steady stream of hits does not allocate.
    std::vector<RecentDamage> m_recentDamage;
    DamageTable m_damageReceived;
    std::array<float, kPlayStatsDamageReductionTypeCount> m_damageReduction{};
    std::bitset<kPlayStatsDamageReductionTypeCount> m_damageReductionTallied;
    int32_t m_experienceGained = 0;
    int32_t m_experienceLost = 0;
    std::array<float, kPlayStatsLifeTypeCount> m_lifeGained{};
    std::bitset<kPlayStatsLifeTypeCount> m_lifeGainedTallied;
    float m_manaUsed = 0.0f;
    uint32_t m_missesByMe = 0;
    uint32_t m_missesAgainstMe = 0;
    bool m_shieldBlockEnabled = false;
    float m_shieldBlockChance = 0.0f;
    std::unique_ptr<DesignerEquation_Algebra> m_scoreEquation;
    std::map<std::string, uint32_t, std::less<>> m_skillsUsed;
    GameEventListener<PlayStats, GameEvent> m_preRunListener;
    bool m_stringsNeedUpdate = true;
};

// The saved character files on disk ("*.chr" under the file system's root), listed once
// on first need and then kept as the game adds and removes files. One per process, made
// on first use and never destroyed.
class CharacterFileManager {
public:
    static constexpr const char* kPattern = "*.chr";

    static CharacterFileManager& Get();

    // Appends the name; a name already listed is listed again.
    void AddCharacterFile(const std::string& name);
    // Takes the first equal name off the list.
    void RemoveCharacterFile(const std::string& name);
    void GetCharacterFiles(std::vector<std::string>& out);

private:
    CharacterFileManager() = default;
    void ScanWhenNeeded();

    std::vector<std::string> m_files;
    bool m_scanned = false;
};

}  // namespace GAME
