// Interned names: animation events, state names, record tags, constant names. Each text
// is stored once in a process-wide table; a Name is the index of its text there, so
// copying and comparing are integer operations. Names compare case-sensitively; callers
// that want case-insensitive names normalise the text first.
//
// The index means something only inside this process: another process interns its
// texts in another order. A name that is sent or saved travels as its text (c_str), and
// the reader makes it again with Name(text).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace GAME {

class Name {
public:
    // The empty name.
    constexpr Name() = default;
    explicit Name(const char* text);
    explicit Name(std::string_view text);
    explicit Name(const std::string& text) : Name(std::string_view(text)) {}

    // Interns `text` (an empty or null text gives the empty name).
    static Name Create(const char* text) { return Name(text); }
    static Name Create(std::string_view text) { return Name(text); }

    // The text; "" for the empty name. Lives as long as the process.
    const char* c_str() const;
    bool IsEmpty() const { return m_index == 0; }
    uint32_t GetIndex() const { return m_index; }

    bool operator==(const Name& other) const { return m_index == other.m_index; }
    bool operator!=(const Name& other) const { return m_index != other.m_index; }
    // Ordered by text, so ordered containers list names alphabetically in every run.
    bool operator<(const Name& other) const;

    // A name that travels as a fixed block of `kByteSize` bytes: its text, padded with
    // zero bytes. FromBytes takes the text up to the first zero byte; a block holding a
    // byte outside printable ASCII gives the empty name (`ok`, when given, tells which).
    static constexpr size_t kByteSize = 16;
    static Name FromBytes(const unsigned char (&bytes)[kByteSize], bool* ok = nullptr);

    // Four words that stand for the text wherever a name must be the same in every
    // process (the file names of saved quest state): two 64-bit FNV-1a hashes of the
    // text's bytes, the first from the standard offset basis, the second from that basis
    // with every bit flipped; words[0] and [1] are the first hash's high and low halves,
    // [2] and [3] the second's. The empty name gives four zeros.
    void GetHashWords(uint32_t (&words)[4]) const;

    // How many distinct names exist, the empty name included.
    static size_t GetTableSize();

    static const Name noName;

private:
    uint32_t m_index = 0;
};

}  // namespace GAME

template <>
struct std::hash<GAME::Name> {
    size_t operator()(const GAME::Name& name) const noexcept { return name.GetIndex(); }
};
