// Hears every event the game sends, from Start until Stop (or its end), passing each on to
// the observer that was there before, which Stop gives back. Taps are stopped in the
// reverse order of their starts.
#pragma once

#include <functional>

namespace GAME {

class Name;
struct GameEvent;

class HostEventTap {
public:
    HostEventTap() = default;
    ~HostEventTap();
    HostEventTap(const HostEventTap&) = delete;
    HostEventTap& operator=(const HostEventTap&) = delete;

    // Starting a tap that is on does nothing.
    void Start(std::function<void(const GameEvent&)> heard);
    void Stop();
    bool IsOn() const { return m_on; }

private:
    std::function<void(const GameEvent&)> m_heard;
    std::function<void(const GameEvent&, const Name&)> m_previous;
    bool m_on = false;
};

}  // namespace GAME
