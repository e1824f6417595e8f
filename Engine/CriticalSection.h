// Locks: a recursive critical section, its scoped lock, and a manual or automatic
// reset event for threads that wait on one another.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace GAME {

// Recursive: the owning thread may enter again and must exit as often. Uncontended
// Enter/Exit are one atomic exchange each, always inlined: the locked generator and the
// object manager take them around a few instructions of work. A waiting thread sleeps
// on the state word.
class CriticalSection {
public:
    CriticalSection() = default;
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    [[gnu::always_inline]] void Enter()
    {
        const uintptr_t self = CurrentThreadToken();
        uint32_t expected = 0;
        if (!m_state.compare_exchange_strong(expected, 1, std::memory_order_acquire)) {
            // Only this thread ever writes its own token, so the test is safe unlocked.
            if (m_owner.load(std::memory_order_relaxed) == self) {
                ++m_depth;
                return;
            }
            EnterContended();
        }
        m_owner.store(self, std::memory_order_relaxed);
        m_depth = 1;
    }

    bool TryEnter();

    [[gnu::always_inline]] void Exit()
    {
        if (--m_depth != 0)
            return;
        m_owner.store(0, std::memory_order_relaxed);
        if (m_state.exchange(0, std::memory_order_release) == 2)
            m_state.notify_one();
    }

    // A non-zero number unique to the calling thread while it lives.
    static uintptr_t CurrentThreadToken()
    {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__aarch64__))
        return reinterpret_cast<uintptr_t>(__builtin_thread_pointer());
#else
        static thread_local char token;
        return reinterpret_cast<uintptr_t>(&token);
#endif
    }

private:
    void EnterContended();

    std::atomic<uint32_t> m_state{0};   // 0 free, 1 held, 2 held with sleepers
    std::atomic<uintptr_t> m_owner{0};
    uint32_t m_depth = 0;               // only touched by the owner
};

class CriticalSectionLock {
public:
    [[gnu::always_inline]] explicit CriticalSectionLock(CriticalSection& section) : m_section(section)
    {
        m_section.Enter();
    }
    [[gnu::always_inline]] ~CriticalSectionLock() { m_section.Exit(); }
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection& m_section;
};

// A signal one thread raises and others wait for. A manual-reset event stays set
// until Reset; an automatic one lets exactly one waiter through and clears itself.
class Event {
public:
    explicit Event(bool manualReset = false, bool initiallySet = false);
    void Set();
    void Reset();
    // Waits for the event; a negative time-out waits for ever. True when it was set.
    bool Wait(int timeoutMs = -1);

private:
    std::mutex m_mutex;
    std::condition_variable m_condition;
    bool m_manualReset;
    bool m_set;
};

}  // namespace GAME
