// The packets that replay a character's action on the other peers, one class per kind
// of action. Each carries the acting character's id first (after the base's pre-move
// block), then the kind's own fields. A received position must lie in a region, and an
// animation type must be one of the 32 the characters know; a packet that breaks either
// is refused whole.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/CharacterActionPacket.h"
#include "Engine/Name.h"
#include "Engine/World.h"

namespace GAME {

// The highest animation type a packet may name.
inline constexpr uint32_t kLastActionAnimationType = 31;

// A path's two ends, read, must each lie in a region.
template <class V>
void RequirePlacedPath(V& v, const WorldVec3& start, const WorldVec3& end)
{
    RequirePlaced(v, start, "the start location lies in no region");
    RequirePlaced(v, end, "the world location lies in no region");
}

// An action packet that names its character and nothing else.
template <class Derived, NetPacketType Type>
class CharacterOnlyActionPacket : public CharacterActionPacketOf<Derived, Type> {
public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, Derived::kCharacterLabel))
};

// The character and where it stands.
template <class Derived, NetPacketType Type>
class PositionActionPacket : public CharacterActionPacketOf<Derived, Type> {
public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Entity ID: "), (Wire::V3, WorldVec3, position))

    template <class V>
    void CheckFields(V& v)
    {
        RequirePlaced(v, position, "the character's position lies in no region");
    }
};

class IdleActionPacket : public PositionActionPacket<IdleActionPacket, 63> {
    GAME_DECLARE_CLASS(IdleActionPacket)
};

class LongIdleActionPacket : public PositionActionPacket<LongIdleActionPacket, 64> {
    GAME_DECLARE_CLASS(LongIdleActionPacket)
};

class MoveToPacket : public CharacterActionPacketOf<MoveToPacket, 65> {
    GAME_DECLARE_CLASS(MoveToPacket)

public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Entity ID: "), (Wire::u32, uint32_t, targetId, "Target ID: "),
                    (Wire::V3, WorldVec3, startLocation, "Start Location: "),
                    (Wire::V3, WorldVec3, worldLocation, "World Location: "),
                    (Wire::h16, uint32_t, skillNumber, "Skill Number: "), (Wire::f32, float, speed, "Speed: "))

    template <class V>
    void CheckFields(V& v)
    {
        RequirePlacedPath(v, startLocation, worldLocation);
    }
};

class WalkPacket : public CharacterActionPacketOf<WalkPacket, 66> {
    GAME_DECLARE_CLASS(WalkPacket)

public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Entity ID: "), (Wire::u32, uint32_t, targetId, "Target ID: "),
                    (Wire::V3, WorldVec3, startLocation, "Start Location: "),
                    (Wire::V3, WorldVec3, worldLocation, "World Location: "))

    template <class V>
    void CheckFields(V& v)
    {
        RequirePlacedPath(v, startLocation, worldLocation);
    }
};

// An item taken or used where the character stands.
template <class Derived, NetPacketType Type>
class ItemActionPacket : public CharacterActionPacketOf<Derived, Type> {
public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Entity ID: "), (Wire::u32, uint32_t, itemId, "Item ID: "),
                    (Wire::V3, WorldVec3, position))

    template <class V>
    void CheckFields(V& v)
    {
        RequirePlaced(v, position, "the character's position lies in no region");
    }
};

class PickUpItemPacket : public ItemActionPacket<PickUpItemPacket, 67> {
    GAME_DECLARE_CLASS(PickUpItemPacket)
};

class UseItemPacket : public ItemActionPacket<UseItemPacket, 68> {
    GAME_DECLARE_CLASS(UseItemPacket)
};

class AttackPacket : public CharacterActionPacketOf<AttackPacket, 69> {
    GAME_DECLARE_CLASS(AttackPacket)

public:
    // Only the seed's low 16 bits travel.
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Attacker ID: "),
                    (Wire::u32, uint32_t, defenderId, "Defender ID: "), (Wire::V3, WorldVec3, location, "Location: "),
                    (Wire::h16, uint32_t, skillNumber, "Skill Number: "), (Wire::h16, uint32_t, seed, "Seed: "),
                    (Wire::V3, WorldVec3, attackerPosition))

    template <class V>
    void CheckFields(V& v)
    {
        RequirePlaced(v, attackerPosition, "the attacker's position lies in no region");
    }
};

class TakeStunPacket : public CharacterOnlyActionPacket<TakeStunPacket, 70> {
    GAME_DECLARE_CLASS(TakeStunPacket)

public:
    static constexpr const char* kCharacterLabel = "Parent ID: ";
};

class ImmobilizePacket : public CharacterOnlyActionPacket<ImmobilizePacket, 71> {
    GAME_DECLARE_CLASS(ImmobilizePacket)

public:
    static constexpr const char* kCharacterLabel = "Parent ID: ";
};

class TakeTrapPacket : public CharacterOnlyActionPacket<TakeTrapPacket, 72> {
    GAME_DECLARE_CLASS(TakeTrapPacket)

public:
    static constexpr const char* kCharacterLabel = "Parent ID: ";
};

class DiePacket : public CharacterActionPacketOf<DiePacket, 73> {
    GAME_DECLARE_CLASS(DiePacket)

public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Entity ID: "),
                    ((Wire::List{NetCount::Word, Wire::u32, ListLabel{nullptr, nullptr, "Death Handler Id: "}}),
                     std::vector<uint32_t>, deathHandlerIds))
};

// The character and the one it turns to.
template <class Derived, NetPacketType Type>
class TargetActionPacket : public CharacterActionPacketOf<Derived, Type> {
public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Entity ID: "), (Wire::u32, uint32_t, targetId, "Target ID: "))
};

class ChatActionPacket : public TargetActionPacket<ChatActionPacket, 74> {
    GAME_DECLARE_CLASS(ChatActionPacket)
};

// The 16 bytes an animation name travels as (see Name::FromBytes).
struct AnimationNameBytes {
    unsigned char bytes[Name::kByteSize] = {};
};

class PlayAnimationActionPacket : public CharacterActionPacketOf<PlayAnimationActionPacket, 75> {
    GAME_DECLARE_CLASS(PlayAnimationActionPacket)

public:
    // The animation name is the empty name unless a sender sets one.
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Entity ID: "),
                    (Wire::Enum<kLastActionAnimationType>{}, uint32_t, animationType, "Animation Type: "),
                    (Wire::r16, AnimationNameBytes, animationName), (Wire::f32, float, speedModifier, "Speed Modifier: "),
                    (Wire::b, bool, loop, "Loop: "), (Wire::u32, uint32_t, iteration, "Iteration: "))

    Name GetAnimationName() const { return Name::FromBytes(animationName.bytes); }

    template <class V>
    void CheckFields(V& v)
    {
        if constexpr (V::kReading) {
            bool printable = true;
            Name::FromBytes(animationName.bytes, &printable);
            if (v.IsOk() && !printable)
                v.Fail("the animation name is not printable text");
        }
    }
};

class EngageNpcPacket : public TargetActionPacket<EngageNpcPacket, 76> {
    GAME_DECLARE_CLASS(EngageNpcPacket)
};

class SpawnActionPacket : public CharacterOnlyActionPacket<SpawnActionPacket, 77> {
    GAME_DECLARE_CLASS(SpawnActionPacket)

public:
    static constexpr const char* kCharacterLabel = "Entity ID: ";
};

class RespawnPacket : public CharacterActionPacketOf<RespawnPacket, 78> {
    GAME_DECLARE_CLASS(RespawnPacket)

public:
    GAME_NET_FIELDS((Wire::id, SmartObjectId, characterId, "Entity ID: "),
                    (Wire::WC, WorldCoords, respawnCoords, "RespawnCoords: "))

    template <class V>
    void CheckFields(V& v)
    {
        RequirePlaced(v, respawnCoords, "the respawn coordinates lie in no region");
    }
};

}  // namespace GAME
