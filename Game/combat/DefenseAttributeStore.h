// The defence attributes that one record gives to its owner, loaded in a fixed order of
// kinds (which is also the order of the jitter draws, of the text lines and of the
// defences an attack receives), and the collective operations over them.
//
// Three kinds: an item's (base record with optional prefix and suffix, loot jitter and,
// for armour, the base protection), a skill's or pack's (one record, no jitter, the skill
// protection first) and a character's (its own record: twelve base resistances, kept even
// when empty, read per difficulty).
#pragma once

#include <memory>

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
