// The 128-bit identity of an object placed in a level, kept across saves and peers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "Engine/System.h"

namespace GAME {

class UniqueId {
public:
    static constexpr unsigned kPartCount = 4;

    UniqueId() = default;   // all zero

    // Fills the words from a fresh system GUID.
    void Generate();
    // word 0 = data1; word 1 = data2 << 16 | data3; words 2 and 3 = data4[0..3] and
    // data4[4..7], each read most significant byte first.
    void SetFromGuid(const SystemGuid& guid);

    // The i-th word; an index past the last word reads 0 and writes nothing.
    uint32_t GetPart(unsigned index) const { return index < kPartCount ? m_parts[index] : 0; }
    void SetPart(unsigned index, uint32_t value)
    {
        if (index < kPartCount)
            m_parts[index] = value;
    }

    bool operator==(const UniqueId& other) const = default;

private:
    uint32_t m_parts[kPartCount] = {};
};

// For unordered containers keyed by id.
struct UniqueIdHash {
    size_t operator()(const UniqueId& id) const;
};

}  // namespace GAME
