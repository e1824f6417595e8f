// Affix picking: an affix table (a weighted list of prefix or suffix records, possibly
// naming further affix tables) and the randomizer an item table reads from its own record
// to decide which affixes a drop gets.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Engine/Object.h"
#include "Game/items/ItemTypes.h"
#include "Game/items/loot/LootLists.h"

namespace GAME {

class RandomUniform;

// A weighted list of affix record names ("randomizerName<N>" / "randomizerWeight<N>").
// Made as a local object and filled by ManualLoad.
class LootRandomizerTable : public Object {
    GAME_DECLARE_CLASS(LootRandomizerTable)

public:
    LootRandomizerTable() = default;

    // False for an empty name or a record whose "Class" is not exactly
    // "LootRandomizerTable"; otherwise reads the list.
    virtual bool ManualLoad(const std::string& recordName);
    // Running-sum pick; `name` becomes the winner, or empty when nothing is picked.
    virtual void GetRandomizerName(std::string& name, RandomUniform& random) const;

    const RunningSumLootList& GetList() const { return m_list; }

private:
    RunningSumLootList m_list;
};

// The affix rules of an item table: how likely each of the five outcomes is (both
// affixes, none, prefix only, suffix only, a broken affix) and the three lists of affix
// tables with the chance that a list is used at all.
class LootItemTableRandomizer {
public:
    LootItemTableRandomizer() = default;
    virtual ~LootItemTableRandomizer() = default;

    virtual void LoadFromDatabase(const std::string& recordName);
    // Picks the outcome, then the affixes it calls for. A broken affix is written into
    // `prefix`. Outputs not picked stay as given.
    virtual void GetRandomizerNames(std::string& prefix, std::string& suffix, RandomUniform& random) const;
    // A designer's test of every affix: every chance 100, only "both" and "broken" weighted.
    virtual void OverrideWeightsAndChance();
    virtual void SetNoBrokenItems();
    // Raises each outcome weight w to w + w x modifier / 100, in unsigned 32-bit
    // arithmetic (the product wraps, the division truncates).
    virtual void SetWeightModifiers(const RandomizerWeightModifiers& modifiers);

    struct Outcomes {
        uint32_t bothPrefixSuffix = 0;
        uint32_t noPrefixNoSuffix = 0;
        uint32_t prefixOnly = 0;
        uint32_t suffixOnly = 0;
        uint32_t brokenOnly = 0;
    };
    const Outcomes& GetOutcomes() const { return m_outcomes; }

private:
    // The lists are read once and shared by the copies made for each pick (a pick's
    // copy changes only chances and outcome weights).
    struct AffixList {
        float chance = 0.0f;
        std::shared_ptr<const CumulativeLootList> tables;
    };
    void PickAffix(const AffixList& list, std::string& out, RandomUniform& random) const;

    // Shared by the copies: a pick's copy takes no allocation for a name only a log line reads.
    std::shared_ptr<const std::string> m_recordName;
    Outcomes m_outcomes;
    AffixList m_prefix;
    AffixList m_suffix;
    AffixList m_broken;
};

}  // namespace GAME
