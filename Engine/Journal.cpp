#include "Engine/Journal.h"

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
    char detail[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(detail, sizeof detail, format, args);
    va_end(args);

    std::lock_guard<std::mutex> guard(m_lock);
    if (m_entries.size() >= kMaxEntries)
        m_entries.pop_front();
    m_entries.push_back({call ? call : "", objectId, detail});
}

std::vector<JournalEntry> Journal::GetEntries() const
{
    std::lock_guard<std::mutex> guard(m_lock);
    return {m_entries.begin(), m_entries.end()};
}

size_t Journal::Count(const char* call, uint32_t objectId) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    size_t count = 0;
    for (const JournalEntry& entry : m_entries)
        if (entry.call == call && (objectId == 0 || entry.objectId == objectId))
            ++count;
    return count;
}

JournalEntry Journal::GetLast(const char* call) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
        if (it->call == call)
            return *it;
    return {};
}

void Journal::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.clear();
}

}  // namespace GAME
