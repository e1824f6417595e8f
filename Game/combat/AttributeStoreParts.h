// What the attribute stores share about owning their attributes and borrowing a
// generator, so that every store copies and moves by one rule:
// - a copy is deep: each attribute through its Clone, in list order; the copy borrows no
//   generator;
// - a move hands the attributes (and the borrowed generator) over and leaves the source
//   empty;
// - assigning a store to itself changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace GAME {

class RandomUniform;

// The attributes of one store: owned, in the order they were added, never null.
template <class T>
class OwnedAttributeList {
public:
    using Pointer = std::unique_ptr<T>;

    OwnedAttributeList() = default;
    OwnedAttributeList(const OwnedAttributeList& other)
    {
        m_items.reserve(other.m_items.size());
        for (const Pointer& item : other.m_items)
            m_items.push_back(item->Clone());
    }
    OwnedAttributeList(OwnedAttributeList&& other) noexcept : m_items(std::move(other.m_items))
    {
        other.m_items.clear();
    }
    OwnedAttributeList& operator=(const OwnedAttributeList& other)
    {
        if (this != &other) {
            OwnedAttributeList copy(other);
            Clear();
            m_items = std::move(copy.m_items);
        }
        return *this;
    }
    OwnedAttributeList& operator=(OwnedAttributeList&& other) noexcept
    {
        if (this != &other) {
            Clear();
            m_items = std::move(other.m_items);
            other.m_items.clear();
        }
        return *this;
    }
    ~OwnedAttributeList() { Clear(); }

    // Null is ignored.
    void Add(Pointer item)
    {
        if (item)
            m_items.push_back(std::move(item));
    }
    // Destroys the attributes in list order.
    void Clear()
    {
        for (Pointer& item : m_items)
            item.reset();
        m_items.clear();
    }

    // Room for `count` attributes, for a load that knows how many it adds.
    void Reserve(size_t count) { m_items.reserve(count); }
    size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    const T& operator[](size_t index) const { return *m_items[index]; }
    auto begin() const { return m_items.begin(); }
    auto end() const { return m_items.end(); }
    auto begin() { return m_items.begin(); }
    auto end() { return m_items.end(); }
    // The owning pointers themselves, for stores that show their lists as such.
    const std::vector<Pointer>& Items() const { return m_items; }

private:
    std::vector<Pointer> m_items;
};

// The generator an owner lends a store for the time of a load (an item's, seeded from
// its identity). Not owned; a copied store borrows none, a moved one takes it over.
class BorrowedGenerator {
public:
    BorrowedGenerator() = default;
    BorrowedGenerator(const BorrowedGenerator&) {}
    BorrowedGenerator(BorrowedGenerator&& other) noexcept : m_generator(std::exchange(other.m_generator, nullptr)) {}
    BorrowedGenerator& operator=(const BorrowedGenerator& other)
    {
        if (this != &other)
            m_generator = nullptr;
        return *this;
    }
    BorrowedGenerator& operator=(BorrowedGenerator&& other) noexcept
    {
        if (this != &other)
            m_generator = std::exchange(other.m_generator, nullptr);
        return *this;
    }

    RandomUniform* Get() const { return m_generator; }
    void Set(RandomUniform* generator) { m_generator = generator; }

private:
    RandomUniform* m_generator = nullptr;
};

// What the character, skill and defence stores hold alike: one owned list and a borrowed
// generator, with their accessors.
template <class T>
class SingleListAttributeStore {
public:
    using AttributeList = OwnedAttributeList<T>;

    RandomUniform* GetRandomGen() const { return m_generator.Get(); }
    void SetRandomGen(RandomUniform* generator) { m_generator.Set(generator); }
    // Destroys every attribute; every Load begins with it.
    void Clear()
    {
        m_attributes.Clear();
        Changed();
    }
    const AttributeList& GetAttributes() const { return m_attributes; }
    // Each attribute's cost, in list order.
    template <class CostInfo>
    void GetCostInfo(CostInfo& info) const
    {
        for (const auto& attribute : m_attributes)
            attribute->GetCostInfo(info);
    }

    // Counts the changes to the list and to its attributes' values, for what a store
    // keeps computed from them.
    uint32_t GetRevision() const { return m_revision; }

protected:
    void ScaleEach(float percent)
    {
        for (auto& attribute : m_attributes)
            attribute->ScaleAttribute(percent);
        Changed();
    }
    void Changed() { ++m_revision; }

    AttributeList m_attributes;

private:
    BorrowedGenerator m_generator;
    uint32_t m_revision = 0;
};

}  // namespace GAME
