// The offensive damage attributes that one record grants, in three owned lists by how they
// are rolled in combat: the plain list (each rolls its own chance), and the AND and XOR
// groups that apply when the store's global chance succeeds.
//
// A store loads its classes in a fixed order from a record (an item's base record with its
// prefix and suffix records, with loot jitter; or a skill's record), offers them to each
// attack at a level, scales them, sums their cost and writes their text. The order of the
// lists is the order of loading: it decides the text, the order of the draws from the
// attack's generator and the tie-break of the XOR pick, so it is part of what every peer
// must compute alike.
//
// Copying: a copy owns clones of every attribute (in list order) and the global chances,
// and no generator; a move takes the attributes over and leaves the source empty.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "Game/combat/AttributeStoreParts.h"
#include "Game/combat/DamageAttribute.h"

namespace GAME {

class LoadTable;
class RandomUniform;

class DamageAttributeStore {
public:
    using AttributeList = std::vector<std::unique_ptr<DamageAttribute>>;
    using TextList = DamageAttribute::TextList;

    DamageAttributeStore() = default;
    DamageAttributeStore(const DamageAttributeStore& other);
    DamageAttributeStore(DamageAttributeStore&& other) noexcept;
    // Assigning a store to itself changes nothing.
    DamageAttributeStore& operator=(const DamageAttributeStore& other);
    DamageAttributeStore& operator=(DamageAttributeStore&& other) noexcept;
    virtual ~DamageAttributeStore();

    // Lines of interface text: the plain attributes' own, then for the AND group and the
    // XOR group a header with the global chance followed by their members' lines (each
    // indented instead of showing its chance), into texts2. A group whose members write
    // nothing writes no header. CreateNextText shows the next level's.
    virtual void CreateText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level) const;
    virtual void CreateNextText(TextList& texts1, TextList& texts2, TextList& texts3, unsigned level,
                                unsigned nextLevel) const;

    // The store takes the attribute, appended to the list named; null is ignored.
    virtual void AddGlobalXorAttribute(std::unique_ptr<DamageAttribute> attribute);
    virtual void AddGlobalAndAttribute(std::unique_ptr<DamageAttribute> attribute);
    virtual void AddAttribute(std::unique_ptr<DamageAttribute> attribute);

    // Offers the attributes to one attack, drawing from the attack's generator in this
    // order: each plain attribute's own roll; one global roll (none when the global chance
    // is 0 or less; a draw equal to the chance passes); the AND group, forced; one
    // weighted pick of the XOR group, forced. The store allocates nothing here.
    virtual void AddDamageToAccumulator(CombatAttributeAccumulator& acc, unsigned level) const;
    virtual void AddModifierToAccumulator(CombatAttributeAccumulator& acc, unsigned level) const;
    // XOR group, then AND group, then the plain list.
    virtual void ScaleAttributes(float factor);
    virtual void GetCostInfo(CostInfo_DamageAttributes& info) const;

    // The same, to the list that a load chose; nothing (the attribute is destroyed) for
    // DamageAttributeList::None.
    void Add(DamageAttributeList list, std::unique_ptr<DamageAttribute> attribute);

    // The loot jitter generator, lent by an item around its load only; never owned.
    RandomUniform* GetRandomGen() const { return m_randomGen; }
    void SetRandomGen(RandomUniform* randomGen) { m_randomGen = randomGen; }

    // Destroys every attribute. The global chances stay: the array of the first load is
    // kept for the life of the store.
    void Clear();

    const AttributeList& GetGlobalXorAttributes() const { return m_globalXorAttributes.Items(); }
    const AttributeList& GetGlobalAndAttributes() const { return m_globalAndAttributes.Items(); }
    const AttributeList& GetAttributes() const { return m_attributes.Items(); }

    // Loads one attribute of a class from a record into the store: the attribute, now the
    // store's, or null when the record does not hold the class's values.
    using Loader = DamageAttribute* (*)(DamageAttributeStore& store, const LoadTable& record);
    // A store kind's classes in load order, as runs of classes (kinds share some runs).
    using LoadOrder = std::span<const std::span<const Loader>>;
    template <class Kind>
    static constexpr Loader kLoad = &DamageAttribute::Load<Kind>;
    // An attribute a record gave at a position of a load order, as read (before any draw),
    // and the list it went to; a record's, by position.
    struct DamageKindRead {
        size_t index;
        std::unique_ptr<const DamageAttribute> attribute;
        DamageAttributeList list;
    };
    using DamageKindReads = std::vector<DamageKindRead>;

protected:
    // The base record of an item jitters by this percent; skills and attribute packs do
    // not jitter.
    static constexpr float kItemJitterPercent = 20.0f;
    static constexpr float kSkillJitterPercent = 0.0f;

    // Reads "offensiveGlobalChance": the record's array only while the store has none, and
    // the value of a prefix or suffix that is given.
    void SetGlobalChance(const LoadTable& record, const LoadTable* prefix, const LoadTable* suffix);
    // The same from another key (the retaliation stores').
    void ReadGlobalChance(const char* key, const LoadTable& record, const LoadTable* prefix, const LoadTable* suffix);
    // Percent: the record's entry for the level (0 at level 0); at level 1 a prefix's value
    // above 0 replaces it, and a suffix's above 0 replaces that.
    float GetGlobalChance(unsigned level) const
    {
        float chance = PerLevelValue(m_globalChance, level);
        if (level == 1) {
            if (m_prefixGlobalChance > 0.0f)
                chance = m_prefixGlobalChance;
            if (m_suffixGlobalChance > 0.0f)
                chance = m_suffixGlobalChance;
        }
        return chance;
    }

    // Each class in order, from the record (jittered by `jitter`), then from the prefix and
    // the suffix when given (each jittered by its own "lootRandomizerJitter"), so up to
    // three attributes a class, base first.
    void LoadClasses(LoadOrder order, const LoadTable& record, const LoadTable* prefix, const LoadTable* suffix,
                     float jitter);

private:
    using OwnedList = OwnedAttributeList<DamageAttribute>;
    using PassList = std::vector<const DamageAttribute*>;

    template <class Contribute>
    void Offer(CombatAttributeAccumulator& acc, unsigned level, const PassList& plain, Contribute contribute) const;
    void IndexPasses();
    const DamageAttribute* PickXorMember(RandomUniform& rng, unsigned level) const;
    // Loads one class from the record and jitters it; with `reads`, notes there what the
    // record gave (at the class's position `index` in its order) before the jitter.
    void LoadClass(Loader load, const LoadTable& record, float jitter, size_t index, DamageKindReads* reads);
    // Adds a copy of what a record gave, jittered.
    void AddRead(const DamageKindRead& read, float jitter);
    void TakeFrom(DamageAttributeStore& other) noexcept;

    OwnedList m_globalXorAttributes;
    OwnedList m_globalAndAttributes;
    OwnedList m_attributes;
    // The plain list's attributes that add anything in the damage pass and in the
    // modifier pass, each in list order (a view of m_attributes, rebuilt when it changes).
    PassList m_damagePass;
    PassList m_modifierPass;
    RandomUniform* m_randomGen = nullptr;   // not owned
    std::vector<float> m_globalChance;
    float m_prefixGlobalChance = 0.0f;
    float m_suffixGlobalChance = 0.0f;
};

// The offensive attributes of an equipment item: its base record, prefix and suffix.
class DamageAttributeStore_Equipment : public DamageAttributeStore {
public:
    // A weapon (armor false) takes its base physical damage from the base record alone,
    // without jitter, then its base and bonus damage; armour and jewellery take physical
    // damage per level. Then the classes every item may carry. The base record jitters by
    // 20 percent.
    virtual void Load(const LoadTable& record, const LoadTable* prefix, const LoadTable* suffix, bool armor);
};

// The offensive attributes of a skill record: no prefix or suffix, no jitter. Only skills
// carry physical damage over time, trap, taunt and fear.
class DamageAttributeStore_Skill : public DamageAttributeStore {
public:
    virtual void Load(const LoadTable& record);
};

}  // namespace GAME
