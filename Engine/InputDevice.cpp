#include "Engine/InputDevice.h"

namespace GAME {

InputDevice& InputDevice::Get()
{
    static InputDevice device;
    return device;
}

void InputDevice::SetKeyDown(int scanCode, bool down)
{
    if (down)
        m_keysDown.insert(scanCode);
    else
        m_keysDown.erase(scanCode);
}

}  // namespace GAME
