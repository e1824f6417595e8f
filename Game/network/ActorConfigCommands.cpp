#include "Game/network/ActorConfigCommands.h"

#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Engine/NetPacketRegistry.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/Character.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/characters/Typhon.h"
#include "Game/items/Item.h"
#include "Game/core/foundation/ThreadSpares.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

namespace {

Character* CharacterOf(uint32_t id)
{
    return ObjectManager::Get().GetObject<Character>(id);
}

using SpendPoint = uint32_t (ExperienceLevelControl::*)();

// One modifier point buys the level record's increment of the attribute; without a point
// left the attribute grows by nothing.
void SpendPointOn(uint32_t actorId, CharAttributeType type, SpendPoint spend)
{
    if (Character* character = CharacterOf(actorId))
        character->IncrementBaseAttribute(type, static_cast<float>((character->GetLevelControl().*spend)()));
}

void IncrementOrSpend(uint32_t actorId, CharAttributeType type, int32_t amount, SpendPoint spend)
{
    if (amount == 0) {
        SpendPointOn(actorId, type, spend);
        return;
    }
    if (Character* character = CharacterOf(actorId))
        character->IncrementBaseAttribute(type, static_cast<float>(amount));
}

}  // namespace

// ---- The copy between a command and its packet ------------------------------------------

template <class Derived, class Packet>
NetPacket* ConfigCmdOf<Derived, Packet>::GetNetPacket()
{
    auto* packet = new Packet();
    packet->actorId = m_actorId;
    AssignFields(packet->Values(), static_cast<Derived&>(*this).Values());
    return packet;
}

// A fixed item's state is passed on as it came: the item ignores a state it does not know.
template <class Derived, class Packet>
std::unique_ptr<ActorConfigCommand> ConfigCmdOf<Derived, Packet>::FromPacket(NetPacket& received)
{
    Packet* packet = DynamicCast<Packet>(&received);
    if (!packet)
        return nullptr;
    auto command = std::make_unique<Derived>(packet->actorId.GetId());
    AssignFields(command->Values(), packet->Values());
    return command;
}

#define GAME_INSTANTIATE_CONFIG_CMD(Command) template class ConfigCmdOf<Command, Command::PacketType>;
GAME_CONFIG_COMMANDS(GAME_INSTANTIATE_CONFIG_CMD)
#undef GAME_INSTANTIATE_CONFIG_CMD

// ---- Items ----------------------------------------------------------------------------

DropItemConfigCmd::DropItemConfigCmd(uint32_t actorId, uint32_t item, float off1, float off2)
    : ConfigCmdOf(actorId), itemId(item), offset1(off1), offset2(off2) {}
void DropItemConfigCmd::Execute()
{
    Character* character = CharacterOf(m_actorId);
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (character && item)
        character->DropItem(item, offset1, offset2);
}

UseItemConfigCmd::UseItemConfigCmd(uint32_t actorId, uint32_t item, bool destroyIt)
    : ConfigCmdOf(actorId), itemId(item), destroy(destroyIt) {}
void UseItemConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->UseInventoryItem(itemId, destroy);
}

UseRelicConfigCmd::UseRelicConfigCmd(uint32_t actorId, uint32_t relic, uint32_t item)
    : ConfigCmdOf(actorId), relicId(relic), itemId(item) {}
void UseRelicConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->UseRelic(relicId, itemId);
}

AttachItemConfigCmd::AttachItemConfigCmd(uint32_t actorId, uint32_t item, EquipLocations where)
    : ConfigCmdOf(actorId), itemId(item), location(where) {}
void AttachItemConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->AttachItemAction(itemId, location);
}

DetachItemConfigCmd::DetachItemConfigCmd(uint32_t actorId, uint32_t item) : ConfigCmdOf(actorId), itemId(item) {}
void DetachItemConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->DetachItemAction(itemId);
}

DropItemFromEquipLocationConfigCmd::DropItemFromEquipLocationConfigCmd(uint32_t actorId, uint32_t item,
                                                                       EquipLocations where, bool tossIt)
    : ConfigCmdOf(actorId), itemId(item), location(where), toss(tossIt) {}
void DropItemFromEquipLocationConfigCmd::Execute()
{
    // The character clears the id it is given; the command keeps its own.
    uint32_t item = itemId;
    if (Character* character = CharacterOf(m_actorId))
        character->DropItemFromEquipLocation(item, location, toss);
}

RemoveInventoryItemConfigCmd::RemoveInventoryItemConfigCmd(uint32_t actorId, uint32_t item)
    : ConfigCmdOf(actorId), itemId(item) {}
void RemoveInventoryItemConfigCmd::Execute()
{
    Character* character = CharacterOf(m_actorId);
    // Only an item the character holds goes: a peer naming any other object (another
    // player's item, a monster) must not destroy it.
    if (!character || !character->HasItem(itemId))
        return;
    character->TakeItemFromCharacter(itemId);
    if (Object* item = ObjectManager::Get().GetObject(itemId))
        ObjectManager::Get().DestroyObjectEx(item, "CharConfigCommand", 923);
}

CharPickUpConfigCmd::CharPickUpConfigCmd(uint32_t actorId, uint32_t item) : ConfigCmdOf(actorId), itemId(item) {}
void CharPickUpConfigCmd::Execute()
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item)
        return;
    Player* player = ObjectManager::Get().GetObject<Player>(m_actorId);
    // Only an item lying loose is taken: one already held (picked up by another player a
    // moment before, or named by a peer from someone's bag) would otherwise have two owners.
    // The picker itself may hold it already: a peer's copy of a player runs the pick-up
    // from its animation before the owner's command arrives. A client follows the server,
    // which took the item from its own world: the client's world may lack it (a region it
    // has not opened).
    const bool authority = ConnectionManager::Get().GetLocalHostId() == ConnectionManager::kServerHost;
    if (player && !player->HasItem(itemId)) {
        if (authority && !item->IsInWorld()) {
            NetPacketRegistry::DropHandled("pick-up", "item %u by %u refused: the item lies nowhere", itemId, m_actorId);
        } else if (!(item->GetCannotPickUpMultiple() && player->HasItem(item->GetObjectName()))) {
            World::Get().RemoveEntity(item);
            player->GiveItemToCharacter(item);
        }
    }
    // The pick-up was asked for and answered: the item may be asked for again.
    item->SetPickupOk(true);
}

// ---- Attributes -----------------------------------------------------------------------

void IncrementBaseStrengthConfigCmd::Execute()
{
    SpendPointOn(m_actorId, CharAttributeType_Strength, &ExperienceLevelControl::SpendPointOnStrength);
}

void IncrementBaseDexterityConfigCmd::Execute()
{
    SpendPointOn(m_actorId, CharAttributeType_Dexterity, &ExperienceLevelControl::SpendPointOnDexterity);
}

void IncrementBaseIntelligenceConfigCmd::Execute()
{
    SpendPointOn(m_actorId, CharAttributeType_Intelligence, &ExperienceLevelControl::SpendPointOnIntelligence);
}

IncrementBaseLifeConfigCmd::IncrementBaseLifeConfigCmd(uint32_t actorId, int32_t by)
    : ConfigCmdOf(actorId), amount(by) {}
void IncrementBaseLifeConfigCmd::Execute()
{
    IncrementOrSpend(m_actorId, CharAttributeType_Life, amount, &ExperienceLevelControl::SpendPointOnLife);
}

IncrementBaseManaConfigCmd::IncrementBaseManaConfigCmd(uint32_t actorId, int32_t by)
    : ConfigCmdOf(actorId), amount(by) {}
void IncrementBaseManaConfigCmd::Execute()
{
    IncrementOrSpend(m_actorId, CharAttributeType_Mana, amount, &ExperienceLevelControl::SpendPointOnMana);
}

// ---- States, sounds and allies ----------------------------------------------------------

void ReleaseTrapConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->ReleaseTrap();
}

void ReleaseStunConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->ReleaseStun();
}

void ReleaseImmobilizeConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->ReleaseImmobilize();
}

PlaySoundConfigCmd::PlaySoundConfigCmd(uint32_t actorId, uint32_t index) : ConfigCmdOf(actorId), soundIndex(index) {}
void PlaySoundConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->OnPlayNetSound(soundIndex);
}

RequestAllyAttackConfigCmd::RequestAllyAttackConfigCmd(uint32_t actorId, uint32_t requester, uint32_t target)
    : ConfigCmdOf(actorId), requesterId(requester), targetId(target) {}
void RequestAllyAttackConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->RequestAttack(requesterId, targetId);
}

RequestAllyMoveConfigCmd::RequestAllyMoveConfigCmd(uint32_t actorId, uint32_t requester, const WorldVec3& to)
    : ConfigCmdOf(actorId), requesterId(requester), point(to) {}
void RequestAllyMoveConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->RequestMove(requesterId, point);
}

ShowCharacterConfigCmd::ShowCharacterConfigCmd(uint32_t actorId, bool show) : ConfigCmdOf(actorId), visible(show) {}
void ShowCharacterConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SetVisibility(visible);
}

StartStopDamageEffectConfigCmd::StartStopDamageEffectConfigCmd(uint32_t actorId, bool starting,
                                                               CombatAttributeType effect)
    : ConfigCmdOf(actorId), start(starting), type(effect) {}
void StartStopDamageEffectConfigCmd::Execute()
{
    Character* character = CharacterOf(m_actorId);
    if (!character)
        return;
    if (start)
        character->StartDamageEffect(type);
    else
        character->StopDamageEffect(type);
}

void QuestMoveCompletedConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SendQuestMoveCompletedEvent();
}

void QuestAnimationCompletedConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SendQuestAnimationCompletedEvent();
}

SetCausesAngerConfigCmd::SetCausesAngerConfigCmd(uint32_t actorId, bool causes)
    : ConfigCmdOf(actorId), causesAnger(causes) {}
void SetCausesAngerConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SetCausesAnger(causesAnger);
}

SetInvincibleConfigCmd::SetInvincibleConfigCmd(uint32_t actorId, bool on) : ConfigCmdOf(actorId), invincible(on) {}
void SetInvincibleConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SetInvincible(invincible);
}

SetTeamConfigCmd::SetTeamConfigCmd(uint32_t actorId, const Team& newTeam) : ConfigCmdOf(actorId), team(newTeam) {}
void SetTeamConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SetTeam(team);
}

// ---- Skills -------------------------------------------------------------------------------

namespace {

// The target lists of freed target results, of this thread, kept with their storage (up to
// a size) for the next results made on it.
using IdleTargetLists = ThreadSpares<std::vector<uint32_t>, 32>;
constexpr size_t kKeptTargetCapacity = 256;

}  // namespace

SkillTargetResultConfigCmd::SkillTargetResultConfigCmd(uint32_t actorId, uint32_t skill,
                                                       const std::vector<uint32_t>& targetIds, const WorldCoords& from,
                                                       uint16_t seed16, uint32_t weapon, bool withWeapon,
                                                       int32_t iteration)
    : ConfigCmdOf(actorId), skillNumber(skill), origin(from), seed(seed16), weaponId(weapon), useWeapon(withWeapon),
      hitIteration(iteration)
{
    IdleTargetLists::Take(targets);
    targets.assign(targetIds.begin(), targetIds.end());
}

SkillTargetResultConfigCmd::~SkillTargetResultConfigCmd()
{
    if (targets.capacity() != 0 && targets.capacity() <= kKeptTargetCapacity)
        IdleTargetLists::Give(std::move(targets));
}

void SkillTargetResultConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SkillTargetResult(skillNumber, targets, origin, seed, weaponId, useWeapon, hitIteration);
}

CreateProjectileConfigCmd::CreateProjectileConfigCmd(uint32_t actorId, uint32_t skill, uint32_t weapon,
                                                     const WorldCoords& from, uint32_t target, const WorldVec3& to,
                                                     uint32_t projectile, uint16_t seed16, int32_t iteration)
    : ConfigCmdOf(actorId), skillNumber(skill), projectileId(projectile), weaponId(weapon), origin(from),
      targetId(target), point(to), seed(seed16), hitIteration(iteration) {}
void CreateProjectileConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->CreateProjectile(skillNumber, weaponId, origin, targetId, point, projectileId, seed, hitIteration);
}

SpawnObjectConfigCmd::SpawnObjectConfigCmd(uint32_t actorId, uint32_t skill, const WorldCoords& from, uint32_t target,
                                           const std::vector<WorldCoords>& coords, const std::vector<uint32_t>& ids,
                                           uint16_t last)
    : ConfigCmdOf(actorId), skillNumber(skill), origin(from), targetId(target), spawnCoords(coords), spawnIds(ids),
      value(last) {}
void SpawnObjectConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SkillSpawnObject(skillNumber, origin, targetId, spawnCoords, spawnIds, value);
}

SkillStateUpdateConfigCmd::SkillStateUpdateConfigCmd(uint32_t actorId, uint32_t skill, const SkillState& newState)
    : ConfigCmdOf(actorId), skillNumber(skill), state(newState) {}
void SkillStateUpdateConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SkillStateUpdateCommand(skillNumber, state);
}

SkillActiveStateUpdateConfigCmd::SkillActiveStateUpdateConfigCmd(uint32_t actorId, uint32_t skill,
                                                                 const SkillActiveState& newState)
    : ConfigCmdOf(actorId), skillNumber(skill), state(newState) {}
void SkillActiveStateUpdateConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SkillActiveStateUpdateCommand(skillNumber, state);
}

CreateRemoveSkillBuffConfigCmd::CreateRemoveSkillBuffConfigCmd(uint32_t actorId, uint32_t skill,
                                                               const std::string& name, uint32_t buffLevel,
                                                               const std::string& modifier1, uint32_t level1,
                                                               const std::string& modifier2, uint32_t level2,
                                                               int32_t timeToLive, uint32_t caster)
    : ConfigCmdOf(actorId), skillId(skill), level(buffLevel), modifierLevel1(level1), modifierLevel2(level2),
      skillName(name), modifierName1(modifier1), modifierName2(modifier2), timeToLiveMs(timeToLive),
      casterId(caster) {}
void CreateRemoveSkillBuffConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->CreateRemoveSkillBuff(skillId, skillName, level, modifierName1, modifierLevel1, modifierName2,
                                         modifierLevel2, timeToLiveMs, casterId);
}

ActivateSkillConfigCmd::ActivateSkillConfigCmd(uint32_t actorId, uint32_t index, uint32_t target, const WorldVec3& at)
    : ConfigCmdOf(actorId), skillIndex(index), targetId(target), point(at) {}
void ActivateSkillConfigCmd::Execute()
{
    // The skill acts as at the end of its use: the actor's one "End" event name.
    if (Character* character = CharacterOf(m_actorId))
        character->ActivateSkill(skillIndex, Actor::EndEvent(), targetId, point);
}

ReleasePetConfigCmd::ReleasePetConfigCmd(uint32_t actorId, uint32_t pet) : ConfigCmdOf(actorId), petId(pet) {}
void ReleasePetConfigCmd::Execute()
{
    // A peer names the pet: only a monster whose master is the actor is the actor's to
    // release, never another player's pet or any other creature.
    Monster* pet = ObjectManager::Get().GetObject<Monster>(petId);
    if (!pet || pet->GetMasterId() != m_actorId || m_actorId == 0)
        return;
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(pet->GetControllerId()))
        controller->KillMe();
}

void DisableTyphonSkillEffectsConfigCmd::Execute()
{
    if (Typhon* typhon = ObjectManager::Get().GetObject<Typhon>(m_actorId))
        typhon->DisableSkillEffects();
}

// ---- Fixed items and strategic movement points -------------------------------------

namespace {

FixedItem* FixedItemOf(uint32_t id)
{
    return ObjectManager::Get().GetObject<FixedItem>(id);
}

}  // namespace

FixedItemStateChangeConfigCmd::FixedItemStateChangeConfigCmd(uint32_t actorId, FixedItem_State newState,
                                                             uint32_t target, bool sound)
    : ConfigCmdOf(actorId), state(newState), targetId(target), doSound(sound) {}
void FixedItemStateChangeConfigCmd::Execute()
{
    if (FixedItem* fixedItem = FixedItemOf(m_actorId))
        fixedItem->SetFixedItemState(state, targetId, false, doSound);
}

FixedItemTargetConfigCmd::FixedItemTargetConfigCmd(uint32_t actorId, uint32_t primary,
                                                   const std::vector<uint32_t>& secondaries)
    : ConfigCmdOf(actorId), primaryTargetId(primary), secondaryTargets(secondaries) {}
void FixedItemTargetConfigCmd::Execute()
{
    if (FixedItem* fixedItem = FixedItemOf(m_actorId))
        fixedItem->UseOnTarget(primaryTargetId, secondaryTargets);
}

FixedItemSkillTargetConfigCmd::FixedItemSkillTargetConfigCmd(uint32_t actorId, uint32_t primary,
                                                             const std::vector<uint32_t>& targets)
    : ConfigCmdOf(actorId), primaryTargetId(primary), skillTargets(targets) {}
void FixedItemSkillTargetConfigCmd::Execute()
{
    if (FixedItem* fixedItem = FixedItemOf(m_actorId))
        fixedItem->UseSkillOnTargets(primaryTargetId, skillTargets);
}

StrategicMovementTargetConfigCmd::StrategicMovementTargetConfigCmd(uint32_t actorId,
                                                                   const std::vector<uint32_t>& targetIds)
    : ConfigCmdOf(actorId), targets(targetIds) {}
void StrategicMovementTargetConfigCmd::Execute()
{
    if (auto* point = ObjectManager::Get().GetObject<StrategicMovementBase>(m_actorId))
        point->HandleTargets(targets);
}

}  // namespace GAME
