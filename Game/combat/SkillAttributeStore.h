// The skill attributes that one record contributes, in the fixed order of the five
// kinds, and the operations that run over all of them: an item's (with its prefix and
// suffix records) or a skill's or attribute pack's (one record).
#pragma once

#include <memory>

#include "Game/combat/AttributeStoreParts.h"
#include "Game/combat/SkillAttribute.h"

namespace GAME {

class SkillAttributeStore : public SingleListAttributeStore<SkillAttribute> {
public:
    using TextList = SkillAttribute::TextList;

    SkillAttributeStore() = default;
    // Copies are deep and borrow no generator; a move leaves the source empty.
    SkillAttributeStore(const SkillAttributeStore&) = default;
    SkillAttributeStore(SkillAttributeStore&&) noexcept = default;
    SkillAttributeStore& operator=(const SkillAttributeStore&) = default;
    SkillAttributeStore& operator=(SkillAttributeStore&&) noexcept = default;
    virtual ~SkillAttributeStore();

    // Each attribute in store order.
    virtual void CreateText(TextList& lines, unsigned level) const;
    virtual void CreateNextText(TextList& lines, unsigned level, unsigned nextLevel) const;
    // The store owns the attribute from now on; null is ignored.
    virtual void AddToStore(std::unique_ptr<SkillAttribute> attribute);
    virtual void AddToAccumulator(SkillAttributeAccumulator& acc, unsigned level) const;
    // Every attribute's values per level, with the store's generator; nothing unless the
    // percent is above 0 and the store has one.
    virtual void AddJitter(float percent);
    virtual void ScaleAttributes(float percent);



protected:
    // The five kinds from the record, each with the prefix's and suffix's values when
    // those records are given; a kind that holds nothing is dropped. No jitter.
    void LoadKinds(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix);
};

class SkillAttributeStore_Equipment : public SkillAttributeStore {
public:
    // The flag (the item's armour flag) plays no part.
    void Load(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix, bool armor);
};

class SkillAttributeStore_Skill : public SkillAttributeStore {
public:
    void Load(const LoadTable& table);
};

}  // namespace GAME
