#include "Game/ai/ControllerStooge.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Random.h"
#include "Game/characters/AmbientCharacter.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/CharacterActions.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameTypes.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/LootLoader.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerStooge, ControllerCombat)

ControllerStooge::~ControllerStooge() = default;

void ControllerStooge::InitialUpdate()
{
    ControllerCombat::InitialUpdate();
    const Character* character = GetParentCharacter();
    const AnimationSet* set = character ? character->GetAnimationSet() : nullptr;
    if (set && set->DoesAnimationExist(AnimationSet_Spawn))
        HandleAction(new PlayAnimationAction(GetParentId(), AnimationSet_Spawn, Name(), 1.0f, false, 0));
}

void ControllerStooge::UnderAttack(uint32_t /*attackerId*/)
{
    auto* stooge = ObjectManager::Get().GetObject<AmbientCharacter>(GetParentId());
    if (!stooge || !gGameEngine)
        return;
    const uint32_t reference = stooge->GetSkillReferenceNumber(stooge->GetSkillId1());
    HandleAction(new AttackAction(GetParentId(), GetParentId(), stooge->GetCoords().GetPosition(), reference,
                                  gGameEngine->GetRandomSeed(), TargetLeadingData()));
}

void ControllerStooge::CharacterIsDead()
{
    ControllerCombat::CharacterIsDead();
    if (Character* character = GetParentCharacter())
        CreateDropMiscItems(*character);
}

void ControllerStooge::CreateDropMiscItems(Character& character)
{
    if (!gGameEngine)
        return;
    const WorldCoords where = character.GetCoords();
    PlayerInfo players;
    gGameEngine->GetPlayerInfo(players);
    LootLoader loader;
    loader.SetLevel(character.GetCharLevel(), players.averagePlayerLevel);
    ObjectManager& objects = ObjectManager::Get();
    const LoadTable* table = objects.LoadTableFile(character.GetObjectName());
    if (!table)
        return;
    RandomUniform& random = gGameEngine->GetRandomGen();
    for (int n = 1; n <= kMiscSlots; ++n) {
        ItemReplicaInfo item;
        if (!loader.RollMiscSlot(*table, n, players.gameDifficulty, random, item))
            continue;
        item.objectId = objects.CreateObjectID();
        item.seed = gGameEngine->GetRandomSeed();
        gGameEngine->CreateItem(where, item);
    }
}

}  // namespace GAME
