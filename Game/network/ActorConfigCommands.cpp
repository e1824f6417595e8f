#include "Game/network/ActorConfigCommands.h"

#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/characters/Character.h"
#include "Game/characters/ExperienceLevelControl.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/characters/Typhon.h"
#include "Game/items/Item.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

namespace {

Character* CharacterOf(uint32_t id)
{
    return ObjectManager::Get().GetObject<Character>(id);
}

// The packet that carries a command's arguments to the other peers, built here in one
// place for every command: the matching packet, the actor's id, then each argument into
// its field. A command without an overload here does not compile.
template <class Packet>
Packet* NewPacketFor(const ActorConfigCommand& command)
{
    Packet* packet = new Packet();
    packet->actorId = command.GetActorId();
    return packet;
}

// Commands whose packet carries the actor alone.
#define GAME_ACTOR_ONLY_PACKET_OF(Command, Packet) \
    NetPacket* PacketOf(const Command& c) { return NewPacketFor<Packet>(c); }
GAME_ACTOR_ONLY_PACKET_OF(IncrementBaseStrengthConfigCmd, IncBaseStrengthConfigCmdPacket)
GAME_ACTOR_ONLY_PACKET_OF(IncrementBaseDexterityConfigCmd, IncBaseDexterityConfigCmdPacket)
GAME_ACTOR_ONLY_PACKET_OF(IncrementBaseIntelligenceConfigCmd, IncBaseIntelligenceConfigCmdPacket)
GAME_ACTOR_ONLY_PACKET_OF(ReleaseTrapConfigCmd, ReleaseTrapConfigCmdPacket)
GAME_ACTOR_ONLY_PACKET_OF(ReleaseStunConfigCmd, ReleaseStunConfigCmdPacket)
GAME_ACTOR_ONLY_PACKET_OF(ReleaseImmobilizeConfigCmd, ReleaseImmobilizeConfigCmdPacket)
GAME_ACTOR_ONLY_PACKET_OF(QuestMoveCompletedConfigCmd, QuestMoveCompletedConfigCmdPacket)
GAME_ACTOR_ONLY_PACKET_OF(QuestAnimationCompletedConfigCmd, QuestAnimationCompletedConfigCmdPacket)
GAME_ACTOR_ONLY_PACKET_OF(DisableTyphonSkillEffectsConfigCmd, DisableTyphonSkillEffectsConfigCmdPacket)
#undef GAME_ACTOR_ONLY_PACKET_OF

// Commands whose packet carries one value beside the actor.
#define GAME_ACTOR_VALUE_PACKET_OF(Command, Packet, member)        \
    NetPacket* PacketOf(const Command& c)                          \
    {                                                              \
        Packet* packet = NewPacketFor<Packet>(c);                  \
        packet->value = c.member;                                  \
        return packet;                                             \
    }
GAME_ACTOR_VALUE_PACKET_OF(DetachItemConfigCmd, DetachItemConfigCmdPacket, itemId)
GAME_ACTOR_VALUE_PACKET_OF(ReleasePetConfigCmd, ReleasePetConfigCmdPacket, petId)
GAME_ACTOR_VALUE_PACKET_OF(RemoveInventoryItemConfigCmd, RemoveInventoryItemConfigCmdPacket, itemId)
GAME_ACTOR_VALUE_PACKET_OF(IncrementBaseLifeConfigCmd, IncBaseLifeConfigCmdPacket, amount)
GAME_ACTOR_VALUE_PACKET_OF(IncrementBaseManaConfigCmd, IncBaseManaConfigCmdPacket, amount)
GAME_ACTOR_VALUE_PACKET_OF(PlaySoundConfigCmd, PlaySoundConfigCmdPacket, soundIndex)
GAME_ACTOR_VALUE_PACKET_OF(ShowCharacterConfigCmd, ShowCharacterConfigCmdPacket, visible)
GAME_ACTOR_VALUE_PACKET_OF(SetCausesAngerConfigCmd, SetCausesAngerConfigCmdPacket, causesAnger)
GAME_ACTOR_VALUE_PACKET_OF(SetInvincibleConfigCmd, SetInvincibleConfigCmdPacket, invincible)
#undef GAME_ACTOR_VALUE_PACKET_OF

// A fixed item's target commands: the primary target and the further targets.
template <class Packet>
NetPacket* TargetsPacket(const ActorConfigCommand& command, uint32_t primaryTargetId, const std::vector<uint32_t>& targets)
{
    Packet* packet = NewPacketFor<Packet>(command);
    packet->primaryTargetId = primaryTargetId;
    packet->targetIds = targets;
    return packet;
}

NetPacket* PacketOf(const DropItemConfigCmd& c)
{
    auto* packet = NewPacketFor<DropItemConfigCmdPacket>(c);
    packet->itemId = c.itemId;
    packet->offset1 = c.offset1;
    packet->offset2 = c.offset2;
    return packet;
}
NetPacket* PacketOf(const UseItemConfigCmd& c)
{
    auto* packet = NewPacketFor<UseItemConfigCmdPacket>(c);
    packet->itemId = c.itemId;
    packet->destroy = c.destroy;
    return packet;
}
NetPacket* PacketOf(const UseRelicConfigCmd& c)
{
    auto* packet = NewPacketFor<UseRelicConfigCmdPacket>(c);
    packet->relicId = c.relicId;
    packet->itemId = c.itemId;
    return packet;
}
NetPacket* PacketOf(const AttachItemConfigCmd& c)
{
    auto* packet = NewPacketFor<AttachItemConfigCmdPacket>(c);
    packet->itemId = c.itemId;
    packet->location = c.location;
    return packet;
}
NetPacket* PacketOf(const DropItemFromEquipLocationConfigCmd& c)
{
    auto* packet = NewPacketFor<DropItemFromEquipLocConfigCmdPacket>(c);
    packet->itemId = c.itemId;
    packet->location = c.location;
    packet->toss = c.toss;
    return packet;
}
NetPacket* PacketOf(const CharPickUpConfigCmd& c)
{
    auto* packet = NewPacketFor<PickupItemConfigCmdPacket>(c);
    packet->itemId = c.itemId;
    return packet;
}
NetPacket* PacketOf(const RequestAllyAttackConfigCmd& c)
{
    auto* packet = NewPacketFor<RequestAllyAttackConfigCmdPacket>(c);
    packet->requesterId = c.requesterId;
    packet->targetId = c.targetId;
    return packet;
}
NetPacket* PacketOf(const RequestAllyMoveConfigCmd& c)
{
    auto* packet = NewPacketFor<RequestAllyMoveConfigCmdPacket>(c);
    packet->requesterId = c.requesterId;
    packet->targetPoint = c.point;
    return packet;
}
NetPacket* PacketOf(const StartStopDamageEffectConfigCmd& c)
{
    auto* packet = NewPacketFor<StartStopDamageEffectConfigCmdPacket>(c);
    packet->start = c.start;
    packet->type = c.type;
    return packet;
}
NetPacket* PacketOf(const SetTeamConfigCmd& c)
{
    auto* packet = NewPacketFor<SetTeamConfigCmdPacket>(c);
    packet->team = c.team;
    return packet;
}
NetPacket* PacketOf(const FixedItemStateChangeConfigCmd& c)
{
    auto* packet = NewPacketFor<FixedItemStateChangeConfigCmdPacket>(c);
    packet->state = static_cast<uint32_t>(c.state);
    packet->targetId = c.targetId;
    packet->doSound = c.doSound;
    return packet;
}
NetPacket* PacketOf(const FixedItemTargetConfigCmd& c)
{
    return TargetsPacket<FixedItemTargetConfigCmdPacket>(c, c.primaryTargetId, c.secondaryTargets);
}
NetPacket* PacketOf(const FixedItemSkillTargetConfigCmd& c)
{
    return TargetsPacket<FixedItemSkillTargetConfigCmdPacket>(c, c.primaryTargetId, c.skillTargets);
}
NetPacket* PacketOf(const StrategicMovementTargetConfigCmd& c)
{
    auto* packet = NewPacketFor<StrategicMovementTargetConfigCmdPacket>(c);
    packet->targetIds = c.targets;
    return packet;
}

NetPacket* PacketOf(const SkillTargetResultConfigCmd& c)
{
    auto* packet = NewPacketFor<SkillTargetResultConfigCmdPacket>(c);
    packet->skillNumber = c.skillNumber;
    packet->seed = c.seed;
    packet->weaponId = c.weaponId;
    packet->useWeapon = c.useWeapon;
    packet->targetIds = c.targets;
    packet->origin = c.origin;
    packet->hitIteration = c.hitIteration;
    return packet;
}
NetPacket* PacketOf(const CreateProjectileConfigCmd& c)
{
    auto* packet = NewPacketFor<CreateProjectileConfigCmdPacket>(c);
    packet->skillNumber = c.skillNumber;
    packet->projectileId = c.projectileId;
    packet->weaponId = c.weaponId;
    packet->origin = c.origin;
    packet->targetId = c.targetId;
    packet->point = c.point;
    packet->seed = c.seed;
    packet->hitIteration = c.hitIteration;
    return packet;
}
NetPacket* PacketOf(const SpawnObjectConfigCmd& c)
{
    auto* packet = NewPacketFor<SpawnObjectConfigCmdPacket>(c);
    packet->skillNumber = c.skillNumber;
    packet->origin = c.origin;
    packet->targetId = c.targetId;
    packet->spawnCoords = c.spawnCoords;
    packet->spawnIds = c.spawnIds;
    packet->lastValue = c.value;
    return packet;
}
template <class Packet, class Command>
NetPacket* SkillStatePacket(const Command& c)
{
    auto* packet = NewPacketFor<Packet>(c);
    packet->skillNumber = c.skillNumber;
    packet->state = c.state;
    return packet;
}
NetPacket* PacketOf(const SkillStateUpdateConfigCmd& c)
{
    return SkillStatePacket<SkillStateUpdateConfigCmdPacket>(c);
}
NetPacket* PacketOf(const SkillActiveStateUpdateConfigCmd& c)
{
    return SkillStatePacket<SkillActiveStateUpdateConfigCmdPacket>(c);
}
NetPacket* PacketOf(const CreateRemoveSkillBuffConfigCmd& c)
{
    auto* packet = NewPacketFor<CreateRemoveSkillBuffConfigCmdPacket>(c);
    packet->skillId = c.skillId;
    packet->level = c.level;
    packet->modifierLevel1 = c.modifierLevel1;
    packet->modifierLevel2 = c.modifierLevel2;
    packet->skillName = c.skillName;
    packet->modifierName1 = c.modifierName1;
    packet->modifierName2 = c.modifierName2;
    packet->timeToLive = c.timeToLiveMs;
    packet->casterId = c.casterId;
    return packet;
}
NetPacket* PacketOf(const ActivateSkillConfigCmd& c)
{
    auto* packet = NewPacketFor<ActivateSkillConfigCmdPacket>(c);
    packet->skillIndex = c.skillIndex;
    packet->targetId = c.targetId;
    packet->targetPoint = c.point;
    return packet;
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

// ---- Items ----------------------------------------------------------------------------

DropItemConfigCmd::DropItemConfigCmd(uint32_t actorId, uint32_t item, float off1, float off2)
    : GameConfigCmd(actorId), itemId(item), offset1(off1), offset2(off2) {}
void DropItemConfigCmd::Execute()
{
    Character* character = CharacterOf(m_actorId);
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (character && item)
        character->DropItem(item, offset1, offset2);
}
NetPacket* DropItemConfigCmd::GetNetPacket() { return PacketOf(*this); }

UseItemConfigCmd::UseItemConfigCmd(uint32_t actorId, uint32_t item, bool destroyIt)
    : GameConfigCmd(actorId), itemId(item), destroy(destroyIt) {}
void UseItemConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->UseInventoryItem(itemId, destroy);
}
NetPacket* UseItemConfigCmd::GetNetPacket() { return PacketOf(*this); }

UseRelicConfigCmd::UseRelicConfigCmd(uint32_t actorId, uint32_t relic, uint32_t item)
    : GameConfigCmd(actorId), relicId(relic), itemId(item) {}
void UseRelicConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->UseRelic(relicId, itemId);
}
NetPacket* UseRelicConfigCmd::GetNetPacket() { return PacketOf(*this); }

AttachItemConfigCmd::AttachItemConfigCmd(uint32_t actorId, uint32_t item, EquipLocations where)
    : GameConfigCmd(actorId), itemId(item), location(where) {}
void AttachItemConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->AttachItemAction(itemId, location);
}
NetPacket* AttachItemConfigCmd::GetNetPacket() { return PacketOf(*this); }

DetachItemConfigCmd::DetachItemConfigCmd(uint32_t actorId, uint32_t item) : GameConfigCmd(actorId), itemId(item) {}
void DetachItemConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->DetachItemAction(itemId);
}
NetPacket* DetachItemConfigCmd::GetNetPacket() { return PacketOf(*this); }

DropItemFromEquipLocationConfigCmd::DropItemFromEquipLocationConfigCmd(uint32_t actorId, uint32_t item,
                                                                       EquipLocations where, bool tossIt)
    : GameConfigCmd(actorId), itemId(item), location(where), toss(tossIt) {}
void DropItemFromEquipLocationConfigCmd::Execute()
{
    // The character clears the id it is given; the command keeps its own.
    uint32_t item = itemId;
    if (Character* character = CharacterOf(m_actorId))
        character->DropItemFromEquipLocation(item, location, toss);
}
NetPacket* DropItemFromEquipLocationConfigCmd::GetNetPacket() { return PacketOf(*this); }

RemoveInventoryItemConfigCmd::RemoveInventoryItemConfigCmd(uint32_t actorId, uint32_t item)
    : GameConfigCmd(actorId), itemId(item) {}
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
NetPacket* RemoveInventoryItemConfigCmd::GetNetPacket() { return PacketOf(*this); }

CharPickUpConfigCmd::CharPickUpConfigCmd(uint32_t actorId, uint32_t item) : GameConfigCmd(actorId), itemId(item) {}
void CharPickUpConfigCmd::Execute()
{
    Item* item = ObjectManager::Get().GetObject<Item>(itemId);
    if (!item)
        return;
    Player* player = ObjectManager::Get().GetObject<Player>(m_actorId);
    if (player && !(item->GetCannotPickUpMultiple() && player->HasItem(item->GetObjectName()))) {
        World::Get().RemoveEntity(item);
        player->GiveItemToCharacter(item);
    }
    // The pick-up was asked for and answered: the item may be asked for again.
    item->SetPickupOk(true);
}
NetPacket* CharPickUpConfigCmd::GetNetPacket() { return PacketOf(*this); }

// ---- Attributes -----------------------------------------------------------------------

IncrementBaseStrengthConfigCmd::IncrementBaseStrengthConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void IncrementBaseStrengthConfigCmd::Execute()
{
    SpendPointOn(m_actorId, CharAttributeType_Strength, &ExperienceLevelControl::SpendPointOnStrength);
}
NetPacket* IncrementBaseStrengthConfigCmd::GetNetPacket() { return PacketOf(*this); }

IncrementBaseDexterityConfigCmd::IncrementBaseDexterityConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void IncrementBaseDexterityConfigCmd::Execute()
{
    SpendPointOn(m_actorId, CharAttributeType_Dexterity, &ExperienceLevelControl::SpendPointOnDexterity);
}
NetPacket* IncrementBaseDexterityConfigCmd::GetNetPacket() { return PacketOf(*this); }

IncrementBaseIntelligenceConfigCmd::IncrementBaseIntelligenceConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void IncrementBaseIntelligenceConfigCmd::Execute()
{
    SpendPointOn(m_actorId, CharAttributeType_Intelligence, &ExperienceLevelControl::SpendPointOnIntelligence);
}
NetPacket* IncrementBaseIntelligenceConfigCmd::GetNetPacket() { return PacketOf(*this); }

IncrementBaseLifeConfigCmd::IncrementBaseLifeConfigCmd(uint32_t actorId, int32_t by)
    : GameConfigCmd(actorId), amount(by) {}
void IncrementBaseLifeConfigCmd::Execute()
{
    IncrementOrSpend(m_actorId, CharAttributeType_Life, amount, &ExperienceLevelControl::SpendPointOnLife);
}
NetPacket* IncrementBaseLifeConfigCmd::GetNetPacket() { return PacketOf(*this); }

IncrementBaseManaConfigCmd::IncrementBaseManaConfigCmd(uint32_t actorId, int32_t by)
    : GameConfigCmd(actorId), amount(by) {}
void IncrementBaseManaConfigCmd::Execute()
{
    IncrementOrSpend(m_actorId, CharAttributeType_Mana, amount, &ExperienceLevelControl::SpendPointOnMana);
}
NetPacket* IncrementBaseManaConfigCmd::GetNetPacket() { return PacketOf(*this); }

// ---- States, sounds and allies ----------------------------------------------------------

ReleaseTrapConfigCmd::ReleaseTrapConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void ReleaseTrapConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->ReleaseTrap();
}
NetPacket* ReleaseTrapConfigCmd::GetNetPacket() { return PacketOf(*this); }

ReleaseStunConfigCmd::ReleaseStunConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void ReleaseStunConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->ReleaseStun();
}
NetPacket* ReleaseStunConfigCmd::GetNetPacket() { return PacketOf(*this); }

ReleaseImmobilizeConfigCmd::ReleaseImmobilizeConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void ReleaseImmobilizeConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->ReleaseImmobilize();
}
NetPacket* ReleaseImmobilizeConfigCmd::GetNetPacket() { return PacketOf(*this); }

PlaySoundConfigCmd::PlaySoundConfigCmd(uint32_t actorId, uint32_t index) : GameConfigCmd(actorId), soundIndex(index) {}
void PlaySoundConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->OnPlayNetSound(soundIndex);
}
NetPacket* PlaySoundConfigCmd::GetNetPacket() { return PacketOf(*this); }

RequestAllyAttackConfigCmd::RequestAllyAttackConfigCmd(uint32_t actorId, uint32_t requester, uint32_t target)
    : GameConfigCmd(actorId), requesterId(requester), targetId(target) {}
void RequestAllyAttackConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->RequestAttack(requesterId, targetId);
}
NetPacket* RequestAllyAttackConfigCmd::GetNetPacket() { return PacketOf(*this); }

RequestAllyMoveConfigCmd::RequestAllyMoveConfigCmd(uint32_t actorId, uint32_t requester, const WorldVec3& to)
    : GameConfigCmd(actorId), requesterId(requester), point(to) {}
void RequestAllyMoveConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->RequestMove(requesterId, point);
}
NetPacket* RequestAllyMoveConfigCmd::GetNetPacket() { return PacketOf(*this); }

ShowCharacterConfigCmd::ShowCharacterConfigCmd(uint32_t actorId, bool show) : GameConfigCmd(actorId), visible(show) {}
void ShowCharacterConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SetVisibility(visible);
}
NetPacket* ShowCharacterConfigCmd::GetNetPacket() { return PacketOf(*this); }

StartStopDamageEffectConfigCmd::StartStopDamageEffectConfigCmd(uint32_t actorId, bool starting,
                                                               CombatAttributeType effect)
    : GameConfigCmd(actorId), start(starting), type(effect) {}
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
NetPacket* StartStopDamageEffectConfigCmd::GetNetPacket() { return PacketOf(*this); }

QuestMoveCompletedConfigCmd::QuestMoveCompletedConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void QuestMoveCompletedConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SendQuestMoveCompletedEvent();
}
NetPacket* QuestMoveCompletedConfigCmd::GetNetPacket() { return PacketOf(*this); }

QuestAnimationCompletedConfigCmd::QuestAnimationCompletedConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void QuestAnimationCompletedConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SendQuestAnimationCompletedEvent();
}
NetPacket* QuestAnimationCompletedConfigCmd::GetNetPacket() { return PacketOf(*this); }

SetCausesAngerConfigCmd::SetCausesAngerConfigCmd(uint32_t actorId, bool causes)
    : GameConfigCmd(actorId), causesAnger(causes) {}
void SetCausesAngerConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SetCausesAnger(causesAnger);
}
NetPacket* SetCausesAngerConfigCmd::GetNetPacket() { return PacketOf(*this); }

SetInvincibleConfigCmd::SetInvincibleConfigCmd(uint32_t actorId, bool on) : GameConfigCmd(actorId), invincible(on) {}
void SetInvincibleConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SetInvincible(invincible);
}
NetPacket* SetInvincibleConfigCmd::GetNetPacket() { return PacketOf(*this); }

SetTeamConfigCmd::SetTeamConfigCmd(uint32_t actorId, const Team& newTeam) : GameConfigCmd(actorId), team(newTeam) {}
void SetTeamConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SetTeam(team);
}
NetPacket* SetTeamConfigCmd::GetNetPacket() { return PacketOf(*this); }

// ---- Skills -------------------------------------------------------------------------------

SkillTargetResultConfigCmd::SkillTargetResultConfigCmd(uint32_t actorId, uint32_t skill,
                                                       const std::vector<uint32_t>& targetIds, const WorldCoords& from,
                                                       uint16_t seed16, uint32_t weapon, bool withWeapon,
                                                       int32_t iteration)
    : GameConfigCmd(actorId), skillNumber(skill), targets(targetIds), origin(from), seed(seed16), weaponId(weapon),
      useWeapon(withWeapon), hitIteration(iteration) {}
void SkillTargetResultConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SkillTargetResult(skillNumber, targets, origin, seed, weaponId, useWeapon, hitIteration);
}
NetPacket* SkillTargetResultConfigCmd::GetNetPacket() { return PacketOf(*this); }

CreateProjectileConfigCmd::CreateProjectileConfigCmd(uint32_t actorId, uint32_t skill, uint32_t weapon,
                                                     const WorldCoords& from, uint32_t target, const WorldVec3& to,
                                                     uint32_t projectile, uint16_t seed16, int32_t iteration)
    : GameConfigCmd(actorId), skillNumber(skill), weaponId(weapon), origin(from), targetId(target), point(to),
      projectileId(projectile), seed(seed16), hitIteration(iteration) {}
void CreateProjectileConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->CreateProjectile(skillNumber, weaponId, origin, targetId, point, projectileId, seed, hitIteration);
}
NetPacket* CreateProjectileConfigCmd::GetNetPacket() { return PacketOf(*this); }

SpawnObjectConfigCmd::SpawnObjectConfigCmd(uint32_t actorId, uint32_t skill, const WorldCoords& from, uint32_t target,
                                           const std::vector<WorldCoords>& coords, const std::vector<uint32_t>& ids,
                                           uint16_t last)
    : GameConfigCmd(actorId), skillNumber(skill), origin(from), targetId(target), spawnCoords(coords), spawnIds(ids),
      value(last) {}
void SpawnObjectConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SkillSpawnObject(skillNumber, origin, targetId, spawnCoords, spawnIds, value);
}
NetPacket* SpawnObjectConfigCmd::GetNetPacket() { return PacketOf(*this); }

SkillStateUpdateConfigCmd::SkillStateUpdateConfigCmd(uint32_t actorId, uint32_t skill, const SkillState& newState)
    : GameConfigCmd(actorId), skillNumber(skill), state(newState) {}
void SkillStateUpdateConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SkillStateUpdateCommand(skillNumber, state);
}
NetPacket* SkillStateUpdateConfigCmd::GetNetPacket() { return PacketOf(*this); }

SkillActiveStateUpdateConfigCmd::SkillActiveStateUpdateConfigCmd(uint32_t actorId, uint32_t skill,
                                                                 const SkillActiveState& newState)
    : GameConfigCmd(actorId), skillNumber(skill), state(newState) {}
void SkillActiveStateUpdateConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->SkillActiveStateUpdateCommand(skillNumber, state);
}
NetPacket* SkillActiveStateUpdateConfigCmd::GetNetPacket() { return PacketOf(*this); }

CreateRemoveSkillBuffConfigCmd::CreateRemoveSkillBuffConfigCmd(uint32_t actorId, uint32_t skill,
                                                               const std::string& name, uint32_t buffLevel,
                                                               const std::string& modifier1, uint32_t level1,
                                                               const std::string& modifier2, uint32_t level2,
                                                               int32_t timeToLive, uint32_t caster)
    : GameConfigCmd(actorId), skillId(skill), skillName(name), level(buffLevel), modifierName1(modifier1),
      modifierLevel1(level1), modifierName2(modifier2), modifierLevel2(level2), timeToLiveMs(timeToLive),
      casterId(caster) {}
void CreateRemoveSkillBuffConfigCmd::Execute()
{
    if (Character* character = CharacterOf(m_actorId))
        character->CreateRemoveSkillBuff(skillId, skillName, level, modifierName1, modifierLevel1, modifierName2,
                                         modifierLevel2, timeToLiveMs, casterId);
}
NetPacket* CreateRemoveSkillBuffConfigCmd::GetNetPacket() { return PacketOf(*this); }

ActivateSkillConfigCmd::ActivateSkillConfigCmd(uint32_t actorId, uint32_t index, uint32_t target, const WorldVec3& at)
    : GameConfigCmd(actorId), skillIndex(index), targetId(target), point(at) {}
void ActivateSkillConfigCmd::Execute()
{
    // The skill acts as at the end of its use: the actor's one "End" event name.
    if (Character* character = CharacterOf(m_actorId))
        character->ActivateSkill(skillIndex, Actor::EndEvent(), targetId, point);
}
NetPacket* ActivateSkillConfigCmd::GetNetPacket() { return PacketOf(*this); }

ReleasePetConfigCmd::ReleasePetConfigCmd(uint32_t actorId, uint32_t pet) : GameConfigCmd(actorId), petId(pet) {}
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
NetPacket* ReleasePetConfigCmd::GetNetPacket() { return PacketOf(*this); }

DisableTyphonSkillEffectsConfigCmd::DisableTyphonSkillEffectsConfigCmd(uint32_t actorId) : GameConfigCmd(actorId) {}
void DisableTyphonSkillEffectsConfigCmd::Execute()
{
    if (Typhon* typhon = ObjectManager::Get().GetObject<Typhon>(m_actorId))
        typhon->DisableSkillEffects();
}
NetPacket* DisableTyphonSkillEffectsConfigCmd::GetNetPacket() { return PacketOf(*this); }

// ---- Fixed items and strategic movement points -------------------------------------

namespace {

FixedItem* FixedItemOf(uint32_t id)
{
    return ObjectManager::Get().GetObject<FixedItem>(id);
}

}  // namespace

FixedItemStateChangeConfigCmd::FixedItemStateChangeConfigCmd(uint32_t actorId, FixedItem_State newState,
                                                             uint32_t target, bool sound)
    : GameConfigCmd(actorId), state(newState), targetId(target), doSound(sound) {}
void FixedItemStateChangeConfigCmd::Execute()
{
    if (FixedItem* fixedItem = FixedItemOf(m_actorId))
        fixedItem->SetFixedItemState(state, targetId, false, doSound);
}
NetPacket* FixedItemStateChangeConfigCmd::GetNetPacket() { return PacketOf(*this); }

FixedItemTargetConfigCmd::FixedItemTargetConfigCmd(uint32_t actorId, uint32_t primary,
                                                   const std::vector<uint32_t>& secondaries)
    : GameConfigCmd(actorId), primaryTargetId(primary), secondaryTargets(secondaries) {}
void FixedItemTargetConfigCmd::Execute()
{
    if (FixedItem* fixedItem = FixedItemOf(m_actorId))
        fixedItem->UseOnTarget(primaryTargetId, secondaryTargets);
}
NetPacket* FixedItemTargetConfigCmd::GetNetPacket() { return PacketOf(*this); }

FixedItemSkillTargetConfigCmd::FixedItemSkillTargetConfigCmd(uint32_t actorId, uint32_t primary,
                                                             const std::vector<uint32_t>& targets)
    : GameConfigCmd(actorId), primaryTargetId(primary), skillTargets(targets) {}
void FixedItemSkillTargetConfigCmd::Execute()
{
    if (FixedItem* fixedItem = FixedItemOf(m_actorId))
        fixedItem->UseSkillOnTargets(primaryTargetId, skillTargets);
}
NetPacket* FixedItemSkillTargetConfigCmd::GetNetPacket() { return PacketOf(*this); }

StrategicMovementTargetConfigCmd::StrategicMovementTargetConfigCmd(uint32_t actorId,
                                                                   const std::vector<uint32_t>& targetIds)
    : GameConfigCmd(actorId), targets(targetIds) {}
void StrategicMovementTargetConfigCmd::Execute()
{
    if (auto* point = ObjectManager::Get().GetObject<StrategicMovementBase>(m_actorId))
        point->HandleTargets(targets);
}
NetPacket* StrategicMovementTargetConfigCmd::GetNetPacket() { return PacketOf(*this); }

}  // namespace GAME
