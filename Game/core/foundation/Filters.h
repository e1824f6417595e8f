// Filters handed to world queries (entities) and to action handlers (actions). They
// hold no data and are built on the stack where they are used.
#pragma once

#include "Engine/Entity.h"
#include "Engine/World.h"
#include "Game/characters/CharacterAction.h"

namespace GAME {

// Entities whose class is Player or derives from it.
class FilterGetAllPlayers : public FilterFunction<Entity> {
public:
    bool operator()(const Entity* entity) const override;
};

// Entities whose class is NpcTrafficNode or derives from it.
class FilterGetAllTrafficNodes : public FilterFunction<Entity> {
public:
    bool operator()(const Entity* entity) const override;
};

// Entities whose class is PlayerSpawnPoint or derives from it.
class FilterGetPlayerSpawnPoint : public FilterFunction<Entity> {
public:
    bool operator()(const Entity* entity) const override;
};

// Entities the server creates for its clients.
class FilterGetSpawnObjects : public FilterFunction<Entity> {
public:
    bool operator()(const Entity* entity) const override;
};

// The action filters accept every action.
class FilterCharacterAction : public FilterFunction<CharacterAction> {
public:
    bool operator()(const CharacterAction* action) const override;
};

class FilterMountAction : public FilterFunction<CharacterAction> {
public:
    bool operator()(const CharacterAction* action) const override;
};

class FilterMountedCharacterAction : public FilterFunction<CharacterAction> {
public:
    bool operator()(const CharacterAction* action) const override;
};

}  // namespace GAME
