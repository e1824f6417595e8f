// The defence attributes that one record gives to its owner, loaded in a fixed order of
// kinds (which is also the order of the jitter draws, of the text lines and of the
// defences an attack receives), and the collective operations over them.
//
// Three kinds: an item's (base record with optional prefix and suffix, loot jitter and,
// for armour, the base protection), a skill's or pack's (one record, no jitter, the skill
// protection first) and a character's (its own record: twelve base resistances, kept even
// when empty, read per difficulty).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Game/combat/AttributeStoreParts.h"
#include "Game/combat/DefenseAttribute.h"

namespace GAME {

class DefenseAttributeStore : public SingleListAttributeStore<DefenseAttribute> {
public:
    using TextList = DefenseAttribute::TextList;

    DefenseAttributeStore() = default;
    // Copies are deep and borrow no generator; a move leaves the source empty.
    DefenseAttributeStore(const DefenseAttributeStore&) = default;
    DefenseAttributeStore(DefenseAttributeStore&&) noexcept = default;
    DefenseAttributeStore& operator=(const DefenseAttributeStore&) = default;
    DefenseAttributeStore& operator=(DefenseAttributeStore&&) noexcept = default;
    virtual ~DefenseAttributeStore();

    // In load order.
    virtual void CreateText(TextList& baseLines, TextList& bonusLines, unsigned level) const;
    virtual void CreateNextText(TextList& baseLines, TextList& bonusLines, unsigned level, unsigned nextLevel) const;
    // Appends the attribute; null is ignored.
    virtual void AddAttribute(std::unique_ptr<DefenseAttribute> attribute);
    // Every attribute, each with its own chance test, drawing from the attack's generator.
    virtual void AddToAccumulator(CombatAttributeAccumulator& acc, unsigned level) const;
    virtual void ScaleAttributes(float percent);

private:
    // One attribute's numbers at the level last asked for.
    struct LevelEntry {
        DefenseAttribute::LevelNumbers numbers;
        const DefenseAttribute* attribute;   // asked itself when the numbers have no maker
    };
    // The entries of the level last asked for, in list order, kept until the store
    // changes or another level is asked for; a copy or a move starts without any.
    class LevelCache {
    public:
        LevelCache() = default;
        LevelCache(const LevelCache&) {}
        LevelCache& operator=(const LevelCache&)
        {
            m_valid = false;
            return *this;
        }

        bool Holds(unsigned level, uint32_t revision) const
        {
            return m_valid && m_level == level && m_revision == revision;
        }
        std::vector<LevelEntry>& Refill(unsigned level, uint32_t revision)
        {
            m_entries.clear();
            m_level = level;
            m_revision = revision;
            m_valid = true;
            return m_entries;
        }
        const std::vector<LevelEntry>& Entries() const { return m_entries; }

    private:
        std::vector<LevelEntry> m_entries;
        unsigned m_level = 0;
        uint32_t m_revision = 0;
        bool m_valid = false;
    };

    const std::vector<LevelEntry>& EntriesAt(unsigned level) const;

    mutable LevelCache m_levelCache;
};

class DefenseAttributeStore_Equipment : public DefenseAttributeStore {
public:
    // The base protection first (armour only), then the 52 kinds of an item, each from
    // the base record (jitter 20), then the prefix, then the suffix (their own jitter).
    void Load(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix, bool withBaseProtection,
              CombatAttributeRegion region);
};

class DefenseAttributeStore_Skill : public DefenseAttributeStore {
public:
    // The skill protection (always), then the other 55 kinds, without jitter.
    void Load(const LoadTable& table);
};

class DefenseAttributeStore_Character : public DefenseAttributeStore {
public:
    // The twelve base resistances, each kept even without values (then holding 0).
    void Load(const LoadTable& table);
};

}  // namespace GAME
