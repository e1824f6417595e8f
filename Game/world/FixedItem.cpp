#include "Game/world/FixedItem.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItem, Actor)

void FixedItem::UseOnTarget(uint32_t actorId, const std::vector<uint32_t>& /*targets*/)
{
    if (!ObjectManager::Get().GetObject<Player>(actorId))
        return;
    GameEvent_FixedItemUse event;
    event.objectName = GetObjectName();
    event.actorId = actorId;
    event.objectId = GetObjectId();
    EventManager::Get().Send(event, "GameEvent_FixedItemUse");
}

void FixedItem::UseSkillOnTargets(uint32_t /*actorId*/, const std::vector<uint32_t>& /*targets*/) {}

void FixedItem::SetFixedItemState(FixedItem_State /*state*/, uint32_t /*actorId*/, bool /*instant*/,
                                  bool /*withEffects*/)
{
}

}  // namespace GAME
