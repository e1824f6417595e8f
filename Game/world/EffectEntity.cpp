#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(EffectEntity, Entity)

EffectEntity::~EffectEntity() = default;

bool EffectEntity::AddToWorld(const WorldCoords& coords, bool selfDeleting)
{
    m_selfDeleting = selfDeleting;
    return World::Get().AddEntity(this, coords);
}

}  // namespace GAME
