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

namespace Wire {
// Field kinds of several values, for the rows of GAME_NET_FIELDS.

// A skill's state and active state as their 8-byte records (SkillStateFields).
struct SkillStateRecord {
    template <class V, class State>
    void Visit(V& v, State& state) const
    {
        SkillStateFields(v, state);
    }
};
struct SkillActiveStateRecord {
    template <class V, class State>
    void Visit(V& v, State& state) const
    {
        SkillActiveStateFields(v, state);
    }
};
// A team as its 12-byte record (TeamRecordFields).
struct TeamRecord {
    template <class V, class TeamT>
    void Visit(V& v, TeamT& team) const
    {
        TeamRecordFields(v, team);
    }
};

// A vector of one kind with a 32-bit count, described element by element under a
// heading, each labelled with a word and its index.
template <class Kind>
struct IndexedList {
    Kind kind;
    const char* heading;
    const char* word;

    template <class V, class T>
    void Visit(V& v, std::vector<T>& values) const
    {
        if constexpr (V::kDescribing)
            DescribeIndexed(v, heading, word, kind, values);
        else
            v(NetCount::Word, kind, values);
    }
};
template <class Kind>
IndexedList(Kind, const char*, const char*) -> IndexedList<Kind>;

// A list of object ids, its elements described as "Target " and their index.
struct TargetList {
    const char* heading;

    template <class V>
    void Visit(V& v, SmartObjectIdList& list) const
    {
        if constexpr (V::kDescribing)
            DescribeIndexed(v, heading, "Target ", u32, list.GetIds());
        else
            v(idList, list);
    }
};
}  // namespace Wire

// Every command packet names its actor, before the fields its rows declare.
template <class Derived, NetPacketType Type>
class ConfigCmdPacket : public NetPacketOf<Derived, Type, ObjectInteractionPacket> {
public:
    SmartObjectId actorId{this};

    template <class V>
    void LeadingFields(V& v)
    {
        v(Wire::id, actorId, "Parent ID: ");
    }
    // The actor alone.
    template <class V>
    void Fields(V& v)
    {
        LeadingFields(v);
    }
    std::tuple<> Values() { return {}; }
};

// ---- Families declared from tables ------------------------------------------------------

#define GAME_ACTOR_ONLY_PACKET(Class, Type)                              \
    class Class : public ConfigCmdPacket<Class, Type> {                  \
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

// The actor and one value, a T of kind Kind.
#define GAME_ACTOR_VALUE_PACKET(Class, Type, Kind, T, Label)              \
    class Class : public ConfigCmdPacket<Class, Type> {                   \
        GAME_DECLARE_CLASS(Class)                                         \
                                                                          \
    public:                                                               \
        GAME_NET_FIELDS((Kind, T, value, Label))                          \
    };
// An object id held as a plain word.
GAME_ACTOR_VALUE_PACKET(DetachItemConfigCmdPacket, 80, Wire::u32, uint32_t, "Item ID: ")
GAME_ACTOR_VALUE_PACKET(ReleasePetConfigCmdPacket, 81, Wire::u32, uint32_t, "Pet ID: ")
GAME_ACTOR_VALUE_PACKET(RemoveInventoryItemConfigCmdPacket, 101, Wire::u32, uint32_t, "Item ID: ")
GAME_ACTOR_VALUE_PACKET(PlaySoundConfigCmdPacket, 115, Wire::u32, uint32_t, "Sound Index: ")
// An amount; 0 spends one attribute point.
GAME_ACTOR_VALUE_PACKET(IncBaseLifeConfigCmdPacket, 92, Wire::i32, int32_t, "Increment Amount: ")
GAME_ACTOR_VALUE_PACKET(IncBaseManaConfigCmdPacket, 93, Wire::i32, int32_t, "Increment Amount: ")
// A switch.
GAME_ACTOR_VALUE_PACKET(ShowCharacterConfigCmdPacket, 118, Wire::b, bool, "Visible: ")
GAME_ACTOR_VALUE_PACKET(SetCausesAngerConfigCmdPacket, 124, Wire::b, bool, "CausesAnger: ")
GAME_ACTOR_VALUE_PACKET(SetInvincibleConfigCmdPacket, 125, Wire::b, bool, "Invincible: ")
#undef GAME_ACTOR_VALUE_PACKET

// A fixed item's primary target and further targets, the list under its heading.
#define GAME_FIXED_ITEM_TARGETS_PACKET(Class, Type, Heading)                                      \
    class Class : public ConfigCmdPacket<Class, Type> {                                           \
        GAME_DECLARE_CLASS(Class)                                                                 \
                                                                                                  \
    public:                                                                                       \
        GAME_NET_FIELDS((Wire::idNullable, SmartObjectIdNullable, primaryTargetId, "Primary Target ID: "), \
                        (Wire::TargetList{Heading}, SmartObjectIdList, targetIds))               \
    };
GAME_FIXED_ITEM_TARGETS_PACKET(FixedItemTargetConfigCmdPacket, 103, "Secondary Target IDs:")
GAME_FIXED_ITEM_TARGETS_PACKET(FixedItemSkillTargetConfigCmdPacket, 104, "Skill Target IDs:")
#undef GAME_FIXED_ITEM_TARGETS_PACKET

class StrategicMovementTargetConfigCmdPacket
    : public ConfigCmdPacket<StrategicMovementTargetConfigCmdPacket, 105> {
    GAME_DECLARE_CLASS(StrategicMovementTargetConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::TargetList{"Target IDs:"}, SmartObjectIdList, targetIds))
};

// ---- Items ------------------------------------------------------------------------------

// A location a peer names indexes the equipment slots: any other value fails the read.
inline constexpr Wire::Enum<EquipLocation_NoBone> kEquipLocationField{};

class AttachItemConfigCmdPacket : public ConfigCmdPacket<AttachItemConfigCmdPacket, 79> {
    GAME_DECLARE_CLASS(AttachItemConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, itemId, "Item ID: "),
                    (kEquipLocationField, EquipLocations, location, "Equip Location: "))
};

class DropItemConfigCmdPacket : public ConfigCmdPacket<DropItemConfigCmdPacket, 82> {
    GAME_DECLARE_CLASS(DropItemConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, itemId, "Item ID: "), (Wire::f32, float, offset1),
                    (Wire::f32, float, offset2))
};

class DropItemFromEquipLocConfigCmdPacket : public ConfigCmdPacket<DropItemFromEquipLocConfigCmdPacket, 83> {
    GAME_DECLARE_CLASS(DropItemFromEquipLocConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, itemId, "Item ID: "),
                    (kEquipLocationField, EquipLocations, location, "Equip Location: "),
                    (Wire::b, bool, toss, "Toss: "))
};

class UseItemConfigCmdPacket : public ConfigCmdPacket<UseItemConfigCmdPacket, 84> {
    GAME_DECLARE_CLASS(UseItemConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, itemId, "Item ID: "), (Wire::b, bool, destroy, "Destory: "))
};

class UseRelicConfigCmdPacket : public ConfigCmdPacket<UseRelicConfigCmdPacket, 85> {
    GAME_DECLARE_CLASS(UseRelicConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, relicId, "Relic ID: "), (Wire::u32, uint32_t, itemId, "Item ID: "))
};

class PickupItemConfigCmdPacket : public ConfigCmdPacket<PickupItemConfigCmdPacket, 86> {
    GAME_DECLARE_CLASS(PickupItemConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, itemId, "Item ID: "))
};

// ---- Fixed items, allies, damage effects and teams --------------------------------------

// The state is the fixed item's to judge: one it does not know is ignored there.
class FixedItemStateChangeConfigCmdPacket : public ConfigCmdPacket<FixedItemStateChangeConfigCmdPacket, 102> {
    GAME_DECLARE_CLASS(FixedItemStateChangeConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, state, "State:     "),
                    (Wire::idNullable, SmartObjectIdNullable, targetId, "Target ID: "),
                    (Wire::b, bool, doSound, "Do Sound:  "))
};

// The target is a plain word, resolved by the ally.
class RequestAllyAttackConfigCmdPacket : public ConfigCmdPacket<RequestAllyAttackConfigCmdPacket, 116> {
    GAME_DECLARE_CLASS(RequestAllyAttackConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, requesterId, "Requester ID: "),
                    (Wire::u32, uint32_t, targetId, "Target ID: "))
};

class RequestAllyMoveConfigCmdPacket : public ConfigCmdPacket<RequestAllyMoveConfigCmdPacket, 117> {
    GAME_DECLARE_CLASS(RequestAllyMoveConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, requesterId, "Requester ID: "),
                    (Wire::V3, WorldVec3, targetPoint, "Target point: "))
};

// A damage type a peer names indexes the tables of types: any other value fails the read.
class StartStopDamageEffectConfigCmdPacket : public ConfigCmdPacket<StartStopDamageEffectConfigCmdPacket, 119> {
    GAME_DECLARE_CLASS(StartStopDamageEffectConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::b, bool, start, "Start: "),
                    (Wire::Enum<kCombatAttributeTypeLast>{}, CombatAttributeType, type, "Type: "))
};

// The team goes as its 12-byte record.
class SetTeamConfigCmdPacket : public ConfigCmdPacket<SetTeamConfigCmdPacket, 126> {
    GAME_DECLARE_CLASS(SetTeamConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::TeamRecord{}, Team, team))
};

// ---- Skills -----------------------------------------------------------------------------
// Skill numbers are the actor's reference numbers of its skills, sent in 16-bit form.

// A buff of a caster's skill, made or removed on the actor. The names are record names
// the receiver must check before making anything of them.
class CreateRemoveSkillBuffConfigCmdPacket
    : public ConfigCmdPacket<CreateRemoveSkillBuffConfigCmdPacket, 87> {
    GAME_DECLARE_CLASS(CreateRemoveSkillBuffConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, skillId, "Skill ID: "), (Wire::u32, uint32_t, level, "Level: "),
                    (Wire::u32, uint32_t, modifierLevel1, "Mod Level 1: "),
                    (Wire::u32, uint32_t, modifierLevel2, "Mod Level 2: "),
                    (Wire::fn, std::string, skillName, "Skill Name: "),
                    (Wire::fn, std::string, modifierName1, "Mod Name 1: "),
                    (Wire::fn, std::string, modifierName2, "Mod Name 2: "),
                    (Wire::i32, int32_t, timeToLive, "Time To Live: "), (Wire::u32, uint32_t, casterId, "Caster ID: "))
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

    auto Values() { return std::tie(skillNumber, targetIds, origin, seed, weaponId, useWeapon, hitIteration); }

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
            Wire::TargetList{"Target IDs:"}.Visit(v, targetIds);
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

// The projectile id is the id every peer makes the projectile under.
class CreateProjectileConfigCmdPacket : public ConfigCmdPacket<CreateProjectileConfigCmdPacket, 97> {
    GAME_DECLARE_CLASS(CreateProjectileConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::h16, uint32_t, skillNumber, "Skill Number: "),
                    (Wire::u32, uint32_t, projectileId, "Projectile ID: "),
                    (Wire::u32, uint32_t, weaponId, "Weapon ID: "), (Wire::WC, WorldCoords, origin, "Origin: "),
                    (Wire::idNullable, SmartObjectIdNullable, targetId, "Target ID: "),
                    (Wire::V3, WorldVec3, point, "Point: "), (Wire::u16, uint16_t, seed, "Seed: "),
                    (Wire::i32, int32_t, hitIteration, "Hit Iteration:"))
};

class SpawnObjectConfigCmdPacket : public ConfigCmdPacket<SpawnObjectConfigCmdPacket, 98> {
    GAME_DECLARE_CLASS(SpawnObjectConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::h16, uint32_t, skillNumber, "Skill Number: "), (Wire::WC, WorldCoords, origin, "Origin: "),
                    (Wire::u32, uint32_t, targetId, "Target Id: "),
                    ((Wire::IndexedList{Wire::WC, "Spawn Coords:", "Coords "}), std::vector<WorldCoords>, spawnCoords),
                    ((Wire::IndexedList{Wire::u32, "Spawn IDs:", "ID "}), std::vector<uint32_t>, spawnIds),
                    (Wire::u16, uint16_t, lastValue))
};

// The skill's state as its 8-byte record.
class SkillStateUpdateConfigCmdPacket : public ConfigCmdPacket<SkillStateUpdateConfigCmdPacket, 99> {
    GAME_DECLARE_CLASS(SkillStateUpdateConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::h16, uint32_t, skillNumber, "Skill Number: "), (Wire::SkillStateRecord{}, SkillState, state))
};

// The skill's active state as its 8-byte record.
class SkillActiveStateUpdateConfigCmdPacket
    : public ConfigCmdPacket<SkillActiveStateUpdateConfigCmdPacket, 100> {
    GAME_DECLARE_CLASS(SkillActiveStateUpdateConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::h16, uint32_t, skillNumber, "Skill Number: "),
                    (Wire::SkillActiveStateRecord{}, SkillActiveState, state))
};

class ActivateSkillConfigCmdPacket : public ConfigCmdPacket<ActivateSkillConfigCmdPacket, 120> {
    GAME_DECLARE_CLASS(ActivateSkillConfigCmdPacket)

public:
    GAME_NET_FIELDS((Wire::h16, uint32_t, skillIndex, "Skill Index: "),
                    (Wire::idNullable, SmartObjectIdNullable, targetId, "Target ID: "),
                    (Wire::V3, WorldVec3, targetPoint, "Target Point: "))
};

}  // namespace GAME
