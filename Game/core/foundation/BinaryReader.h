// A little-endian byte reader over a memory buffer, the counterpart of BinaryWriter.
// It fails closed: the first read that runs past the end (or a string longer than
// kMaxStringLength) marks the reader failed, and that read and every later one answer
// zero or empty without moving on. Callers test HasFailed before applying what they read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace GAME {

class BinaryReader {
public:
    // The longest string a reader accepts.
    static constexpr uint32_t kMaxStringLength = 0x100000;

    // Reads `size` bytes at `data`, which the caller keeps alive while reading.
    BinaryReader(const void* data, size_t size) : m_data(static_cast<const uint8_t*>(data)), m_size(data ? size : 0) {}

    uint16_t ReadUInt16();
    uint32_t ReadUInt32();
    // Four bytes; any value but 0 is true.
    bool ReadBool();
    // False (the output zeroed) when fewer than `size` bytes are left.
    bool ReadBytes(void* out, size_t size);
    // A 32-bit byte length, then the bytes.
    std::string ReadString();

    bool HasFailed() const { return m_failed; }
    size_t GetPosition() const { return m_position; }
    size_t GetRemaining() const { return m_size - m_position; }

private:
    // The next `size` bytes, the position moved past them; null (and failed) when they
    // are not all there.
    const uint8_t* Take(size_t size, const char* what);

    const uint8_t* m_data;
    size_t m_size;
    size_t m_position = 0;
    bool m_failed = false;
};

}  // namespace GAME
