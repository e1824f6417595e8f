#include "Engine/CriticalSection.h"

#include <chrono>
#include <thread>

namespace GAME {

bool CriticalSection::TryEnter()
{
    const uintptr_t self = CurrentThreadToken();
    uint32_t expected = 0;
    if (!m_state.compare_exchange_strong(expected, 1, std::memory_order_acquire)) {
        if (m_owner.load(std::memory_order_relaxed) != self)
            return false;
        ++m_depth;
        return true;
    }
    m_owner.store(self, std::memory_order_relaxed);
    m_depth = 1;
    return true;
}

void CriticalSection::EnterContended()
{
    // Spin briefly: most holders leave within a few hundred cycles.
    for (int i = 0; i < 64; ++i) {
        uint32_t expected = 0;
        if (m_state.compare_exchange_weak(expected, 1, std::memory_order_acquire))
            return;
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    // Mark the word as having sleepers and sleep until it is released.
    uint32_t previous = m_state.exchange(2, std::memory_order_acquire);
    while (previous != 0) {
        m_state.wait(2, std::memory_order_relaxed);
        previous = m_state.exchange(2, std::memory_order_acquire);
    }
}

Event::Event(bool manualReset, bool initiallySet) : m_manualReset(manualReset), m_set(initiallySet) {}

void Event::Set()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_set = true;
    }
    if (m_manualReset)
        m_condition.notify_all();
    else
        m_condition.notify_one();
}

void Event::Reset()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_set = false;
}

bool Event::Wait(int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (timeoutMs < 0)
        m_condition.wait(lock, [this] { return m_set; });
    else if (!m_condition.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_set; }))
        return false;
    if (!m_manualReset)
        m_set = false;
    return true;
}

}  // namespace GAME
