#include "Game/ai/ControllerCombat.h"

#include <vector>

#include "Engine/EventManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/DeathHandler.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEvents.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCombat, ControllerCharacter)

ControllerCombat::~ControllerCombat() = default;

void ControllerCombat::KillMe()
{
    Character* character = GetParentCharacter();
    if (!character || !character->IsAlive() || character->IsA<Npc>())
        return;
    character->SetLifeState(Character_LifeState_Dying);
    std::vector<uint32_t> ids;
    if (const DeathManager* manager = character->GetDeathManager())
        manager->GetObjectIdRequests(ids);
    const uint32_t characterId = character->GetObjectId();
    HandleAction(new DieAction(characterId, ids));
    GameEvent_CreatureStartDeath event;
    event.objectId = characterId;
    EventManager::Get().Send(event, "GameEvent_CreatureStartDeath");
}

}  // namespace GAME
