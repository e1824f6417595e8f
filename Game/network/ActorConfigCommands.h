// The game's actor commands: each carries one change to one actor with its arguments.
// The deciding code creates one with `new` and hands it to the actor (Actor::Enqueue);
// `Execute` re-resolves every id on the peer it runs on and applies the change, doing
// nothing when the actor (or another object it names) is gone or of another class.
// Every one replicates (GameConfigCmd).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/ActorConfigCommand.h"
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

class DropItemConfigCmd : public GameConfigCmd {
public:
    DropItemConfigCmd(uint32_t actorId, uint32_t itemId, float offset1, float offset2);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
    float offset1;
    float offset2;
};

class UseItemConfigCmd : public GameConfigCmd {
public:
    UseItemConfigCmd(uint32_t actorId, uint32_t itemId, bool destroy);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
    bool destroy;
};

class UseRelicConfigCmd : public GameConfigCmd {
public:
    UseRelicConfigCmd(uint32_t actorId, uint32_t relicId, uint32_t itemId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t relicId;
    uint32_t itemId;   // the item that receives the relic
};

class AttachItemConfigCmd : public GameConfigCmd {
public:
    AttachItemConfigCmd(uint32_t actorId, uint32_t itemId, EquipLocations location);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
    EquipLocations location;
};

class DetachItemConfigCmd : public GameConfigCmd {
public:
    DetachItemConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
};

class DropItemFromEquipLocationConfigCmd : public GameConfigCmd {
public:
    DropItemFromEquipLocationConfigCmd(uint32_t actorId, uint32_t itemId, EquipLocations location, bool toss);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
    EquipLocations location;
    bool toss;
};

// Spends one modifier point and adds the increment it buys to the base attribute (no
// point left: adds nothing).
class IncrementBaseStrengthConfigCmd : public GameConfigCmd {
public:
    explicit IncrementBaseStrengthConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class IncrementBaseDexterityConfigCmd : public GameConfigCmd {
public:
    explicit IncrementBaseDexterityConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class IncrementBaseIntelligenceConfigCmd : public GameConfigCmd {
public:
    explicit IncrementBaseIntelligenceConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

// Amount 0 spends one modifier point as above; any other amount is added as it stands,
// spending nothing.
class IncrementBaseLifeConfigCmd : public GameConfigCmd {
public:
    explicit IncrementBaseLifeConfigCmd(uint32_t actorId, int32_t amount = 0);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    int32_t amount;
};

class IncrementBaseManaConfigCmd : public GameConfigCmd {
public:
    explicit IncrementBaseManaConfigCmd(uint32_t actorId, int32_t amount = 0);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    int32_t amount;
};

class ReleaseTrapConfigCmd : public GameConfigCmd {
public:
    explicit ReleaseTrapConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class ReleaseStunConfigCmd : public GameConfigCmd {
public:
    explicit ReleaseStunConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class ReleaseImmobilizeConfigCmd : public GameConfigCmd {
public:
    explicit ReleaseImmobilizeConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

// Takes the item from the character, then destroys the item object when it still exists.
class RemoveInventoryItemConfigCmd : public GameConfigCmd {
public:
    RemoveInventoryItemConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
};

// A player picks the item up from the world unless it already holds one of the same record
// and the item's record forbids several. Whatever happens, an item that exists may be picked
// up again afterwards.
class CharPickUpConfigCmd : public GameConfigCmd {
public:
    CharPickUpConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
};

class PlaySoundConfigCmd : public GameConfigCmd {
public:
    PlaySoundConfigCmd(uint32_t actorId, uint32_t soundIndex);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t soundIndex;
};

class RequestAllyAttackConfigCmd : public GameConfigCmd {
public:
    RequestAllyAttackConfigCmd(uint32_t actorId, uint32_t requesterId, uint32_t targetId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t requesterId;
    uint32_t targetId;
};

class RequestAllyMoveConfigCmd : public GameConfigCmd {
public:
    RequestAllyMoveConfigCmd(uint32_t actorId, uint32_t requesterId, const WorldVec3& point);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t requesterId;
    WorldVec3 point;
};

class ShowCharacterConfigCmd : public GameConfigCmd {
public:
    ShowCharacterConfigCmd(uint32_t actorId, bool visible);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    bool visible;
};

class StartStopDamageEffectConfigCmd : public GameConfigCmd {
public:
    StartStopDamageEffectConfigCmd(uint32_t actorId, bool start, CombatAttributeType type);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    bool start;
    CombatAttributeType type;
};

class QuestMoveCompletedConfigCmd : public GameConfigCmd {
public:
    explicit QuestMoveCompletedConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class QuestAnimationCompletedConfigCmd : public GameConfigCmd {
public:
    explicit QuestAnimationCompletedConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class SetCausesAngerConfigCmd : public GameConfigCmd {
public:
    SetCausesAngerConfigCmd(uint32_t actorId, bool causesAnger);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    bool causesAnger;
};

class SetInvincibleConfigCmd : public GameConfigCmd {
public:
    SetInvincibleConfigCmd(uint32_t actorId, bool invincible);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    bool invincible;
};

class SetTeamConfigCmd : public GameConfigCmd {
public:
    SetTeamConfigCmd(uint32_t actorId, const Team& team);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    Team team;
};

// ---- Skills: the announcements of the controlling peer's skill services, applied by
// every peer's copy of the skill. The skill number is the character's reference number
// of the skill; a 16-bit value (a seed) keeps only its low 16 bits.

class SkillTargetResultConfigCmd : public GameConfigCmd {
public:
    SkillTargetResultConfigCmd(uint32_t actorId, uint32_t skillNumber, const std::vector<uint32_t>& targets,
                               const WorldCoords& origin, uint16_t seed, uint32_t weaponId, bool useWeapon,
                               int32_t hitIteration);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t skillNumber;
    std::vector<uint32_t> targets;
    WorldCoords origin;
    uint16_t seed;
    uint32_t weaponId;
    bool useWeapon;
    int32_t hitIteration;
};

class CreateProjectileConfigCmd : public GameConfigCmd {
public:
    CreateProjectileConfigCmd(uint32_t actorId, uint32_t skillNumber, uint32_t weaponId, const WorldCoords& origin,
                              uint32_t targetId, const WorldVec3& point, uint32_t projectileId, uint16_t seed,
                              int32_t hitIteration);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t skillNumber;
    uint32_t weaponId;
    WorldCoords origin;
    uint32_t targetId;
    WorldVec3 point;
    uint32_t projectileId;   // the id every peer makes the projectile under
    uint16_t seed;
    int32_t hitIteration;
};

class SpawnObjectConfigCmd : public GameConfigCmd {
public:
    SpawnObjectConfigCmd(uint32_t actorId, uint32_t skillNumber, const WorldCoords& origin, uint32_t targetId,
                         const std::vector<WorldCoords>& spawnCoords, const std::vector<uint32_t>& spawnIds,
                         uint16_t value);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t skillNumber;
    WorldCoords origin;
    uint32_t targetId;
    std::vector<WorldCoords> spawnCoords;
    std::vector<uint32_t> spawnIds;
    uint16_t value;
};

class SkillStateUpdateConfigCmd : public GameConfigCmd {
public:
    SkillStateUpdateConfigCmd(uint32_t actorId, uint32_t skillNumber, const SkillState& state);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t skillNumber;
    SkillState state;
};

class SkillActiveStateUpdateConfigCmd : public GameConfigCmd {
public:
    SkillActiveStateUpdateConfigCmd(uint32_t actorId, uint32_t skillNumber, const SkillActiveState& state);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t skillNumber;
    SkillActiveState state;
};

// Puts the named buff on the actor with its two modifier skills (level 0: takes it off).
class CreateRemoveSkillBuffConfigCmd : public GameConfigCmd {
public:
    CreateRemoveSkillBuffConfigCmd(uint32_t actorId, uint32_t skillId, const std::string& skillName, uint32_t level,
                                   const std::string& modifierName1, uint32_t modifierLevel1,
                                   const std::string& modifierName2, uint32_t modifierLevel2, int32_t timeToLiveMs,
                                   uint32_t casterId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t skillId;
    std::string skillName;
    uint32_t level;
    std::string modifierName1;
    uint32_t modifierLevel1;
    std::string modifierName2;
    uint32_t modifierLevel2;
    int32_t timeToLiveMs;
    uint32_t casterId;
};

// The actor's activated skill of that index acts now on the target or point, as at the
// end of its use.
class ActivateSkillConfigCmd : public GameConfigCmd {
public:
    ActivateSkillConfigCmd(uint32_t actorId, uint32_t skillIndex, uint32_t targetId, const WorldVec3& point);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t skillIndex;
    uint32_t targetId;
    WorldVec3 point;
};

// The actor lets its pet go: the pet's combat controller kills it. Only a pet of the
// actor's own is released.
class ReleasePetConfigCmd : public GameConfigCmd {
public:
    ReleasePetConfigCmd(uint32_t actorId, uint32_t petId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t petId;
};

// The chained boss's god skills show their effects no longer.
class DisableTyphonSkillEffectsConfigCmd : public GameConfigCmd {
public:
    explicit DisableTyphonSkillEffectsConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

// ---- Fixed items and strategic movement points: the actor is the world object. These
// commands copy (and assign) every member, the target lists included.

// Puts the fixed item into a state with its animation (never instantly).
class FixedItemStateChangeConfigCmd : public GameConfigCmd {
public:
    FixedItemStateChangeConfigCmd(uint32_t actorId, FixedItem_State state, uint32_t targetId, bool doSound);
    FixedItemStateChangeConfigCmd(const FixedItemStateChangeConfigCmd&) = default;
    FixedItemStateChangeConfigCmd& operator=(const FixedItemStateChangeConfigCmd&) = default;
    void Execute() override;
    NetPacket* GetNetPacket() override;

    FixedItem_State state;
    uint32_t targetId;
    bool doSound;
};

class FixedItemTargetConfigCmd : public GameConfigCmd {
public:
    FixedItemTargetConfigCmd(uint32_t actorId, uint32_t primaryTargetId, const std::vector<uint32_t>& secondaryTargets);
    FixedItemTargetConfigCmd(const FixedItemTargetConfigCmd&) = default;
    FixedItemTargetConfigCmd& operator=(const FixedItemTargetConfigCmd&) = default;
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t primaryTargetId;
    std::vector<uint32_t> secondaryTargets;
};

class FixedItemSkillTargetConfigCmd : public GameConfigCmd {
public:
    FixedItemSkillTargetConfigCmd(uint32_t actorId, uint32_t primaryTargetId, const std::vector<uint32_t>& skillTargets);
    FixedItemSkillTargetConfigCmd(const FixedItemSkillTargetConfigCmd&) = default;
    FixedItemSkillTargetConfigCmd& operator=(const FixedItemSkillTargetConfigCmd&) = default;
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t primaryTargetId;
    std::vector<uint32_t> skillTargets;
};

class StrategicMovementTargetConfigCmd : public GameConfigCmd {
public:
    StrategicMovementTargetConfigCmd(uint32_t actorId, const std::vector<uint32_t>& targets);
    StrategicMovementTargetConfigCmd(const StrategicMovementTargetConfigCmd&) = default;
    StrategicMovementTargetConfigCmd& operator=(const StrategicMovementTargetConfigCmd&) = default;
    void Execute() override;
    NetPacket* GetNetPacket() override;

    std::vector<uint32_t> targets;
};

}  // namespace GAME
