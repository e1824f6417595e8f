#include "Game/core/foundation/Filters.h"

#include "Game/characters/Player.h"
#include "Game/world/NpcTrafficNode.h"
#include "Game/world/PlayerSpawnPoint.h"

namespace GAME {

namespace {

template <class T>
bool IsOfClass(const Entity* entity)
{
    return entity && entity->GetClassInfo().IsA(&T::GetStaticClassInfo());
}

}  // namespace

bool FilterGetAllPlayers::operator()(const Entity* entity) const { return IsOfClass<Player>(entity); }

bool FilterGetAllTrafficNodes::operator()(const Entity* entity) const { return IsOfClass<NpcTrafficNode>(entity); }

bool FilterGetPlayerSpawnPoint::operator()(const Entity* entity) const { return IsOfClass<PlayerSpawnPoint>(entity); }

bool FilterGetSpawnObjects::operator()(const Entity* entity) const { return entity && entity->ShouldServerSpawn(); }

bool FilterCharacterAction::operator()(const CharacterAction*) const { return true; }

bool FilterMountAction::operator()(const CharacterAction*) const { return true; }

bool FilterMountedCharacterAction::operator()(const CharacterAction*) const { return true; }

}  // namespace GAME
