// A map from names to values for tables that are filled once and then read many times
// (a record's keys, the loaded records): open addressing over a power-of-two array of
// slots, so a look-up costs one hash and no division, and names compare in a folded
// form (case, separators) eight bytes at a time without making a folded copy.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace GAME {

namespace NameFolding {

inline constexpr uint64_t kOnes = 0x0101010101010101ull;
inline constexpr uint64_t kHighBits = 0x8080808080808080ull;
inline constexpr uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Full;

// 0x80 in each byte of `word` equal to `byte`, 0 elsewhere (exact: no borrow between bytes).
inline uint64_t BytesEqual(uint64_t word, unsigned char byte)
{
    const uint64_t x = word ^ (kOnes * byte);
    return ~(((x & kLowBits) + kLowBits) | x | kLowBits);
}

// ASCII capitals to small letters in eight bytes at once; every other byte is unchanged.
inline uint64_t LowerAscii(uint64_t word)
{
    const uint64_t low = word & kLowBits;
    const uint64_t atLeastA = low + kOnes * (0x80 - 'A');
    const uint64_t pastZ = low + kOnes * (0x80 - 'Z' - 1);
    const uint64_t capitals = atLeastA & ~pastZ & ~word & kHighBits;
    return word | (capitals >> 2);
}

}  // namespace NameFolding

// Keys of a record: ASCII case does not matter.
struct CaseFold {
    static uint64_t Word(uint64_t word) { return NameFolding::LowerAscii(word); }
    // What a name is hashed by: bit 5 set in every byte. Names equal but for case give the
    // same words (a capital differs from its small letter in that bit only), and setting
    // it costs one instruction where folding costs several; the few other bytes it merges
    // ('[' and '{', ...) only share a hash, as the names are compared folded.
    static uint64_t HashWord(uint64_t word) { return word | NameFolding::kOnes * 0x20; }
};

// Record names: case does not matter and '\' is '/'.
struct PathFold {
    static uint64_t Word(uint64_t word)
    {
        word = NameFolding::LowerAscii(word);
        return word ^ ((NameFolding::BytesEqual(word, '\\') >> 7) * ('\\' ^ '/'));
    }
    static uint64_t HashWord(uint64_t word) { return Word(word); }
};

template <class Fold>
struct FoldedName {
    // The eight bytes of the name from `offset` on; past the end, zeros. Each is
    // read as one word (a short tail from the name's last eight bytes, shifted): bytes
    // stored one by one and read back as a word would stall the load.
    static uint64_t RawWord(std::string_view name, size_t offset)
    {
        static_assert(std::endian::native == std::endian::little, "bytes are taken from the low end");
        const size_t left = name.size() - offset;
        uint64_t word = 0;
        if (left >= sizeof(word)) {
            std::memcpy(&word, name.data() + offset, sizeof(word));
        } else if (name.size() >= sizeof(word)) {
            std::memcpy(&word, name.data() + name.size() - sizeof(word), sizeof(word));
            word >>= 8 * (sizeof(word) - left);
        } else {
            for (size_t i = 0; i < left; ++i)
                word |= static_cast<uint64_t>(static_cast<unsigned char>(name[offset + i])) << (8 * i);
        }
        return word;
    }
    static uint64_t Word(std::string_view name, size_t offset) { return Fold::Word(RawWord(name, offset)); }
    static uint64_t Hash(std::string_view name)
    {
        uint64_t hash = 14695981039346656037ull ^ name.size();
        auto mix = [&hash](uint64_t word) {
            hash = (hash ^ Fold::HashWord(word)) * 1099511628211ull;
            hash ^= hash >> 29;
        };
        // Whole words straight from the name, then the tail (if any) as one word.
        size_t i = 0;
        for (; i + sizeof(uint64_t) <= name.size(); i += sizeof(uint64_t)) {
            uint64_t word;
            std::memcpy(&word, name.data() + i, sizeof(word));
            mix(word);
        }
        if (i < name.size())
            mix(RawWord(name, i));
        // The slot is taken from the low bits: let every byte reach them.
        hash ^= hash >> 32;
        hash *= 0xD6E8FEB86659FD93ull;
        return hash ^ (hash >> 32);
    }
    static bool Equal(std::string_view a, std::string_view b)
    {
        if (a.size() != b.size())
            return false;
        // Names are mostly looked up as they were first spelled: fold only what differs.
        for (size_t i = 0; i < a.size(); i += sizeof(uint64_t)) {
            const uint64_t wordA = RawWord(a, i);
            const uint64_t wordB = RawWord(b, i);
            if (wordA != wordB && Fold::Word(wordA) != Fold::Word(wordB))
                return false;
        }
        return true;
    }
};

template <class T, class Fold>
class NameIndex {
public:
    static constexpr size_t kNone = ~size_t(0);
    struct Entry {
        std::string name;
        T value{};
    };

    NameIndex() = default;
    NameIndex(NameIndex&&) noexcept = default;
    NameIndex& operator=(NameIndex&&) noexcept = default;
    NameIndex(const NameIndex& other)
        : m_slots(other.m_slots), m_names(other.m_names), m_nameOffsets(other.m_nameOffsets)
    {
        m_entries.reserve(other.m_entries.size());
        for (const auto& entry : other.m_entries)
            m_entries.push_back(std::make_unique<Entry>(*entry));
    }
    NameIndex& operator=(const NameIndex& other)
    {
        if (this != &other)
            *this = NameIndex(other);
        return *this;
    }

    // The position of the entry under `name` (in the order entries were added), or kNone.
    size_t FindIndex(std::string_view name) const
    {
        if (m_slots.empty())
            return kNone;
        const uint64_t hash = FoldedName<Fold>::Hash(name);
        const uint32_t tag = static_cast<uint32_t>(hash >> 32);
        for (size_t i = hash & (m_slots.size() - 1);; i = (i + 1) & (m_slots.size() - 1)) {
            const Slot& slot = m_slots[i];
            if (!slot.entry)
                return kNone;
            if (slot.tag == tag && slot.nameLength == name.size() &&
                FoldedName<Fold>::Equal(std::string_view(m_names.data() + slot.nameOffset, slot.nameLength), name))
                return slot.entry - 1;
        }
    }
    const T* Find(std::string_view name) const
    {
        const size_t index = FindIndex(name);
        return index == kNone ? nullptr : &m_entries[index]->value;
    }
    T* Find(std::string_view name)
    {
        const size_t index = FindIndex(name);
        return index == kNone ? nullptr : &m_entries[index]->value;
    }

    // The entry under `name`, added with a default value when there is none; `added`
    // tells which. Entries stay where they are as others are added.
    Entry& Emplace(std::string_view name, bool* added = nullptr)
    {
        const size_t found = FindIndex(name);
        if (added)
            *added = found == kNone;
        if (found != kNone)
            return *m_entries[found];
        // At most half the slots taken: a key that is absent (most numbered keys read are)
        // ends its probe at the first free slot.
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            Rehash(std::max<size_t>(8, m_slots.size() * 2));
        m_entries.push_back(std::make_unique<Entry>());
        m_entries.back()->name = name;
        m_nameOffsets.push_back(static_cast<uint32_t>(m_names.size()));
        m_names.append(name);
        Place(m_entries.size() - 1);
        return *m_entries.back();
    }

    size_t Size() const { return m_entries.size(); }
    bool Empty() const { return m_entries.empty(); }
    const Entry& At(size_t index) const { return *m_entries[index]; }
    Entry& At(size_t index) { return *m_entries[index]; }
    void Clear()
    {
        m_entries.clear();
        m_slots.clear();
        m_names.clear();
        m_nameOffsets.clear();
    }

private:
    // A slot holds what a look-up compares, so that a look-up reads the slots and the names
    // side by side (a record's names fit in a few cache lines) and no entry but the one found.
    struct Slot {
        uint32_t tag = 0;          // the hash's high half: most mismatches end here
        uint32_t entry = 0;        // position + 1; 0 is a free slot
        uint32_t nameOffset = 0;   // the name in m_names
        uint32_t nameLength = 0;
    };

    void Place(size_t index)
    {
        const std::string& name = m_entries[index]->name;
        const uint64_t hash = FoldedName<Fold>::Hash(name);
        size_t i = hash & (m_slots.size() - 1);
        while (m_slots[i].entry)
            i = (i + 1) & (m_slots.size() - 1);
        m_slots[i] = {static_cast<uint32_t>(hash >> 32), static_cast<uint32_t>(index + 1), m_nameOffsets[index],
                      static_cast<uint32_t>(name.size())};
    }
    void Rehash(size_t slots)
    {
        m_slots.assign(slots, Slot{});
        for (size_t i = 0; i < m_entries.size(); ++i)
            Place(i);
    }

    std::vector<std::unique_ptr<Entry>> m_entries;
    std::vector<Slot> m_slots;
    std::string m_names;                  // every entry's name as added, back to back
    std::vector<uint32_t> m_nameOffsets;  // by entry: where its name starts in m_names
};

}  // namespace GAME
