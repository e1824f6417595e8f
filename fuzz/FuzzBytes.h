// A fuzz target's input read front to back: single bytes and big-endian 32-bit words. Once
// the input is spent every read gives 0, so a short input still makes whole steps.
#pragma once

#include <cstddef>
#include <cstdint>

namespace GAME {

class FuzzBytes {
public:
    FuzzBytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool Empty() const { return m_pos >= m_size; }
    uint8_t Byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint32_t Word()
    {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i)
            value = value << 8 | Byte();
        return value;
    }
    // Mostly small numbers (below 32), now and then any.
    uint32_t Small()
    {
        const uint8_t byte = Byte();
        return byte < 224 ? byte % 32 : Word();
    }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

// Stops the run at a broken invariant: the fuzzer reports it as a crash.
inline void Check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

}  // namespace GAME
