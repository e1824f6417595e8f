#include "Engine/Name.h"

#include <atomic>
#include <cstring>
#include <unordered_map>

#include "Engine/CriticalSection.h"
#include "Engine/Engine.h"

namespace GAME {

const Name Name::noName;

namespace {

// Texts are kept in fixed-size chunks that never move, so a reader finds the text of
// an index without taking the lock: the chunk pointer and the count are published
// after the text is stored.
constexpr uint32_t kChunkBits = 10;
constexpr uint32_t kChunkSize = 1u << kChunkBits;
constexpr uint32_t kMaxChunks = 4096;
constexpr uint32_t kMaxNames = kChunkSize * kMaxChunks;

struct NameTable {
    CriticalSection lock;
    std::unordered_map<std::string_view, uint32_t> indexOf;   // views into the stored texts
    std::atomic<const char**> chunks[kMaxChunks] = {};
    std::atomic<uint32_t> count{1};                           // index 0 is the empty name
};

// Never destroyed: names held by static objects stay readable while those are torn down.
NameTable& Table()
{
    static NameTable* table = new NameTable;
    return *table;
}

const char* TextAt(const NameTable& table, uint32_t index)
{
    if (index == 0 || index >= table.count.load(std::memory_order_acquire))
        return "";
    const char** chunk = table.chunks[index >> kChunkBits].load(std::memory_order_acquire);
    return chunk[index & (kChunkSize - 1)];
}

uint32_t Intern(std::string_view text)
{
    // A name is a C text: whatever follows an embedded NUL is not part of it.
    text = text.substr(0, text.find('\0'));
    if (text.empty())
        return 0;
    NameTable& table = Table();
    CriticalSectionLock lock(table.lock);
    auto found = table.indexOf.find(text);
    if (found != table.indexOf.end())
        return found->second;
    const uint32_t index = table.count.load(std::memory_order_relaxed);
    if (index >= kMaxNames) {
        gEngine->Log(LOG_ERROR, "Name: table full (%u names), \"%.40s\" left empty", kMaxNames,
                     std::string(text).c_str());
        return 0;
    }
    std::atomic<const char**>& slot = table.chunks[index >> kChunkBits];
    const char** chunk = slot.load(std::memory_order_relaxed);
    if (!chunk) {
        chunk = new const char*[kChunkSize]();
        slot.store(chunk, std::memory_order_release);
    }
    char* stored = new char[text.size() + 1];
    std::memcpy(stored, text.data(), text.size());
    stored[text.size()] = '\0';
    chunk[index & (kChunkSize - 1)] = stored;
    table.indexOf.emplace(std::string_view(stored, text.size()), index);
    table.count.store(index + 1, std::memory_order_release);
    return index;
}

}  // namespace

Name::Name(const char* text) : m_index(text ? Intern(text) : 0) {}

Name::Name(std::string_view text) : m_index(Intern(text)) {}

Name Name::FromBytes(const unsigned char (&bytes)[kByteSize], bool* ok)
{
    size_t length = 0;
    while (length < kByteSize && bytes[length] != 0)
        ++length;
    bool printable = true;
    for (size_t i = 0; i < length; ++i)
        printable = printable && bytes[i] >= 0x20 && bytes[i] < 0x7F;
    if (ok)
        *ok = printable;
    if (!printable)
        return Name();
    return Name(std::string_view(reinterpret_cast<const char*>(bytes), length));
}

const char* Name::c_str() const
{
    return TextAt(Table(), m_index);
}

bool Name::operator<(const Name& other) const
{
    if (m_index == other.m_index)
        return false;
    return std::strcmp(c_str(), other.c_str()) < 0;
}

size_t Name::GetTableSize()
{
    return Table().count.load(std::memory_order_acquire);
}

void Name::GetHashWords(uint32_t (&words)[4]) const
{
    words[0] = words[1] = words[2] = words[3] = 0;
    if (IsEmpty())
        return;
    constexpr uint64_t kBasis = 14695981039346656037ull;
    constexpr uint64_t kPrime = 1099511628211ull;
    uint64_t first = kBasis;
    uint64_t second = ~kBasis;
    for (const char* c = c_str(); *c; ++c) {
        first = (first ^ static_cast<unsigned char>(*c)) * kPrime;
        second = (second ^ static_cast<unsigned char>(*c)) * kPrime;
    }
    words[0] = static_cast<uint32_t>(first >> 32);
    words[1] = static_cast<uint32_t>(first);
    words[2] = static_cast<uint32_t>(second >> 32);
    words[3] = static_cast<uint32_t>(second);
}

}  // namespace GAME
