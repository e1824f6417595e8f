// The character attributes that one record contributes, in load order, and the
// operations that run over all of them. Four kinds differ in which attributes they load,
// in which order, with which loot jitter and whether empty attributes stay:
// a character's own record (the bio), an item with its prefix and suffix records, a skill
// or an attribute pack, and the mana a skill reserves.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "Game/combat/AttributeStoreParts.h"
#include "Game/combat/CharAttribute.h"

namespace GAME {

class CharAttributeStore : public SingleListAttributeStore<CharAttribute> {
public:
    using TextList = CharAttribute::TextList;

    CharAttributeStore() = default;
    // Copies are deep and borrow no generator; a move leaves the source empty.
    CharAttributeStore(const CharAttributeStore&) = default;
    CharAttributeStore(CharAttributeStore&&) noexcept = default;
    CharAttributeStore& operator=(const CharAttributeStore&) = default;
    CharAttributeStore& operator=(CharAttributeStore&&) noexcept = default;
    virtual ~CharAttributeStore();

    // Each attribute in store order.
    virtual void CreateText(TextList& baseLines, TextList& bonusLines, unsigned level) const;
    virtual void CreateNextText(TextList& baseLines, TextList& bonusLines, unsigned level, unsigned nextLevel) const;
    // The store owns the attribute from now on; null is ignored.
    virtual void AddToStore(std::unique_ptr<CharAttribute> attribute);
    virtual void AddToAccumulator(CharAttributeAccumulator& acc, unsigned level) const;
    virtual void ScaleAttributes(float percent);
    // The most levels any attribute has values for (0 when none has).
    size_t GetLevelCount() const;

protected:
    AttributeList& EditAttributes() { return m_attributes; }
};

// What a store that no longer changes adds at one level, laid out flat: the value and
// modifier amounts of each attribute, in store order. Adding it gives exactly what the
// store's AddToAccumulator gives at that level, without visiting each attribute: items and
// skill profiles keep theirs, so that a character's update reads one short array each.
class CharAttributeContribution {
public:
    // Replaces the contribution with the store's at the level.
    void Build(const CharAttributeStore& store, unsigned level);
    void Clear();
    void AddToAccumulator(CharAttributeAccumulator& acc) const;
    size_t size() const { return m_inlineCount + m_more.size(); }

private:
    struct Entry {
        uint8_t type;
        bool modifier;
        float amount;
    };
    // An item carries a handful: they stay in the owner's own memory, the rest go after.
    static constexpr size_t kInline = 6;

    void Append(const Entry& entry);

    std::array<Entry, kInline> m_inline{};
    uint8_t m_inlineCount = 0;
    std::vector<Entry> m_more;
};

// A character's own base statistics, read per difficulty; strength, intelligence,
// dexterity, life and mana stay even without values, so their base can be set.
class CharAttributeStore_Bio : public CharAttributeStore {
public:
    void Load(const LoadTable& table);
    // The first attribute of the type takes the value as its single value; without one
    // a warning is logged and nothing changes.
    virtual void SetBaseValue(CharAttributeType type, float value);
    // The first attribute of the type at level 1; 0 without one.
    virtual float GetBaseValue(CharAttributeType type) const;
};

// An item's: its base record's values (most jittered by 20 percent) with the fixed
// bonuses of its prefix and suffix records. Armour has no base attack speed.
class CharAttributeStore_Equipment : public CharAttributeStore {
public:
    void Load(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix, bool noBaseAttackSpeed);
};

// A skill's or an attribute pack's, without jitter.
class CharAttributeStore_Skill : public CharAttributeStore {
public:
    void Load(const LoadTable& table);
};

// The mana a skill reserves while it is in force.
class CharAttributeStore_SkillPenalty : public CharAttributeStore {
public:
    void Load(const LoadTable& table);
};

}  // namespace GAME
