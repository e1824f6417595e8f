// A little-endian byte writer into an open file or a growing memory buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace GAME {

class BinaryWriter {
public:
    // The memory buffer grows to its old capacity plus this many times the request.
    static constexpr size_t kGrowthFactor = 10;
    // The largest buffer it will grow to: sizes are told in 32-bit fields and messages.
    static constexpr size_t kMaxCapacity = 0x7fffffff;

    // Writes into a memory buffer.
    BinaryWriter() = default;
    // Writes to `file`, which the caller opened and closes.
    explicit BinaryWriter(std::FILE* file) : m_file(file) {}
    ~BinaryWriter();
    BinaryWriter(const BinaryWriter&) = delete;
    BinaryWriter& operator=(const BinaryWriter&) = delete;

    void WriteUInt16(uint16_t value);
    void WriteUInt32(uint32_t value);
    // Four bytes, 0 or 1.
    void WriteBool(bool value);
    void WriteBytes(const void* data, size_t size);
    // A 32-bit byte length, then the bytes.
    void WriteString(const std::string& text);

    // After a write fails (file error, buffer that cannot grow) every later write is
    // skipped too, so the output never holds data with a piece missing from its middle.
    bool HasFailed() const { return m_failed; }

    // The memory buffer (null until something is written to memory).
    const uint8_t* GetBuffer() const { return m_buffer; }
    size_t GetLength() const { return m_length; }
    size_t GetCapacity() const { return m_capacity; }

private:
    bool Reserve(size_t size);

    std::FILE* m_file = nullptr;
    uint8_t* m_buffer = nullptr;
    size_t m_length = 0;
    size_t m_capacity = 0;
    bool m_failed = false;
};

}  // namespace GAME
