// Actor config command packets: each carries the arguments of one command to the other
// peers, its actor's id first ("Parent ID: "). The packets only write, read and describe
// their fields; the receiver rebuilds the command and runs it.
//
// Id fields that a sender may leave 0 for "none" are nullable, so that such a packet is
// not dropped for naming no object: the targets of projectiles (97), skill activations
// (120), fixed items (102, and the primary target of 103 and 104) and skill results (88).
// The actor, the item picked up (86) and the requester of an ally request (116, 117)
// always name an object.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/NetPacketFields.h"
#include "Engine/World.h"
#include "Game/combat/CombatAttributeType.h"
#include "Game/core/Team.h"
#include "Game/items/ItemTypes.h"
#include "Game/skills/SkillState.h"

namespace GAME {

namespace Wire {
// No value: what filler bytes of a record are read into.
struct Pad {
    template <class V>
    static void NetFields(V&, Pad&)
    {
    }
};
// The filler bytes of a record sent whole: zeros out, ignored in.
template <size_t N>
struct Filler {
    static constexpr size_t kMinSize = N;
    static void Write(NetPacketOutBuffer& out, const Pad&)
    {
        for (size_t i = 0; i < N; ++i)
            out.AddU8(0);
    }
    static void Read(NetPacketInBuffer& in, Pad&)
    {
        unsigned char skipped[N];
        in.RemoveRawBytes(skipped, N);
    }
};
template <size_t N>
inline constexpr Filler<N> filler{};

// A skill's state as its 8-byte record, field by field: level, enabled (0 or 1, any other
// byte fails the read), three zero bytes. State is SkillState, const when writing.
template <class V, class State>
void SkillStateFields(V& v, State& state)
{
    Pad pad;
    v(i32, state.level, "Level: ");
    v(b, state.enabled, "Enabled: ");
    v(filler<3>, pad);
}

// A skill's active state as its 8-byte record: sub level, active and transition (each 0
// or 1), two zero bytes.
template <class V, class State>
void SkillActiveStateFields(V& v, State& state)
{
    Pad pad;
    v(i32, state.subLevel, "Sub Level: ");
    v(b, state.active, "Active: ");
    v(b, state.transition, "Transition: ");
    v(filler<2>, pad);
}

// A team as a 12-byte record: major, minor, the set flag (0 or 1, any other byte fails the
// read) and three zero bytes. A team that is not set reads as the default team. TeamT is
// Team, const when writing.
template <class V, class TeamT>
void TeamRecordFields(V& v, TeamT& team)
{
    uint32_t major = team.GetTeamMajor();
    uint32_t minor = team.GetTeamMinor();
    bool set = team.IsInitialized();
    Pad pad;
    v(u32, major);
    v(u32, minor);
    v(b, set);
    v(filler<3>, pad);
    if constexpr (V::kReading) {
        team = Team();
        if (set)
            team.Set(major, minor);
    }
}
}  // namespace Wire

// A list described as its heading and one line per element at level 1, labelled with a
// word, the element's index and ": ".
template <class V, class Kind, class T>
void DescribeIndexed(V& v, const char* heading, const char* word, Kind kind, const std::vector<T>& values)
{
    v.Heading(heading);
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string label = word + std::to_string(i) + ": ";
        v(kind, values[i], FieldLabel(label.c_str(), 1));
    }
}

// A vector of one kind with a 32-bit count, described element by element.
template <class V, class Kind, class T>
void IndexedVectorField(V& v, Kind kind, std::vector<T>& values, const char* heading, const char* word)
{
    if constexpr (V::kDescribing)
        DescribeIndexed(v, heading, word, kind, values);
    else
        v(NetCount::Word, kind, values);
}

// A list of object ids, its elements described as "Target " and their index.
template <class V>
void TargetListField(V& v, SmartObjectIdList& list, const char* heading)
{
    if constexpr (V::kDescribing)
        DescribeIndexed(v, heading, "Target ", Wire::u32, list.GetIds());
    else
        v(Wire::idList, list);
}

// Every command packet names its actor.
template <class Derived, NetPacketType Type>
class ConfigCmdPacket : public NetPacketOf<Derived, Type, ObjectInteractionPacket> {
public:
    SmartObjectId actorId{this};

protected:
    template <class V>
    void ActorField(V& v)
    {
        v(Wire::id, actorId, "Parent ID: ");
    }
};

// ---- Families declared from tables ------------------------------------------------------

// The actor alone.
template <class Derived, NetPacketType Type>
class ActorOnlyConfigCmdPacket : public ConfigCmdPacket<Derived, Type> {
public:
    template <class V>
    void Fields(V& v)
    {
        this->ActorField(v);
    }
};

#define GAME_ACTOR_ONLY_PACKET(Class, Type)                              \
    class Class : public ActorOnlyConfigCmdPacket<Class, Type> {         \
        GAME_DECLARE_CLASS(Class)                                        \
    };
GAME_ACTOR_ONLY_PACKET(IncBaseStrengthConfigCmdPacket, 89)
GAME_ACTOR_ONLY_PACKET(IncBaseDexterityConfigCmdPacket, 90)
GAME_ACTOR_ONLY_PACKET(IncBaseIntelligenceConfigCmdPacket, 91)
GAME_ACTOR_ONLY_PACKET(ReleaseTrapConfigCmdPacket, 94)
GAME_ACTOR_ONLY_PACKET(ReleaseStunConfigCmdPacket, 95)
GAME_ACTOR_ONLY_PACKET(ReleaseImmobilizeConfigCmdPacket, 96)
GAME_ACTOR_ONLY_PACKET(QuestMoveCompletedConfigCmdPacket, 121)
GAME_ACTOR_ONLY_PACKET(QuestAnimationCompletedConfigCmdPacket, 122)
GAME_ACTOR_ONLY_PACKET(DisableTyphonSkillEffectsConfigCmdPacket, 123)
#undef GAME_ACTOR_ONLY_PACKET

// The actor and one value of kind Kind, held as a T, labelled Label.
template <class Derived, NetPacketType Type, class Kind, class T, const char* Label>
class ActorValueConfigCmdPacket : public ConfigCmdPacket<Derived, Type> {
public:
    T value{};

    template <class V>
    void Fields(V& v)
    {
        this->ActorField(v);
        v(Kind{}, value, Label);
    }
};

namespace ConfigCmdLabels {
inline constexpr char kItemId[] = "Item ID: ";
inline constexpr char kPetId[] = "Pet ID: ";
inline constexpr char kSoundIndex[] = "Sound Index: ";
inline constexpr char kIncrementAmount[] = "Increment Amount: ";
inline constexpr char kVisible[] = "Visible: ";
inline constexpr char kCausesAnger[] = "CausesAnger: ";
inline constexpr char kInvincible[] = "Invincible: ";
}  // namespace ConfigCmdLabels

#define GAME_ACTOR_VALUE_PACKET(Class, Type, Kind, T, Label)                                              \
    class Class : public ActorValueConfigCmdPacket<Class, Type, Kind, T, ConfigCmdLabels::Label> {          \
        GAME_DECLARE_CLASS(Class)                                                                          \
    };
// An object id held as a plain word.
GAME_ACTOR_VALUE_PACKET(DetachItemConfigCmdPacket, 80, Wire::Word, uint32_t, kItemId)
GAME_ACTOR_VALUE_PACKET(ReleasePetConfigCmdPacket, 81, Wire::Word, uint32_t, kPetId)
GAME_ACTOR_VALUE_PACKET(RemoveInventoryItemConfigCmdPacket, 101, Wire::Word, uint32_t, kItemId)
GAME_ACTOR_VALUE_PACKET(PlaySoundConfigCmdPacket, 115, Wire::Word, uint32_t, kSoundIndex)
// An amount; 0 spends one attribute point.
GAME_ACTOR_VALUE_PACKET(IncBaseLifeConfigCmdPacket, 92, Wire::Word, int32_t, kIncrementAmount)
GAME_ACTOR_VALUE_PACKET(IncBaseManaConfigCmdPacket, 93, Wire::Word, int32_t, kIncrementAmount)
// A switch.
GAME_ACTOR_VALUE_PACKET(ShowCharacterConfigCmdPacket, 118, Wire::Bool, bool, kVisible)
GAME_ACTOR_VALUE_PACKET(SetCausesAngerConfigCmdPacket, 124, Wire::Bool, bool, kCausesAnger)
GAME_ACTOR_VALUE_PACKET(SetInvincibleConfigCmdPacket, 125, Wire::Bool, bool, kInvincible)
#undef GAME_ACTOR_VALUE_PACKET

// A fixed item's primary target and further targets; Derived names the list's heading.
template <class Derived, NetPacketType Type>
class FixedItemTargetsPacket : public ConfigCmdPacket<Derived, Type> {
public:
    SmartObjectIdNullable primaryTargetId{this};
    SmartObjectIdList targetIds{this};

    template <class V>
    void Fields(V& v)
    {
        this->ActorField(v);
        v(Wire::idNullable, primaryTargetId, "Primary Target ID: ");
        TargetListField(v, targetIds, Derived::kListHeading);
    }
};

class FixedItemTargetConfigCmdPacket : public FixedItemTargetsPacket<FixedItemTargetConfigCmdPacket, 103> {
    GAME_DECLARE_CLASS(FixedItemTargetConfigCmdPacket)

public:
    static constexpr const char* kListHeading = "Secondary Target IDs:";
};

class FixedItemSkillTargetConfigCmdPacket : public FixedItemTargetsPacket<FixedItemSkillTargetConfigCmdPacket, 104> {
    GAME_DECLARE_CLASS(FixedItemSkillTargetConfigCmdPacket)

public:
    static constexpr const char* kListHeading = "Skill Target IDs:";
};

class StrategicMovementTargetConfigCmdPacket
    : public ConfigCmdPacket<StrategicMovementTargetConfigCmdPacket, 105> {
    GAME_DECLARE_CLASS(StrategicMovementTargetConfigCmdPacket)

public:
    SmartObjectIdList targetIds{this};

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        TargetListField(v, targetIds, "Target IDs:");
    }
};

// ---- Items ------------------------------------------------------------------------------

// A location a peer names indexes the equipment slots: any other value fails the read.
inline constexpr Wire::Enum<EquipLocation_NoBone> kEquipLocationField{};

class AttachItemConfigCmdPacket : public ConfigCmdPacket<AttachItemConfigCmdPacket, 79> {
    GAME_DECLARE_CLASS(AttachItemConfigCmdPacket)

public:
    uint32_t itemId = 0;
    EquipLocations location = EquipLocation_None;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::u32, itemId, "Item ID: ");
        v(kEquipLocationField, location, "Equip Location: ");
    }
};

class DropItemConfigCmdPacket : public ConfigCmdPacket<DropItemConfigCmdPacket, 82> {
    GAME_DECLARE_CLASS(DropItemConfigCmdPacket)

public:
    uint32_t itemId = 0;
    float offset1 = 0.0f;
    float offset2 = 0.0f;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::u32, itemId, "Item ID: ");
        v(Wire::f32, offset1);
        v(Wire::f32, offset2);
    }
};

class DropItemFromEquipLocConfigCmdPacket : public ConfigCmdPacket<DropItemFromEquipLocConfigCmdPacket, 83> {
    GAME_DECLARE_CLASS(DropItemFromEquipLocConfigCmdPacket)

public:
    uint32_t itemId = 0;
    EquipLocations location = EquipLocation_None;
    bool toss = false;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::u32, itemId, "Item ID: ");
        v(kEquipLocationField, location, "Equip Location: ");
        v(Wire::b, toss, "Toss: ");
    }
};

class UseItemConfigCmdPacket : public ConfigCmdPacket<UseItemConfigCmdPacket, 84> {
    GAME_DECLARE_CLASS(UseItemConfigCmdPacket)

public:
    uint32_t itemId = 0;
    bool destroy = false;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::u32, itemId, "Item ID: ");
        v(Wire::b, destroy, "Destory: ");
    }
};

class UseRelicConfigCmdPacket : public ConfigCmdPacket<UseRelicConfigCmdPacket, 85> {
    GAME_DECLARE_CLASS(UseRelicConfigCmdPacket)

public:
    uint32_t relicId = 0;
    uint32_t itemId = 0;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::u32, relicId, "Relic ID: ");
        v(Wire::u32, itemId, "Item ID: ");
    }
};

class PickupItemConfigCmdPacket : public ConfigCmdPacket<PickupItemConfigCmdPacket, 86> {
    GAME_DECLARE_CLASS(PickupItemConfigCmdPacket)

public:
    SmartObjectId itemId{this};

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::id, itemId, "Item ID: ");
    }
};

// ---- Fixed items, allies, damage effects and teams --------------------------------------

// The state is the fixed item's to judge: one it does not know is ignored there.
class FixedItemStateChangeConfigCmdPacket : public ConfigCmdPacket<FixedItemStateChangeConfigCmdPacket, 102> {
    GAME_DECLARE_CLASS(FixedItemStateChangeConfigCmdPacket)

public:
    uint32_t state = 0;
    SmartObjectIdNullable targetId{this};
    bool doSound = false;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::u32, state, "State:     ");
        v(Wire::idNullable, targetId, "Target ID: ");
        v(Wire::b, doSound, "Do Sound:  ");
    }
};

class RequestAllyAttackConfigCmdPacket : public ConfigCmdPacket<RequestAllyAttackConfigCmdPacket, 116> {
    GAME_DECLARE_CLASS(RequestAllyAttackConfigCmdPacket)

public:
    SmartObjectId requesterId{this};
    uint32_t targetId = 0;   // a plain word, resolved by the ally

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::id, requesterId, "Requester ID: ");
        v(Wire::u32, targetId, "Target ID: ");
    }
};

class RequestAllyMoveConfigCmdPacket : public ConfigCmdPacket<RequestAllyMoveConfigCmdPacket, 117> {
    GAME_DECLARE_CLASS(RequestAllyMoveConfigCmdPacket)

public:
    SmartObjectId requesterId{this};
    WorldVec3 targetPoint;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::id, requesterId, "Requester ID: ");
        v(Wire::V3, targetPoint, "Target point: ");
    }
};

// A damage type a peer names indexes the tables of types: any other value fails the read.
class StartStopDamageEffectConfigCmdPacket : public ConfigCmdPacket<StartStopDamageEffectConfigCmdPacket, 119> {
    GAME_DECLARE_CLASS(StartStopDamageEffectConfigCmdPacket)

public:
    bool start = false;
    CombatAttributeType type = CombatAttributeType{};

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::b, start, "Start: ");
        v(Wire::Enum<kCombatAttributeTypeLast>{}, type, "Type: ");
    }
};

// The team goes as its 12-byte record.
class SetTeamConfigCmdPacket : public ConfigCmdPacket<SetTeamConfigCmdPacket, 126> {
    GAME_DECLARE_CLASS(SetTeamConfigCmdPacket)

public:
    Team team;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        Wire::TeamRecordFields(v, team);
    }
};

// ---- Skills -----------------------------------------------------------------------------
// Skill numbers are the actor's reference numbers of its skills, sent in 16-bit form.

// A buff of a caster's skill, made or removed on the actor. The names are record names
// the receiver must check before making anything of them.
class CreateRemoveSkillBuffConfigCmdPacket
    : public ConfigCmdPacket<CreateRemoveSkillBuffConfigCmdPacket, 87> {
    GAME_DECLARE_CLASS(CreateRemoveSkillBuffConfigCmdPacket)

public:
    uint32_t skillId = 0;
    uint32_t level = 0;
    uint32_t modifierLevel1 = 0;
    uint32_t modifierLevel2 = 0;
    std::string skillName;
    std::string modifierName1;
    std::string modifierName2;
    int32_t timeToLive = 0;
    uint32_t casterId = 0;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::u32, skillId, "Skill ID: ");
        v(Wire::u32, level, "Level: ");
        v(Wire::u32, modifierLevel1, "Mod Level 1: ");
        v(Wire::u32, modifierLevel2, "Mod Level 2: ");
        v(Wire::fn, skillName, "Skill Name: ");
        v(Wire::fn, modifierName1, "Mod Name 1: ");
        v(Wire::fn, modifierName2, "Mod Name 2: ");
        v(Wire::i32, timeToLive, "Time To Live: ");
        v(Wire::u32, casterId, "Caster ID: ");
    }
};

// The result of a skill's targeting. A flag byte before the actor id says which of the
// optional fields follow: the hit iteration (as one signed byte) when it is not 0, and
// the targets, one id alone or the whole list. Bits the sender does not set are ignored.
class SkillTargetResultConfigCmdPacket : public ConfigCmdPacket<SkillTargetResultConfigCmdPacket, 88> {
    GAME_DECLARE_CLASS(SkillTargetResultConfigCmdPacket)

public:
    static constexpr uint8_t kUseWeaponFlag = 1;
    static constexpr uint8_t kHitIterationFlag = 2;
    static constexpr uint8_t kSingleTargetFlag = 4;
    static constexpr uint8_t kTargetListFlag = 8;

    uint32_t skillNumber = 0;
    uint16_t seed = 0;
    uint32_t weaponId = 0;
    bool useWeapon = false;
    SmartObjectIdListNullable targetIds{this};
    WorldCoords origin;
    int32_t hitIteration = 0;

    uint8_t GetFlags() const
    {
        uint8_t flags = useWeapon ? kUseWeaponFlag : 0;
        if (hitIteration != 0)
            flags |= kHitIterationFlag;
        if (targetIds.Size() >= 2)
            flags |= kTargetListFlag;
        else if (targetIds.Size() == 1)
            flags |= kSingleTargetFlag;
        return flags;
    }

    template <class V>
    void Fields(V& v)
    {
        uint8_t flags = 0;
        if constexpr (!V::kReading)
            flags = GetFlags();
        v(Wire::u8, flags);
        v(Wire::id, actorId);
        v(Wire::h16, skillNumber, "Skill Number: ");
        v(Wire::u16, seed, "Seed: ");
        v(Wire::u32, weaponId, "Weapon ID: ");
        if constexpr (V::kDescribing)
            v(Wire::b, useWeapon, "Use weapon flag: ");
        v(Wire::WC, origin, "Origin Coords: ");

        uint8_t iteration = static_cast<uint8_t>(hitIteration);
        if (flags & kHitIterationFlag)
            v(Wire::u8, iteration);
        if constexpr (V::kReading)
            hitIteration = (flags & kHitIterationFlag) ? static_cast<int8_t>(iteration) : 0;
        if constexpr (V::kDescribing)
            v(Wire::i32, hitIteration, "Hit Iteration: ");

        if constexpr (V::kDescribing) {
            TargetListField(v, targetIds, "Target IDs:");
        } else if (flags & kTargetListFlag) {
            v(Wire::idListNullable, targetIds);
        } else {
            uint32_t single = targetIds.Size() ? targetIds.GetIds()[0] : 0;
            if (flags & kSingleTargetFlag)
                v(Wire::u32, single);
            if constexpr (V::kReading) {
                targetIds.Clear();
                if (flags & kSingleTargetFlag)
                    targetIds.AddId(single);
            }
        }
        if constexpr (V::kReading)
            useWeapon = (flags & kUseWeaponFlag) != 0;
    }
};

class CreateProjectileConfigCmdPacket : public ConfigCmdPacket<CreateProjectileConfigCmdPacket, 97> {
    GAME_DECLARE_CLASS(CreateProjectileConfigCmdPacket)

public:
    uint32_t skillNumber = 0;
    uint32_t projectileId = 0;   // the id every peer makes the projectile under
    uint32_t weaponId = 0;
    WorldCoords origin;
    SmartObjectIdNullable targetId{this};
    WorldVec3 point;
    uint16_t seed = 0;
    int32_t hitIteration = 0;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::h16, skillNumber, "Skill Number: ");
        v(Wire::u32, projectileId, "Projectile ID: ");
        v(Wire::u32, weaponId, "Weapon ID: ");
        v(Wire::WC, origin, "Origin: ");
        v(Wire::idNullable, targetId, "Target ID: ");
        v(Wire::V3, point, "Point: ");
        v(Wire::u16, seed, "Seed: ");
        v(Wire::i32, hitIteration, "Hit Iteration:");
    }
};

class SpawnObjectConfigCmdPacket : public ConfigCmdPacket<SpawnObjectConfigCmdPacket, 98> {
    GAME_DECLARE_CLASS(SpawnObjectConfigCmdPacket)

public:
    uint32_t skillNumber = 0;
    WorldCoords origin;
    uint32_t targetId = 0;
    std::vector<WorldCoords> spawnCoords;
    std::vector<uint32_t> spawnIds;
    uint16_t lastValue = 0;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::h16, skillNumber, "Skill Number: ");
        v(Wire::WC, origin, "Origin: ");
        v(Wire::u32, targetId, "Target Id: ");
        IndexedVectorField(v, Wire::WC, spawnCoords, "Spawn Coords:", "Coords ");
        IndexedVectorField(v, Wire::u32, spawnIds, "Spawn IDs:", "ID ");
        v(Wire::u16, lastValue);
    }
};

// The skill's state as its 8-byte record.
class SkillStateUpdateConfigCmdPacket : public ConfigCmdPacket<SkillStateUpdateConfigCmdPacket, 99> {
    GAME_DECLARE_CLASS(SkillStateUpdateConfigCmdPacket)

public:
    uint32_t skillNumber = 0;
    SkillState state;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::h16, skillNumber, "Skill Number: ");
        Wire::SkillStateFields(v, state);
    }
};

// The skill's active state as its 8-byte record.
class SkillActiveStateUpdateConfigCmdPacket
    : public ConfigCmdPacket<SkillActiveStateUpdateConfigCmdPacket, 100> {
    GAME_DECLARE_CLASS(SkillActiveStateUpdateConfigCmdPacket)

public:
    uint32_t skillNumber = 0;
    SkillActiveState state;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::h16, skillNumber, "Skill Number: ");
        Wire::SkillActiveStateFields(v, state);
    }
};

class ActivateSkillConfigCmdPacket : public ConfigCmdPacket<ActivateSkillConfigCmdPacket, 120> {
    GAME_DECLARE_CLASS(ActivateSkillConfigCmdPacket)

public:
    uint32_t skillIndex = 0;
    SmartObjectIdNullable targetId{this};
    WorldVec3 targetPoint;

    template <class V>
    void Fields(V& v)
    {
        ActorField(v);
        v(Wire::h16, skillIndex, "Skill Index: ");
        v(Wire::idNullable, targetId, "Target ID: ");
        v(Wire::V3, targetPoint, "Target Point: ");
    }
};

}  // namespace GAME
