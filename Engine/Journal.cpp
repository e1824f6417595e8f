#include "Engine/Journal.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace GAME {

Journal& Journal::Get()
{
    // Made once and never freed: entities freed at exit still write their detaching.
    static Journal* journal = new Journal();
    return *journal;
}

void Journal::Record(const char* call, uint32_t objectId, const char* format, ...)
{
    char detail[kMaxDetailLength + 1];
    va_list args;
    va_start(args, format);
    const int written = std::vsnprintf(detail, sizeof detail, format, args);
    va_end(args);
    const size_t length = written < 0 ? 0 : std::min(static_cast<size_t>(written), sizeof detail - 1);
    RecordText(call, objectId, std::string_view(detail, length));
}

void Journal::RecordText(const char* call, uint32_t objectId, std::string_view detail)
{
    detail = detail.substr(0, kMaxDetailLength);
    std::lock_guard<std::mutex> guard(m_lock);
    JournalEntry* slot = nullptr;
    if (m_count == kMaxEntries) {
        // Full: the oldest entry's slot takes the new one.
        slot = &m_slots[m_first];
        m_first = (m_first + 1) % kMaxEntries;
    } else {
        // Below the limit the ring starts at slot 0 (Clear starts it there again).
        if (m_count == m_slots.size())
            m_slots.emplace_back();
        slot = &m_slots[m_count++];
    }
    slot->call.assign(call ? call : "");
    slot->objectId = objectId;
    slot->detail.assign(detail.data(), detail.size());
}

template <class Visit>
void Journal::ForEach(Visit&& visit) const
{
    for (size_t i = 0; i < m_count; ++i)
        if (!visit(m_slots[(m_first + i) % kMaxEntries]))
            return;
}

std::vector<JournalEntry> Journal::GetEntries() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<JournalEntry> entries;
    entries.reserve(m_count);
    ForEach([&](const JournalEntry& entry) {
        entries.push_back(entry);
        return true;
    });
    return entries;
}

size_t Journal::Count(const char* call, uint32_t objectId) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t count = 0;
    ForEach([&](const JournalEntry& entry) {
        if (entry.call == call && (objectId == 0 || entry.objectId == objectId))
            ++count;
        return true;
    });
    return count;
}

JournalEntry Journal::GetLast(const char* call) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (size_t i = m_count; i > 0; --i) {
        const JournalEntry& entry = m_slots[(m_first + i - 1) % kMaxEntries];
        if (entry.call == call)
            return entry;
    }
    return {};
}

void Journal::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_first = 0;
    m_count = 0;
}

}  // namespace GAME
