// The game's actor commands: each carries one change to one actor with its arguments.
// The deciding code creates one with `new` and hands it to the actor (Actor::Enqueue);
// `Execute` re-resolves every id on the peer it runs on and applies the change, doing
// nothing when the actor (or another object it names) is gone or of another class.
// Every one replicates (GameConfigCmd) as the packet it names (ConfigCmdOf).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "Engine/ActorConfigCommand.h"
#include "Engine/NetPacketRows.h"
#include "Engine/World.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/core/Team.h"
#include "Game/items/ItemTypes.h"
#include "Game/skills/SkillState.h"
#include "Game/world/FixedItem.h"

namespace GAME {

// The base of the game's commands: every one replicates (it runs on each peer), so the
// flag is set once here rather than by each command.
class GameConfigCmd : public ActorConfigCommand {
public:
    explicit GameConfigCmd(uint32_t actorId) : ActorConfigCommand(actorId) { SetReplicated(true); }
};

// A command that travels as a Packet (Game/network/ConfigCmdPackets.h). Derived states its
// arguments once, in the order of the packet's fields (GAME_CONFIG_CMD_ARGS); the packet is
// filled from them and a received packet's fields are copied back into them here, for
// every command alike. Made from an actor id alone, a command's arguments are zeros.
// A command names its packet as `class Packet`, which declares it: only the file that
// builds the packets needs their fields.
template <class Derived, class Packet>
class ConfigCmdOf : public GameConfigCmd {
public:
    using PacketType = Packet;

    explicit ConfigCmdOf(uint32_t actorId) : GameConfigCmd(actorId) {}

    // A new packet of the actor and the arguments.
    NetPacket* GetNetPacket() override;
    // The command a received packet carries; null when the packet is no Packet.
    static std::unique_ptr<ActorConfigCommand> FromPacket(NetPacket& packet);

    // The arguments in the packet's field order: none unless Derived states some.
    std::tuple<> Values() { return {}; }
};

#define GAME_CONFIG_CMD_ARG_MEMBER(type, name) type name{};
#define GAME_CONFIG_CMD_ARG_NAME(type, name) , name
// Rows (type, name) in the order of the packet's fields: the members, Values(), and the
// constructor from the actor id alone.
#define GAME_CONFIG_CMD_ARGS(...)                                                                      \
    using ConfigCmdOf::ConfigCmdOf;                                                                     \
    GAME_NET_FOR_EACH(GAME_CONFIG_CMD_ARG_MEMBER, __VA_ARGS__)                                          \
    auto Values() { return ::GAME::TieFields(0 GAME_NET_FOR_EACH(GAME_CONFIG_CMD_ARG_NAME, __VA_ARGS__)); }

// ---- Items ----------------------------------------------------------------------------

class DropItemConfigCmd : public ConfigCmdOf<DropItemConfigCmd, class DropItemConfigCmdPacket> {
public:
    DropItemConfigCmd(uint32_t actorId, uint32_t itemId, float offset1, float offset2);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, itemId), (float, offset1), (float, offset2))
};

class UseItemConfigCmd : public ConfigCmdOf<UseItemConfigCmd, class UseItemConfigCmdPacket> {
public:
    UseItemConfigCmd(uint32_t actorId, uint32_t itemId, bool destroy);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, itemId), (bool, destroy))
};

// The relic goes into the item.
class UseRelicConfigCmd : public ConfigCmdOf<UseRelicConfigCmd, class UseRelicConfigCmdPacket> {
public:
    UseRelicConfigCmd(uint32_t actorId, uint32_t relicId, uint32_t itemId);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, relicId), (uint32_t, itemId))
};

class AttachItemConfigCmd : public ConfigCmdOf<AttachItemConfigCmd, class AttachItemConfigCmdPacket> {
public:
    AttachItemConfigCmd(uint32_t actorId, uint32_t itemId, EquipLocations location);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, itemId), (EquipLocations, location))
};

class DetachItemConfigCmd : public ConfigCmdOf<DetachItemConfigCmd, class DetachItemConfigCmdPacket> {
public:
    DetachItemConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, itemId))
};

class DropItemFromEquipLocationConfigCmd
    : public ConfigCmdOf<DropItemFromEquipLocationConfigCmd, class DropItemFromEquipLocConfigCmdPacket> {
public:
    DropItemFromEquipLocationConfigCmd(uint32_t actorId, uint32_t itemId, EquipLocations location, bool toss);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, itemId), (EquipLocations, location), (bool, toss))
};

// Takes the item from the character, then destroys the item object when it still exists.
class RemoveInventoryItemConfigCmd : public ConfigCmdOf<RemoveInventoryItemConfigCmd, class RemoveInventoryItemConfigCmdPacket> {
public:
    RemoveInventoryItemConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, itemId))
};

// A player picks the item up from the world unless it already holds one of the same record
// and the item's record forbids several. Whatever happens, an item that exists may be picked
// up again afterwards.
class CharPickUpConfigCmd : public ConfigCmdOf<CharPickUpConfigCmd, class PickupItemConfigCmdPacket> {
public:
    CharPickUpConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, itemId))
};

// ---- Attributes -----------------------------------------------------------------------

// Spends one modifier point and adds the increment it buys to the base attribute (no
// point left: adds nothing).
class IncrementBaseStrengthConfigCmd : public ConfigCmdOf<IncrementBaseStrengthConfigCmd, class IncBaseStrengthConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

class IncrementBaseDexterityConfigCmd
    : public ConfigCmdOf<IncrementBaseDexterityConfigCmd, class IncBaseDexterityConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

class IncrementBaseIntelligenceConfigCmd
    : public ConfigCmdOf<IncrementBaseIntelligenceConfigCmd, class IncBaseIntelligenceConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

// Amount 0 (as made from the actor id alone) spends one modifier point as above; any
// other amount is added as it stands, spending nothing.
class IncrementBaseLifeConfigCmd : public ConfigCmdOf<IncrementBaseLifeConfigCmd, class IncBaseLifeConfigCmdPacket> {
public:
    IncrementBaseLifeConfigCmd(uint32_t actorId, int32_t amount);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((int32_t, amount))
};

class IncrementBaseManaConfigCmd : public ConfigCmdOf<IncrementBaseManaConfigCmd, class IncBaseManaConfigCmdPacket> {
public:
    IncrementBaseManaConfigCmd(uint32_t actorId, int32_t amount);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((int32_t, amount))
};

// ---- States, sounds and allies ----------------------------------------------------------

class ReleaseTrapConfigCmd : public ConfigCmdOf<ReleaseTrapConfigCmd, class ReleaseTrapConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

class ReleaseStunConfigCmd : public ConfigCmdOf<ReleaseStunConfigCmd, class ReleaseStunConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

class ReleaseImmobilizeConfigCmd : public ConfigCmdOf<ReleaseImmobilizeConfigCmd, class ReleaseImmobilizeConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

class PlaySoundConfigCmd : public ConfigCmdOf<PlaySoundConfigCmd, class PlaySoundConfigCmdPacket> {
public:
    PlaySoundConfigCmd(uint32_t actorId, uint32_t soundIndex);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, soundIndex))
};

class RequestAllyAttackConfigCmd : public ConfigCmdOf<RequestAllyAttackConfigCmd, class RequestAllyAttackConfigCmdPacket> {
public:
    RequestAllyAttackConfigCmd(uint32_t actorId, uint32_t requesterId, uint32_t targetId);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, requesterId), (uint32_t, targetId))
};

class RequestAllyMoveConfigCmd : public ConfigCmdOf<RequestAllyMoveConfigCmd, class RequestAllyMoveConfigCmdPacket> {
public:
    RequestAllyMoveConfigCmd(uint32_t actorId, uint32_t requesterId, const WorldVec3& point);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, requesterId), (WorldVec3, point))
};

class ShowCharacterConfigCmd : public ConfigCmdOf<ShowCharacterConfigCmd, class ShowCharacterConfigCmdPacket> {
public:
    ShowCharacterConfigCmd(uint32_t actorId, bool visible);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((bool, visible))
};

class StartStopDamageEffectConfigCmd
    : public ConfigCmdOf<StartStopDamageEffectConfigCmd, class StartStopDamageEffectConfigCmdPacket> {
public:
    StartStopDamageEffectConfigCmd(uint32_t actorId, bool start, CombatAttributeType type);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((bool, start), (CombatAttributeType, type))
};

class QuestMoveCompletedConfigCmd : public ConfigCmdOf<QuestMoveCompletedConfigCmd, class QuestMoveCompletedConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

class QuestAnimationCompletedConfigCmd
    : public ConfigCmdOf<QuestAnimationCompletedConfigCmd, class QuestAnimationCompletedConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

class SetCausesAngerConfigCmd : public ConfigCmdOf<SetCausesAngerConfigCmd, class SetCausesAngerConfigCmdPacket> {
public:
    SetCausesAngerConfigCmd(uint32_t actorId, bool causesAnger);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((bool, causesAnger))
};

class SetInvincibleConfigCmd : public ConfigCmdOf<SetInvincibleConfigCmd, class SetInvincibleConfigCmdPacket> {
public:
    SetInvincibleConfigCmd(uint32_t actorId, bool invincible);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((bool, invincible))
};

class SetTeamConfigCmd : public ConfigCmdOf<SetTeamConfigCmd, class SetTeamConfigCmdPacket> {
public:
    SetTeamConfigCmd(uint32_t actorId, const Team& team);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((Team, team))
};

// ---- Skills: the announcements of the controlling peer's skill services, applied by
// every peer's copy of the skill. The skill number is the character's reference number
// of the skill; a 16-bit value (a seed) keeps only its low 16 bits.

class SkillTargetResultConfigCmd : public ConfigCmdOf<SkillTargetResultConfigCmd, class SkillTargetResultConfigCmdPacket> {
public:
    SkillTargetResultConfigCmd(uint32_t actorId, uint32_t skillNumber, const std::vector<uint32_t>& targets,
                               const WorldCoords& origin, uint16_t seed, uint32_t weaponId, bool useWeapon,
                               int32_t hitIteration);
    // The target list's storage goes back for the next command (one is sent every pulse of
    // every radius skill).
    ~SkillTargetResultConfigCmd() override;
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, skillNumber), (std::vector<uint32_t>, targets), (WorldCoords, origin),
                         (uint16_t, seed), (uint32_t, weaponId), (bool, useWeapon), (int32_t, hitIteration))
};

// The projectile id is the id every peer makes the projectile under.
class CreateProjectileConfigCmd : public ConfigCmdOf<CreateProjectileConfigCmd, class CreateProjectileConfigCmdPacket> {
public:
    CreateProjectileConfigCmd(uint32_t actorId, uint32_t skillNumber, uint32_t weaponId, const WorldCoords& origin,
                              uint32_t targetId, const WorldVec3& point, uint32_t projectileId, uint16_t seed,
                              int32_t hitIteration);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, skillNumber), (uint32_t, projectileId), (uint32_t, weaponId),
                         (WorldCoords, origin), (uint32_t, targetId), (WorldVec3, point), (uint16_t, seed),
                         (int32_t, hitIteration))
};

class SpawnObjectConfigCmd : public ConfigCmdOf<SpawnObjectConfigCmd, class SpawnObjectConfigCmdPacket> {
public:
    SpawnObjectConfigCmd(uint32_t actorId, uint32_t skillNumber, const WorldCoords& origin, uint32_t targetId,
                         const std::vector<WorldCoords>& spawnCoords, const std::vector<uint32_t>& spawnIds,
                         uint16_t value);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, skillNumber), (WorldCoords, origin), (uint32_t, targetId),
                         (std::vector<WorldCoords>, spawnCoords), (std::vector<uint32_t>, spawnIds), (uint16_t, value))
};

class SkillStateUpdateConfigCmd : public ConfigCmdOf<SkillStateUpdateConfigCmd, class SkillStateUpdateConfigCmdPacket> {
public:
    SkillStateUpdateConfigCmd(uint32_t actorId, uint32_t skillNumber, const SkillState& state);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, skillNumber), (SkillState, state))
};

class SkillActiveStateUpdateConfigCmd
    : public ConfigCmdOf<SkillActiveStateUpdateConfigCmd, class SkillActiveStateUpdateConfigCmdPacket> {
public:
    SkillActiveStateUpdateConfigCmd(uint32_t actorId, uint32_t skillNumber, const SkillActiveState& state);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, skillNumber), (SkillActiveState, state))
};

// Puts the named buff on the actor with its two modifier skills (level 0: takes it off).
class CreateRemoveSkillBuffConfigCmd
    : public ConfigCmdOf<CreateRemoveSkillBuffConfigCmd, class CreateRemoveSkillBuffConfigCmdPacket> {
public:
    CreateRemoveSkillBuffConfigCmd(uint32_t actorId, uint32_t skillId, const std::string& skillName, uint32_t level,
                                   const std::string& modifierName1, uint32_t modifierLevel1,
                                   const std::string& modifierName2, uint32_t modifierLevel2, int32_t timeToLiveMs,
                                   uint32_t casterId);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, skillId), (uint32_t, level), (uint32_t, modifierLevel1), (uint32_t, modifierLevel2),
                         (std::string, skillName), (std::string, modifierName1), (std::string, modifierName2),
                         (int32_t, timeToLiveMs), (uint32_t, casterId))
};

// The actor's activated skill of that index acts now on the target or point, as at the
// end of its use.
class ActivateSkillConfigCmd : public ConfigCmdOf<ActivateSkillConfigCmd, class ActivateSkillConfigCmdPacket> {
public:
    ActivateSkillConfigCmd(uint32_t actorId, uint32_t skillIndex, uint32_t targetId, const WorldVec3& point);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, skillIndex), (uint32_t, targetId), (WorldVec3, point))
};

// The actor lets its pet go: the pet's combat controller kills it. Only a pet of the
// actor's own is released.
class ReleasePetConfigCmd : public ConfigCmdOf<ReleasePetConfigCmd, class ReleasePetConfigCmdPacket> {
public:
    ReleasePetConfigCmd(uint32_t actorId, uint32_t petId);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, petId))
};

// The chained boss's god skills show their effects no longer.
class DisableTyphonSkillEffectsConfigCmd
    : public ConfigCmdOf<DisableTyphonSkillEffectsConfigCmd, class DisableTyphonSkillEffectsConfigCmdPacket> {
public:
    using ConfigCmdOf::ConfigCmdOf;
    void Execute() override;
};

// ---- Fixed items and strategic movement points: the actor is the world object. These
// commands copy (and assign) every member, the target lists included.

// Puts the fixed item into a state with its animation (never instantly).
class FixedItemStateChangeConfigCmd
    : public ConfigCmdOf<FixedItemStateChangeConfigCmd, class FixedItemStateChangeConfigCmdPacket> {
public:
    FixedItemStateChangeConfigCmd(uint32_t actorId, FixedItem_State state, uint32_t targetId, bool doSound);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((FixedItem_State, state), (uint32_t, targetId), (bool, doSound))
};

class FixedItemTargetConfigCmd : public ConfigCmdOf<FixedItemTargetConfigCmd, class FixedItemTargetConfigCmdPacket> {
public:
    FixedItemTargetConfigCmd(uint32_t actorId, uint32_t primaryTargetId, const std::vector<uint32_t>& secondaryTargets);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, primaryTargetId), (std::vector<uint32_t>, secondaryTargets))
};

class FixedItemSkillTargetConfigCmd
    : public ConfigCmdOf<FixedItemSkillTargetConfigCmd, class FixedItemSkillTargetConfigCmdPacket> {
public:
    FixedItemSkillTargetConfigCmd(uint32_t actorId, uint32_t primaryTargetId, const std::vector<uint32_t>& skillTargets);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((uint32_t, primaryTargetId), (std::vector<uint32_t>, skillTargets))
};

class StrategicMovementTargetConfigCmd
    : public ConfigCmdOf<StrategicMovementTargetConfigCmd, class StrategicMovementTargetConfigCmdPacket> {
public:
    StrategicMovementTargetConfigCmd(uint32_t actorId, const std::vector<uint32_t>& targets);
    void Execute() override;
    GAME_CONFIG_CMD_ARGS((std::vector<uint32_t>, targets))
};

// Every command: the one list the copies are made for (ActorConfigCommands.cpp) and the
// dispatch reads.
#define GAME_CONFIG_COMMANDS(X)                                                                         \
    X(DropItemConfigCmd) X(UseItemConfigCmd) X(UseRelicConfigCmd) X(AttachItemConfigCmd)               \
    X(DetachItemConfigCmd) X(DropItemFromEquipLocationConfigCmd) X(RemoveInventoryItemConfigCmd)       \
    X(CharPickUpConfigCmd) X(IncrementBaseStrengthConfigCmd) X(IncrementBaseDexterityConfigCmd)        \
    X(IncrementBaseIntelligenceConfigCmd) X(IncrementBaseLifeConfigCmd) X(IncrementBaseManaConfigCmd)  \
    X(ReleaseTrapConfigCmd) X(ReleaseStunConfigCmd) X(ReleaseImmobilizeConfigCmd) X(PlaySoundConfigCmd) \
    X(RequestAllyAttackConfigCmd) X(RequestAllyMoveConfigCmd) X(ShowCharacterConfigCmd)                \
    X(StartStopDamageEffectConfigCmd) X(QuestMoveCompletedConfigCmd) X(QuestAnimationCompletedConfigCmd) \
    X(SetCausesAngerConfigCmd) X(SetInvincibleConfigCmd) X(SetTeamConfigCmd) X(SkillTargetResultConfigCmd) \
    X(CreateProjectileConfigCmd) X(SpawnObjectConfigCmd) X(SkillStateUpdateConfigCmd)                   \
    X(SkillActiveStateUpdateConfigCmd) X(CreateRemoveSkillBuffConfigCmd) X(ActivateSkillConfigCmd)      \
    X(ReleasePetConfigCmd) X(DisableTyphonSkillEffectsConfigCmd) X(FixedItemStateChangeConfigCmd)       \
    X(FixedItemTargetConfigCmd) X(FixedItemSkillTargetConfigCmd) X(StrategicMovementTargetConfigCmd)

// The copies are made once, in ActorConfigCommands.cpp.
#define GAME_EXTERN_CONFIG_CMD(Command) extern template class ConfigCmdOf<Command, Command::PacketType>;
GAME_CONFIG_COMMANDS(GAME_EXTERN_CONFIG_CMD)
#undef GAME_EXTERN_CONFIG_CMD

}  // namespace GAME
