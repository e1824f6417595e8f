#include "Game/items/PlayerHotSlotCtrl.h"

namespace GAME {

void PlayerHotSlotCtrl::SetToDefaults()
{
    m_primarySkillId = 0;
    m_secondarySkillId = 0;
}

void PlayerHotSlotCtrl::Update(int) {}

bool PlayerHotSlotCtrl::IsInDefaultState() const
{
    return m_primarySkillId == 0 && m_secondarySkillId == 0;
}

void PlayerHotSlotCtrl::StreamProperties(IOStream&) {}

}  // namespace GAME
