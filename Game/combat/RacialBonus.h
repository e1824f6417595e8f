// Racial bonuses: extra damage against, or defence from, creatures of named races, per
// level, read from an item's, a relic's or a skill's record. Characters sum the bonuses
// that apply into a RacialBonus_Damage when they attack and a RacialBonus_Defense when
// they are attacked; the bonus also writes its own lines of interface text.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Game/core/foundation/GameTextLine.h"

namespace GAME {

class LoadTable;

struct RacialBonus_Damage {
    float percent = 0.0f;
    float absolute = 0.0f;
};

// Against the current attacker; the combat manager spends the absolute part as a pool
// across the damage of one attack.
struct RacialBonus_Defense {
    float percent = 0.0f;
    float absolute = 0.0f;
};

class RacialBonus {
public:
    RacialBonus() = default;
    virtual ~RacialBonus();

    // The race names and the four value arrays; a missing key leaves its list empty.
    virtual void LoadFromTable(const LoadTable& table);

    // A bonus from the record, or null when the record names none of the five keys.
    static std::unique_ptr<RacialBonus> CreateFromTable(const LoadTable& table);
    // The same from a record name; null for an empty name or a record that cannot be
    // opened.
    static std::unique_ptr<RacialBonus> CreateFromFile(const std::string& recordName);

    // 0 at level 0 or without values; past the end, the last value.
    float GetPercentDamage(unsigned level) const;
    float GetAbsoluteDamage(unsigned level) const;
    float GetPercentDefense(unsigned level) const;
    float GetAbsoluteDefense(unsigned level) const;

    // Adds the level's values when one of the other side's races is one of the bonus's
    // (names compare exactly, letter case included).
    void ContributeDamage(const std::vector<std::string>& targetRaces, RacialBonus_Damage& out, unsigned level) const;
    void ContributeDefense(const std::vector<std::string>& attackerRaces, RacialBonus_Defense& out,
                           unsigned level) const;

    // Lines for percent damage, absolute damage, percent defence and absolute defence:
    // for each value that is not 0, one line per race, naming the race in the plural.
    void CreateText(unsigned level, GameTextClass textClass, std::vector<GameTextLine>& lines) const;
    // The same at the next level, for the values that change.
    void CreateNextText(unsigned level, unsigned nextLevel, GameTextClass textClass,
                        std::vector<GameTextLine>& lines) const;

    const std::vector<std::string>& GetRaces() const { return m_races; }

private:
    bool IsEmpty() const;
    bool MatchesAny(const std::vector<std::string>& races) const;
    void AppendLines(const char* tag, float value, GameTextClass textClass, std::vector<GameTextLine>& lines) const;

    std::vector<std::string> m_races;
    std::vector<float> m_percentDamage;
    std::vector<float> m_absoluteDamage;
    std::vector<float> m_percentDefense;
    std::vector<float> m_absoluteDefense;
};

}  // namespace GAME
