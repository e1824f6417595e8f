#include "Game/ai/ControllerCombat.h"

#include <vector>

#include "Engine/ConnectionManager.h"
#include "Engine/EventManager.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/DeathHandler.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/items/loot/GoldGenerator.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerCombat, ControllerCharacter)

ControllerCombat::~ControllerCombat() = default;

void ControllerCombat::Update(int elapsedMs)
{
    ControllerCharacter::Update(elapsedMs);
    Character* character = GetParentCharacter();
    if (!character || !character->IsAlive() || character->IsInvincible())
        return;
    const float life = character->GetCurrentLife();
    character->PlayLowHealthSoundIfNeeded(life);
    if (life <= 0.0f)
        KillMe();
}

void ControllerCombat::HandleEvent(const Name& eventName)
{
    static const Name kShow("show");
    static const Name kHide("hide");
    const bool show = eventName == kShow;
    if (!show && !(eventName == kHide))
        return;
    if (Character* character = GetParentCharacter())
        character->Enqueue(new ShowCharacterConfigCmd(GetParentId(), show));
}

void ControllerCombat::KillMe()
{
    Character* character = GetParentCharacter();
    if (!character || !character->IsAlive() || character->IsA<Npc>() || !DecidesDeath())
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

bool ControllerCombat::DecidesDeath() const
{
    if (!gGameEngine || gGameEngine->GetNetworkRole() != NetworkRole::Client)
        return true;
    return ConnectionManager::HostOfPlayer(GetParentId()) == ConnectionManager::Get().GetLocalHostId();
}

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
