// Every actor command's packet carries the actor and each argument: written by the sender
// and read back by a fresh packet of its type, every field comes out as it went in, and
// the command rebuilt from it sends the same bytes again.
#include <memory>

#include "Game/network/ActorConfigCommands.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/network/ConfigCmdPackets.h"
#include "PacketTestUtil.h"

namespace GAME {

namespace {

constexpr uint32_t kActor = 0x1234;

WorldCoords CoordsAt(Region* region, const Vec3& origin)
{
    Coords frame = Coords::MakeRotation(Vec3(0, 1, 0), 0.5f);
    frame.origin = origin;
    return WorldCoords(region, frame);
}

// The same place: region and position (the frame's turn travels beside them).
bool SamePlace(const WorldCoords& a, const WorldCoords& b) { return a.GetPosition() == b.GetPosition(); }

// The command's packet, written and read back into a new packet of the expected type.
template <class Packet>
std::unique_ptr<Packet> RoundTrip(ActorConfigCommand&& command)
{
    auto back = std::make_unique<Packet>();
    std::unique_ptr<NetPacket> sent(command.GetNetPacket());
    if (!sent) {
        ADD_FAILURE() << "no packet for type " << Packet::kType;
        return back;
    }
    EXPECT_EQ(sent->GetType(), Packet::kType);
    const Bytes bytes = Written(*sent);
    EXPECT_TRUE(ReadInto(*back, bytes)) << "type " << Packet::kType;
    EXPECT_EQ(back->actorId.GetId(), kActor) << "type " << Packet::kType;
    // The receiver's command holds every argument the packet brought.
    std::unique_ptr<ActorConfigCommand> rebuilt = RebuildConfigCmdFrom(*back);
    if (!rebuilt) {
        ADD_FAILURE() << "no command for type " << Packet::kType;
        return back;
    }
    EXPECT_EQ(rebuilt->GetActorId(), kActor) << "type " << Packet::kType;
    std::unique_ptr<NetPacket> again(rebuilt->GetNetPacket());
    EXPECT_EQ(Written(*again), bytes) << "type " << Packet::kType;
    return back;
}

}  // namespace

class ConfigCmdRoundTripTest : public PacketTest {};

TEST_F(ConfigCmdRoundTripTest, EveryCommandsPacketCarriesItsActorAndArguments)
{
    auto drop = RoundTrip<DropItemConfigCmdPacket>(DropItemConfigCmd(kActor, 11, 1.5f, -2.25f));
    EXPECT_EQ(drop->itemId, 11u);
    EXPECT_EQ(drop->offset1, 1.5f);
    EXPECT_EQ(drop->offset2, -2.25f);
    auto use = RoundTrip<UseItemConfigCmdPacket>(UseItemConfigCmd(kActor, 12, true));
    EXPECT_EQ(use->itemId, 12u);
    EXPECT_TRUE(use->destroy);
    auto relic = RoundTrip<UseRelicConfigCmdPacket>(UseRelicConfigCmd(kActor, 13, 14));
    EXPECT_EQ(relic->relicId, 13u);
    EXPECT_EQ(relic->itemId, 14u);
    auto attach = RoundTrip<AttachItemConfigCmdPacket>(AttachItemConfigCmd(kActor, 15, EquipLocation_UpperBody));
    EXPECT_EQ(attach->itemId, 15u);
    EXPECT_EQ(attach->location, EquipLocation_UpperBody);
    EXPECT_EQ(RoundTrip<DetachItemConfigCmdPacket>(DetachItemConfigCmd(kActor, 16))->value, 16u);
    auto dropFrom = RoundTrip<DropItemFromEquipLocConfigCmdPacket>(
        DropItemFromEquipLocationConfigCmd(kActor, 17, EquipLocation_LeftHand, true));
    EXPECT_EQ(dropFrom->itemId, 17u);
    EXPECT_EQ(dropFrom->location, EquipLocation_LeftHand);
    EXPECT_TRUE(dropFrom->toss);
    EXPECT_EQ(RoundTrip<RemoveInventoryItemConfigCmdPacket>(RemoveInventoryItemConfigCmd(kActor, 18))->value, 18u);
    EXPECT_EQ(RoundTrip<PickupItemConfigCmdPacket>(CharPickUpConfigCmd(kActor, 19))->itemId.GetId(), 19u);

    RoundTrip<IncBaseStrengthConfigCmdPacket>(IncrementBaseStrengthConfigCmd(kActor));
    RoundTrip<IncBaseDexterityConfigCmdPacket>(IncrementBaseDexterityConfigCmd(kActor));
    RoundTrip<IncBaseIntelligenceConfigCmdPacket>(IncrementBaseIntelligenceConfigCmd(kActor));
    EXPECT_EQ(RoundTrip<IncBaseLifeConfigCmdPacket>(IncrementBaseLifeConfigCmd(kActor, -5))->value, -5);
    EXPECT_EQ(RoundTrip<IncBaseManaConfigCmdPacket>(IncrementBaseManaConfigCmd(kActor, 7))->value, 7);
    RoundTrip<ReleaseTrapConfigCmdPacket>(ReleaseTrapConfigCmd(kActor));
    RoundTrip<ReleaseStunConfigCmdPacket>(ReleaseStunConfigCmd(kActor));
    RoundTrip<ReleaseImmobilizeConfigCmdPacket>(ReleaseImmobilizeConfigCmd(kActor));
    RoundTrip<QuestMoveCompletedConfigCmdPacket>(QuestMoveCompletedConfigCmd(kActor));
    RoundTrip<QuestAnimationCompletedConfigCmdPacket>(QuestAnimationCompletedConfigCmd(kActor));

    EXPECT_EQ(RoundTrip<PlaySoundConfigCmdPacket>(PlaySoundConfigCmd(kActor, 3))->value, 3u);
    auto attack = RoundTrip<RequestAllyAttackConfigCmdPacket>(RequestAllyAttackConfigCmd(kActor, 21, 22));
    EXPECT_EQ(attack->requesterId.GetId(), 21u);
    EXPECT_EQ(attack->targetId, 22u);
    const WorldVec3 point(RegionOf(2), Vec3(1.0f, 2.0f, 3.0f));
    auto move = RoundTrip<RequestAllyMoveConfigCmdPacket>(RequestAllyMoveConfigCmd(kActor, 23, point));
    EXPECT_EQ(move->requesterId.GetId(), 23u);
    EXPECT_EQ(move->targetPoint, point);
    EXPECT_TRUE(RoundTrip<ShowCharacterConfigCmdPacket>(ShowCharacterConfigCmd(kActor, true))->value);
    auto effect = RoundTrip<StartStopDamageEffectConfigCmdPacket>(
        StartStopDamageEffectConfigCmd(kActor, true, CombatAttributeType_Fire));
    EXPECT_TRUE(effect->start);
    EXPECT_EQ(effect->type, CombatAttributeType_Fire);
    EXPECT_TRUE(RoundTrip<SetCausesAngerConfigCmdPacket>(SetCausesAngerConfigCmd(kActor, true))->value);
    EXPECT_TRUE(RoundTrip<SetInvincibleConfigCmdPacket>(SetInvincibleConfigCmd(kActor, true))->value);
    Team team;
    team.Set(4, 9);
    EXPECT_EQ(RoundTrip<SetTeamConfigCmdPacket>(SetTeamConfigCmd(kActor, team))->team, team);

    auto state = RoundTrip<FixedItemStateChangeConfigCmdPacket>(
        FixedItemStateChangeConfigCmd(kActor, FixedItemState_Open, 24, true));
    EXPECT_EQ(state->state, static_cast<uint32_t>(FixedItemState_Open));
    EXPECT_EQ(state->targetId.GetId(), 24u);
    EXPECT_TRUE(state->doSound);
    const std::vector<uint32_t> targets{31, 32, 33};
    auto fixedTargets = RoundTrip<FixedItemTargetConfigCmdPacket>(FixedItemTargetConfigCmd(kActor, 25, targets));
    EXPECT_EQ(fixedTargets->primaryTargetId.GetId(), 25u);
    EXPECT_EQ(fixedTargets->targetIds.GetIds(), targets);
    auto skillTargets =
        RoundTrip<FixedItemSkillTargetConfigCmdPacket>(FixedItemSkillTargetConfigCmd(kActor, 26, targets));
    EXPECT_EQ(skillTargets->primaryTargetId.GetId(), 26u);
    EXPECT_EQ(skillTargets->targetIds.GetIds(), targets);
    EXPECT_EQ(RoundTrip<StrategicMovementTargetConfigCmdPacket>(StrategicMovementTargetConfigCmd(kActor, targets))
                  ->targetIds.GetIds(),
              targets);
}

TEST_F(ConfigCmdRoundTripTest, EverySkillCommandsPacketCarriesItsActorAndArguments)
{
    const WorldCoords origin = CoordsAt(RegionOf(3), Vec3(4.0f, 5.0f, 6.0f));
    const WorldVec3 point(RegionOf(2), Vec3(1.0f, 2.0f, 3.0f));
    const std::vector<uint32_t> targets{31, 32, 33};
    auto result = RoundTrip<SkillTargetResultConfigCmdPacket>(
        SkillTargetResultConfigCmd(kActor, 7, targets, origin, 0xBEEF, 41, true, 2));
    EXPECT_EQ(result->skillNumber, 7u);
    EXPECT_EQ(result->targetIds.GetIds(), targets);
    EXPECT_TRUE(SamePlace(result->origin, origin));
    EXPECT_EQ(result->seed, 0xBEEF);
    EXPECT_EQ(result->weaponId, 41u);
    EXPECT_TRUE(result->useWeapon);
    EXPECT_EQ(result->hitIteration, 2);

    auto projectile = RoundTrip<CreateProjectileConfigCmdPacket>(
        CreateProjectileConfigCmd(kActor, 8, 42, origin, 0, point, 0x5001, 0x1234, 1));
    EXPECT_EQ(projectile->skillNumber, 8u);
    EXPECT_EQ(projectile->weaponId, 42u);
    EXPECT_TRUE(SamePlace(projectile->origin, origin));
    EXPECT_EQ(projectile->targetId.GetId(), 0u);   // no target: the packet still goes
    EXPECT_EQ(projectile->point, point);
    EXPECT_EQ(projectile->projectileId, 0x5001u);
    EXPECT_EQ(projectile->seed, 0x1234);
    EXPECT_EQ(projectile->hitIteration, 1);

    const std::vector<WorldCoords> places{origin, CoordsAt(RegionOf(3), Vec3(7.0f, 8.0f, 9.0f))};
    auto spawn = RoundTrip<SpawnObjectConfigCmdPacket>(
        SpawnObjectConfigCmd(kActor, 9, origin, 43, places, {51, 52}, 0xFFFF));
    EXPECT_EQ(spawn->skillNumber, 9u);
    EXPECT_TRUE(SamePlace(spawn->origin, origin));
    EXPECT_EQ(spawn->targetId, 43u);
    ASSERT_EQ(spawn->spawnCoords.size(), places.size());
    EXPECT_TRUE(SamePlace(spawn->spawnCoords[1], places[1]));
    EXPECT_EQ(spawn->spawnIds, (std::vector<uint32_t>{51, 52}));
    EXPECT_EQ(spawn->lastValue, 0xFFFF);

    auto state = RoundTrip<SkillStateUpdateConfigCmdPacket>(SkillStateUpdateConfigCmd(kActor, 10, SkillState{-3, true}));
    EXPECT_EQ(state->skillNumber, 10u);
    EXPECT_EQ(state->state, (SkillState{-3, true}));
    const SkillActiveState active{4, true, false};
    auto activeState =
        RoundTrip<SkillActiveStateUpdateConfigCmdPacket>(SkillActiveStateUpdateConfigCmd(kActor, 11, active));
    EXPECT_EQ(activeState->skillNumber, 11u);
    EXPECT_EQ(activeState->state, active);

    auto buff = RoundTrip<CreateRemoveSkillBuffConfigCmdPacket>(CreateRemoveSkillBuffConfigCmd(
        kActor, 12, "Records/Skills/Buff.dbr", 3, "Records/Skills/Mod1.dbr", 4, "", 0, -1, 44));
    EXPECT_EQ(buff->skillId, 12u);
    EXPECT_EQ(buff->skillName, "Records/Skills/Buff.dbr");
    EXPECT_EQ(buff->level, 3u);
    EXPECT_EQ(buff->modifierName1, "Records/Skills/Mod1.dbr");
    EXPECT_EQ(buff->modifierLevel1, 4u);
    EXPECT_EQ(buff->modifierName2, "");
    EXPECT_EQ(buff->modifierLevel2, 0u);
    EXPECT_EQ(buff->timeToLive, -1);
    EXPECT_EQ(buff->casterId, 44u);

    auto activate = RoundTrip<ActivateSkillConfigCmdPacket>(ActivateSkillConfigCmd(kActor, 13, 45, point));
    EXPECT_EQ(activate->skillIndex, 13u);
    EXPECT_EQ(activate->targetId.GetId(), 45u);
    EXPECT_EQ(activate->targetPoint, point);
    EXPECT_EQ(RoundTrip<ReleasePetConfigCmdPacket>(ReleasePetConfigCmd(kActor, 46))->value, 46u);
    RoundTrip<DisableTyphonSkillEffectsConfigCmdPacket>(DisableTyphonSkillEffectsConfigCmd(kActor));
}

}  // namespace GAME
