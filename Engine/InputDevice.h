// The keyboard as the game reads it: which keys, by scan code, are held down. The host
// (or a test) presses and releases them.
#pragma once

#include <set>

namespace GAME {

class InputDevice {
public:
    static InputDevice& Get();

    void SetKeyDown(int scanCode, bool down);
    bool IsKeyDown(int scanCode) const { return m_keysDown.count(scanCode) != 0; }
    // Every key released.
    void Reset() { m_keysDown.clear(); }

private:
    std::set<int> m_keysDown;
};

}  // namespace GAME
