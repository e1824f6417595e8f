#include "Game/world/FxPak.h"

#include "Engine/ObjectManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FxPak, Actor)

void FxPak::UpdateSelf(int elapsedMs)
{
    Actor::UpdateSelf(elapsedMs);
    // Freed at the end of the frame; nothing of this object is touched after this.
    World::Get().RemoveEntity(this);
    ObjectManager::Get().DestroyObjectEx(this, "FxPak", __LINE__);
}

}  // namespace GAME
