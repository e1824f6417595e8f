#include "Game/ai/ControllerCombat.h"

#include <vector>

#include "Engine/EventManager.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/DeathHandler.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/items/loot/GoldGenerator.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCombat, ControllerCharacter)

ControllerCombat::~ControllerCombat() = default;

void ControllerCombat::KillMe()
{
    Character* character = GetParentCharacter();
    if (!character || !character->IsAlive() || character->IsA<Npc>())
        return;
    RunGoldGenerator(*character);
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

// Gold piles of the character's gold record, each made with a fresh id at the body, in
// the order the generator gives them.
void ControllerCombat::RunGoldGenerator(Character& character)
{
    if (character.GetGoldGenerator().empty() || !(character.GetGoldGeneratorChance() > 0.0f) || !gGameEngine)
        return;
    GoldGenerator generator;
    generator.LoadFromDatabase(character.GetGoldGenerator());
    generator.SetChance(character.GetGoldGeneratorChance());
    generator.SetGeneratorLevel(static_cast<float>(character.GetCharLevel()));
    generator.SetMonsterExperience(static_cast<float>(character.GetExperiencePoints()));
    const Character* attacker = ObjectManager::Get().GetObject<Character>(character.GetAttackerId());
    generator.SetPlayerLevel(attacker ? static_cast<float>(attacker->GetCharLevel()) : 0.0f);
    std::vector<ItemReplicaInfo> piles;
    generator.RunGenerator(piles);
    for (ItemReplicaInfo& pile : piles) {
        pile.objectId = ObjectManager::Get().CreateObjectID();
        gGameEngine->CreateItem(character.GetCoords(), pile);
    }
}

}  // namespace GAME
