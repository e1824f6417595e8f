#include "Game/items/CursorHandlerOneShotUse.h"

#include "Game/items/PlayerInventoryCtrl.h"

namespace GAME {

void CursorHandlerOneShotUse::SecondaryInitialize()
{
    if (PlayerInventoryCtrl* inventory = GetInventoryCtrl(); inventory && m_oneShot != 0)
        inventory->UseOneShot(m_oneShot);
    m_oneShot = 0;
}

}  // namespace GAME
