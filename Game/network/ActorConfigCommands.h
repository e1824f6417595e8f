// The game's actor commands: each carries one change to one actor with its arguments.
// The deciding code creates one with `new` and hands it to the actor (Actor::Enqueue);
// `Execute` re-resolves every id on the peer it runs on and applies the change, doing
// nothing when the actor (or another object it names) is gone or of another class.
// Every constructor switches the command's replication on.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/ActorConfigCommand.h"
#include "Engine/World.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/core/Team.h"
#include "Game/items/ItemTypes.h"
#include "Game/world/FixedItem.h"

namespace GAME {

class DropItemConfigCmd : public ActorConfigCommand {
public:
    DropItemConfigCmd(uint32_t actorId, uint32_t itemId, float offset1, float offset2);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
    float offset1;
    float offset2;
};

class UseItemConfigCmd : public ActorConfigCommand {
public:
    UseItemConfigCmd(uint32_t actorId, uint32_t itemId, bool destroy);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
    bool destroy;
};

class UseRelicConfigCmd : public ActorConfigCommand {
public:
    UseRelicConfigCmd(uint32_t actorId, uint32_t relicId, uint32_t itemId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t relicId;
    uint32_t itemId;   // the item that receives the relic
};

class AttachItemConfigCmd : public ActorConfigCommand {
public:
    AttachItemConfigCmd(uint32_t actorId, uint32_t itemId, EquipLocations location);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
    EquipLocations location;
};

class DetachItemConfigCmd : public ActorConfigCommand {
public:
    DetachItemConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
};

class DropItemFromEquipLocationConfigCmd : public ActorConfigCommand {
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
class IncrementBaseStrengthConfigCmd : public ActorConfigCommand {
public:
    explicit IncrementBaseStrengthConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class IncrementBaseDexterityConfigCmd : public ActorConfigCommand {
public:
    explicit IncrementBaseDexterityConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class IncrementBaseIntelligenceConfigCmd : public ActorConfigCommand {
public:
    explicit IncrementBaseIntelligenceConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

// Amount 0 spends one modifier point as above; any other amount is added as it stands,
// spending nothing.
class IncrementBaseLifeConfigCmd : public ActorConfigCommand {
public:
    explicit IncrementBaseLifeConfigCmd(uint32_t actorId, int32_t amount = 0);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    int32_t amount;
};

class IncrementBaseManaConfigCmd : public ActorConfigCommand {
public:
    explicit IncrementBaseManaConfigCmd(uint32_t actorId, int32_t amount = 0);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    int32_t amount;
};

class ReleaseTrapConfigCmd : public ActorConfigCommand {
public:
    explicit ReleaseTrapConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class ReleaseStunConfigCmd : public ActorConfigCommand {
public:
    explicit ReleaseStunConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class ReleaseImmobilizeConfigCmd : public ActorConfigCommand {
public:
    explicit ReleaseImmobilizeConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

// Takes the item from the character, then destroys the item object when it still exists.
class RemoveInventoryItemConfigCmd : public ActorConfigCommand {
public:
    RemoveInventoryItemConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
};

// A player picks the item up from the world unless it already holds one of the same record
// and the item's record forbids several. Whatever happens, an item that exists may be picked
// up again afterwards.
class CharPickUpConfigCmd : public ActorConfigCommand {
public:
    CharPickUpConfigCmd(uint32_t actorId, uint32_t itemId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t itemId;
};

class PlaySoundConfigCmd : public ActorConfigCommand {
public:
    PlaySoundConfigCmd(uint32_t actorId, uint32_t soundIndex);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t soundIndex;
};

class RequestAllyAttackConfigCmd : public ActorConfigCommand {
public:
    RequestAllyAttackConfigCmd(uint32_t actorId, uint32_t requesterId, uint32_t targetId);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t requesterId;
    uint32_t targetId;
};

class RequestAllyMoveConfigCmd : public ActorConfigCommand {
public:
    RequestAllyMoveConfigCmd(uint32_t actorId, uint32_t requesterId, const WorldVec3& point);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t requesterId;
    WorldVec3 point;
};

class ShowCharacterConfigCmd : public ActorConfigCommand {
public:
    ShowCharacterConfigCmd(uint32_t actorId, bool visible);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    bool visible;
};

class StartStopDamageEffectConfigCmd : public ActorConfigCommand {
public:
    StartStopDamageEffectConfigCmd(uint32_t actorId, bool start, CombatAttributeType type);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    bool start;
    CombatAttributeType type;
};

class QuestMoveCompletedConfigCmd : public ActorConfigCommand {
public:
    explicit QuestMoveCompletedConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class QuestAnimationCompletedConfigCmd : public ActorConfigCommand {
public:
    explicit QuestAnimationCompletedConfigCmd(uint32_t actorId);
    void Execute() override;
    NetPacket* GetNetPacket() override;
};

class SetCausesAngerConfigCmd : public ActorConfigCommand {
public:
    SetCausesAngerConfigCmd(uint32_t actorId, bool causesAnger);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    bool causesAnger;
};

class SetInvincibleConfigCmd : public ActorConfigCommand {
public:
    SetInvincibleConfigCmd(uint32_t actorId, bool invincible);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    bool invincible;
};

class SetTeamConfigCmd : public ActorConfigCommand {
public:
    SetTeamConfigCmd(uint32_t actorId, const Team& team);
    void Execute() override;
    NetPacket* GetNetPacket() override;

    Team team;
};

// ---- Fixed items and strategic movement points: the actor is the world object. These
// commands copy (and assign) every member, the target lists included.

// Puts the fixed item into a state with its animation (never instantly).
class FixedItemStateChangeConfigCmd : public ActorConfigCommand {
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

class FixedItemTargetConfigCmd : public ActorConfigCommand {
public:
    FixedItemTargetConfigCmd(uint32_t actorId, uint32_t primaryTargetId, const std::vector<uint32_t>& secondaryTargets);
    FixedItemTargetConfigCmd(const FixedItemTargetConfigCmd&) = default;
    FixedItemTargetConfigCmd& operator=(const FixedItemTargetConfigCmd&) = default;
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t primaryTargetId;
    std::vector<uint32_t> secondaryTargets;
};

class FixedItemSkillTargetConfigCmd : public ActorConfigCommand {
public:
    FixedItemSkillTargetConfigCmd(uint32_t actorId, uint32_t primaryTargetId, const std::vector<uint32_t>& skillTargets);
    FixedItemSkillTargetConfigCmd(const FixedItemSkillTargetConfigCmd&) = default;
    FixedItemSkillTargetConfigCmd& operator=(const FixedItemSkillTargetConfigCmd&) = default;
    void Execute() override;
    NetPacket* GetNetPacket() override;

    uint32_t primaryTargetId;
    std::vector<uint32_t> skillTargets;
};

class StrategicMovementTargetConfigCmd : public ActorConfigCommand {
public:
    StrategicMovementTargetConfigCmd(uint32_t actorId, const std::vector<uint32_t>& targets);
    StrategicMovementTargetConfigCmd(const StrategicMovementTargetConfigCmd&) = default;
    StrategicMovementTargetConfigCmd& operator=(const StrategicMovementTargetConfigCmd&) = default;
    void Execute() override;
    NetPacket* GetNetPacket() override;

    std::vector<uint32_t> targets;
};

}  // namespace GAME
