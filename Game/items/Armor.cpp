#include "Game/items/Armor.h"

#include "Engine/Entity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Armor, ItemEquipment)

void Armor::PlayImpactSound(const WorldVec3& where)
{
    if (m_impactSound)
        m_impactSound->Play(where);
}

}  // namespace GAME
