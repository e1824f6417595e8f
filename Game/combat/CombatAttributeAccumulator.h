// The combat attributes of one attack in four lists (damage, damage modifiers, defences,
// defence modifiers), run through the stages of the attack, with the attack's own seeded
// generator and the hit region.
//
// The attack owns its objects. Those it makes itself (`Make`, `Clone`) live in the
// accumulator's own storage, taken from the heap a block at a time and given back with
// the accumulator, so an ordinary attack allocates once; objects handed over as a
// unique_ptr stay on the heap and are deleted as before.
#pragma once

#include <array>
#include <concepts>
#include <cstdint>
#include <memory>
#include <utility>

#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatAttributeArena.h"
#include "Game/core/foundation/RandomUniform.h"

namespace GAME {

class Character;

// One owned combat attribute of an attack: in its accumulator's storage or on the heap.
// Letting go of it destroys the object (and, on the heap, frees it).
class CombatAttributePtr {
public:
    CombatAttributePtr() = default;
    CombatAttributePtr(std::nullptr_t) {}
    // Objects made on the heap keep working with every adder.
    template <class T>
        requires std::derived_from<T, CombatAttribute>
    CombatAttributePtr(std::unique_ptr<T> object) : m_object(object.release()), m_onHeap(true)
    {
    }
    CombatAttributePtr(CombatAttributePtr&& other) noexcept
        : m_object(std::exchange(other.m_object, nullptr)), m_onHeap(other.m_onHeap), m_listedType(other.m_listedType)
    {
    }
    CombatAttributePtr& operator=(CombatAttributePtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_object = std::exchange(other.m_object, nullptr);
            m_onHeap = other.m_onHeap;
            m_listedType = other.m_listedType;
        }
        return *this;
    }
    ~CombatAttributePtr() { reset(); }

    CombatAttribute* get() const { return m_object; }
    CombatAttribute* operator->() const { return m_object; }
    CombatAttribute& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }
    bool IsOnHeap() const { return m_object && m_onHeap; }

    void reset()
    {
        CombatAttribute* object = std::exchange(m_object, nullptr);
        if (!object)
            return;
        if (m_onHeap)
            delete object;
        else
            object->~CombatAttribute();   // its storage goes with the arena
    }

private:
    friend class CombatAttributeAccumulator;
    CombatAttributePtr(CombatAttribute* object, bool onHeap) : m_object(object), m_onHeap(onHeap) {}

    CombatAttribute* m_object = nullptr;
    bool m_onHeap = false;
    // The object's GetType, read once when the accumulator listed it: the type of a
    // combat attribute never changes, and the stages that pick objects by type read it
    // here instead of asking each object again.
    CombatAttributeType m_listedType = CombatAttributeType_Unknown;
};

// One of the accumulator's four lists, in order. Its entries live in the accumulator's
// storage; only the accumulator changes it.
class CombatAttributeList {
public:
    using value_type = CombatAttributePtr;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    const CombatAttributePtr& operator[](size_t index) const { return m_items[index]; }
    const CombatAttributePtr* begin() const { return m_items; }
    const CombatAttributePtr* end() const { return m_items + m_size; }

private:
    friend class CombatAttributeAccumulator;

    // One bit per type listed since the list was last emptied (the last bit for every type
    // past the others), so that a look for a type the list has never held ends at once.
    // An entry that leaves the list keeps its bit: a bit set means "may hold".
    static uint64_t TypeBit(CombatAttributeType type)
    {
        return uint64_t{1} << (static_cast<uint32_t>(type) < 63 ? static_cast<uint32_t>(type) : 63);
    }
    bool MayHold(CombatAttributeType type) const { return (m_types & TypeBit(type)) != 0; }

    CombatAttributePtr* m_items = nullptr;
    uint32_t m_size = 0;
    uint32_t m_capacity = 0;
    uint64_t m_types = 0;
};

class CombatAttributeAccumulator {
public:
    CombatAttributeAccumulator() = default;
    // A copy holds clones of every object and is seeded like the original.
    CombatAttributeAccumulator(const CombatAttributeAccumulator& other);
    // Takes the other's objects, storage, generator state, seed and region as they are,
    // without cloning; the other is left empty.
    CombatAttributeAccumulator(CombatAttributeAccumulator&& other) noexcept;
    // Appends clones of the other's objects to what this one holds, then takes its seed
    // (re-seeding the generator) and region. Assigning an accumulator to itself changes
    // nothing.
    CombatAttributeAccumulator& operator=(const CombatAttributeAccumulator& other);
    // The same outcome as copying, but the other's objects (and their storage) move over
    // instead of being cloned; the other is left empty.
    CombatAttributeAccumulator& operator=(CombatAttributeAccumulator&& other) noexcept;
    // Inline: an accumulator that gathered nothing (an answer with nothing to answer
    // with) costs next to nothing to let go.
    virtual ~CombatAttributeAccumulator()
    {
        ClearList(m_damages);
        ClearList(m_damageModifiers);
        ClearList(m_defenses);
        ClearList(m_defenseModifiers);
    }

    // What a copy for reflection carries: clones of the damage that comes back with
    // reflected damage (FilterReflectDamage's rule) and, when asked, of the defences and
    // defence modifiers; damage modifiers, which the answer never runs, stay behind.
    struct ReflectionClones {
        bool defenses = true;
    };
    CombatAttributeAccumulator(const CombatAttributeAccumulator& other, ReflectionClones clones);

    virtual RandomUniform& GetRandomGen() { return m_randomGen; }
    // A chance in percent: exactly 0 means always, without a draw; otherwise a whole
    // number drawn from 0 to 100 must not exceed it.
    virtual bool EvaluateChance(float chance);
    virtual float GetChanceMultiplier(float chance);

    void SetSeed(uint32_t seed);
    uint32_t GetSeed() const { return m_seed; }
    void SetRegion(CombatAttributeRegion region) { m_region = region; }
    CombatAttributeRegion GetRegion() const { return m_region; }

    // ---- Making the attack's objects ------------------------------------------------
    // A new object in this attack's storage, owned by the pointer until it is added to
    // one of this accumulator's lists (or let go). It must be added, or let go, before
    // the accumulator is cleared or assigned to, which may give the storage back.
    template <class T, class... Args>
        requires std::derived_from<T, CombatAttribute>
    CombatAttributePtr Make(Args&&... args)
    {
        return CombatAttributePtr(m_arena.Create<T>(std::forward<Args>(args)...), false);
    }
    // A clone of an object (an item's or a skill's template) in this attack's storage.
    CombatAttributePtr Clone(const CombatAttribute& attribute)
    {
        return CombatAttributePtr(attribute.CloneIn(m_arena), false);
    }

    // The accumulator takes what it is given; null is ignored. An object made by another
    // accumulator is cloned into this one's storage.
    void AddDamage(CombatAttributePtr attribute)
    {
        if (attribute) {
            Own(attribute);
            Append(m_damages, std::move(attribute));
        }
    }
    void AddDamageModifier(CombatAttributePtr attribute)
    {
        if (attribute) {
            Own(attribute);
            Append(m_damageModifiers, std::move(attribute));
        }
    }
    void AddDefenseModifier(CombatAttributePtr attribute)
    {
        if (attribute) {
            Own(attribute);
            Append(m_defenseModifiers, std::move(attribute));
        }
    }
    // A new object of T made in this attack's storage and appended to the damage (or
    // damage modifier) list at once: AddDamage(Make<T>(...)) without handing the object
    // over through a pointer, and its type read without a virtual call (it is exactly a T).
    template <class T, class... Args>
        requires std::derived_from<T, CombatAttribute>
    [[gnu::always_inline]] void MakeDamage(Args&&... args)
    {
        AppendNew<T>(m_damages, std::forward<Args>(args)...);
    }
    template <class T, class... Args>
        requires std::derived_from<T, CombatAttribute>
    [[gnu::always_inline]] void MakeDamageModifier(Args&&... args)
    {
        AppendNew<T>(m_damageModifiers, std::forward<Args>(args)...);
    }

    // A defence that one already held merges is dropped; otherwise appended. A defence
    // only ever merges one of its own type, so only those are asked.
    void AddDefense(CombatAttributePtr attribute);
    // AddDefense(Make<T>(args...)), but a defence that merges into one already held is
    // never made in the storage: it is offered to them from the stack first.
    template <class T, class... Args>
        requires std::derived_from<T, CombatAttribute>
    void AddNewDefense(Args&&... args)
    {
        T offered(std::forward<Args>(args)...);
        const CombatAttributeType type = offered.GetType();
        if (m_defenses.MayHold(type))
            for (const auto& defense : m_defenses)
                if (defense.m_listedType == type && defense->MergeDefense(&offered))
                    return;
        Append(m_defenses, Make<T>(std::move(offered)), type);
    }

    const CombatAttributeList& GetDamages() const { return m_damages; }
    const CombatAttributeList& GetDamageModifiers() const { return m_damageModifiers; }
    const CombatAttributeList& GetDefenses() const { return m_defenses; }
    const CombatAttributeList& GetDefenseModifiers() const { return m_defenseModifiers; }

    // Only damage counts: an accumulator that holds only defences is empty.
    bool IsEmpty() const { return m_damages.empty(); }

    // Every damage modifier acts on every damage object (modifier by modifier) and is
    // then dropped; then every damage object processes with the side's numbers.
    void ProcessDamage(const Character& side, float percent, float absoluteCut, float reductionPercent,
                       float reductionAbsolute);
    // The same with the defence modifiers on the defences.
    void ProcessDefense(Character& side, float percent, float absoluteCut, float reductionPercent,
                        float reductionAbsolute);
    // Every defence acts on every damage object in the hit region; then the defences go.
    void ExecuteDefense();
    void ExecuteDamage(Character& defender);

    // Scales every damage object; returns the sum of the scaled base physical damage.
    float ProcessBluntDamageModifier(float modifier);
    // Every damage object reduces itself, by its own type, by the percent.
    void ReduceDamage(float percent);
    void DamageReductionByShield(Character& defender, float shieldDefense, float shieldAbsorption);
    void ScaleDamage(float percent);
    // Drops the damage that never comes back with reflected damage, keeping the order.
    void FilterReflectDamage();

    // Both totals add onto what the caller passes in.
    void GetTotalDamage(float& absolute, float& overTime) const;
    void GetTotalDamageType(float& absolute, float& overTime, CombatAttributeType type) const;
    // GetTotalDamageType for every type at once, in one pass over the damage, each total
    // starting at 0. Returns the types that have damage objects, bit t for type t; the
    // entries of the other types are left as they were.
    using DamageByType = std::array<float, kCombatAttributeTypeCount>;
    static_assert(kCombatAttributeTypeCount <= 64, "one bit per type");
    uint64_t GetTotalDamageByType(DamageByType& absolute, DamageByType& overTime) const;
    // The sum of the absolute parts of the defences of that type.
    float GetTotalDefenseType(CombatAttributeType type) const;

    // Drops everything: damage, damage modifiers, defences, defence modifiers. The
    // storage is kept for what the accumulator holds next.
    void Clear();
    // Drops the defences and defence modifiers, keeping the damage.
    void ClearDefenses();

    // The blocks of storage the accumulator holds (0 until it makes its first object).
    size_t GetStorageBlockCount() const { return m_arena.GetBlockCount(); }

private:
    void Append(CombatAttributeList& list, CombatAttributePtr&& attribute)
    {
        const CombatAttributeType type = attribute->GetType();
        Append(list, std::move(attribute), type);
    }
    // `type` is the object's GetType.
    void Append(CombatAttributeList& list, CombatAttributePtr&& attribute, CombatAttributeType type)
    {
        AppendEntry(list, type, std::move(attribute));
    }
    template <class T, class... Args>
    [[gnu::always_inline]] void AppendNew(CombatAttributeList& list, Args&&... args)
    {
        T* object = new (m_arena.AllocateInline(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
        AppendEntry(list, object->T::GetType(), object, false);
    }
    // A new entry at the end of the list, listed as `type`, made from `entry`.
    template <class... Entry>
    [[gnu::always_inline]] void AppendEntry(CombatAttributeList& list, CombatAttributeType type, Entry&&... entry)
    {
        if (list.m_size == list.m_capacity)
            Grow(list);
        CombatAttributePtr* added = new (&list.m_items[list.m_size]) CombatAttributePtr(std::forward<Entry>(entry)...);
        added->m_listedType = type;
        list.m_types |= CombatAttributeList::TypeBit(type);
        ++list.m_size;
    }
    void Grow(CombatAttributeList& list);
    // The object as this accumulator's own: kept when it is on the heap or in this
    // storage, cloned into this storage when another accumulator made it.
    void Own(CombatAttributePtr& attribute)
    {
        if (!attribute.m_onHeap && !m_arena.Owns(attribute.get()))
            CloneFromElsewhere(attribute);
    }
    void CloneFromElsewhere(CombatAttributePtr& attribute);
    static void ClearList(CombatAttributeList& list)
    {
        for (uint32_t i = 0; i < list.m_size; ++i)
            list.m_items[i].~CombatAttributePtr();
        list.m_size = 0;
        list.m_types = 0;
    }
    void AppendClones(const CombatAttributeAccumulator& other);
    // Moves the other's entries behind this one's (the objects stay where they are).
    void AppendMoved(CombatAttributeList& list, CombatAttributeList& other);
    void TakeLists(CombatAttributeAccumulator& other);

    // Declared first: destroyed after the lists' objects that live in it.
    CombatAttributeArena m_arena;
    CombatAttributeList m_damages;
    CombatAttributeList m_damageModifiers;
    CombatAttributeList m_defenses;
    CombatAttributeList m_defenseModifiers;
    RandomUniform m_randomGen;
    uint32_t m_seed = 0;
    CombatAttributeRegion m_region = CombatAttributeRegion_FullyProtected;
};

}  // namespace GAME
