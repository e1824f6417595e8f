#include "Engine/WeaponTrail.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(WeaponTrail, Entity)

void WeaponTrail::Start()
{
    m_recording = true;
    ++m_starts;
}

}  // namespace GAME
