// The engine's journal: the platform calls that have no output here (animations played,
// poses set, resources queued, entities attached, sounds played on a target) are written
// down in order, so tests and the host can read back what the game asked of the engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace GAME {

struct JournalEntry {
    std::string call;       // the operation, e.g. "Actor::PlayAnimation"
    uint32_t objectId = 0;  // the object it was called on (0 for engine services)
    std::string detail;     // its arguments as text
};

class Journal {
public:
    static Journal& Get();

    // Only the newest entries are kept, so a long run does not grow the journal for good.
    static constexpr size_t kMaxEntries = 4096;
    // The longest detail kept; a longer one is cut.
    static constexpr size_t kMaxDetailLength = 255;

    void Record(const char* call, uint32_t objectId, const char* format, ...) __attribute__((format(printf, 4, 5)));
    // The same with the detail already written, kept to the length Record keeps: for the
    // calls made most often, where formatting would cost more than the entry.
    void RecordText(const char* call, uint32_t objectId, std::string_view detail);

    std::vector<JournalEntry> GetEntries() const;
    // How many kept entries are of that call (and of that object, when it is not 0).
    size_t Count(const char* call, uint32_t objectId = 0) const;
    // The newest kept entry of that call; an empty entry when there is none.
    JournalEntry GetLast(const char* call) const;
    void Clear();

private:
    // The kept entries, oldest first, as `count` slots of a ring starting at `first`.
    // Slots are overwritten in place and kept through Clear, so that once the ring has
    // grown, writing an entry reuses the text storage of an old one and allocates nothing.
    template <class Visit>
    void ForEach(Visit&& visit) const;

    mutable std::mutex m_lock;
    std::vector<JournalEntry> m_slots;
    size_t m_first = 0;
    size_t m_count = 0;
};

}  // namespace GAME
