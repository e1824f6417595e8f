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

// An action packet that names its character and nothing else.
template <class Derived, NetPacketType Type>
class CharacterOnlyActionPacket : public CharacterActionPacketOf<Derived, Type> {
public:
    SmartObjectId characterId{this};

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, Derived::kCharacterLabel);
    }
};

// The character and where it stands.
template <class Derived, NetPacketType Type>
class PositionActionPacket : public CharacterActionPacketOf<Derived, Type> {
public:
    SmartObjectId characterId{this};
    WorldVec3 position;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Entity ID: ");
        v(Wire::V3, position);
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
    SmartObjectId characterId{this};
    uint32_t targetId = 0;
    WorldVec3 startLocation;
    WorldVec3 worldLocation;
    uint32_t skillNumber = 0;
    float speed = 0.0f;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Entity ID: ");
        v(Wire::u32, targetId, "Target ID: ");
        v(Wire::V3, startLocation, "Start Location: ");
        v(Wire::V3, worldLocation, "World Location: ");
        v(Wire::h16, skillNumber, "Skill Number: ");
        v(Wire::f32, speed, "Speed: ");
        RequirePlaced(v, startLocation, "the start location lies in no region");
        RequirePlaced(v, worldLocation, "the world location lies in no region");
    }
};

class WalkPacket : public CharacterActionPacketOf<WalkPacket, 66> {
    GAME_DECLARE_CLASS(WalkPacket)

public:
    SmartObjectId characterId{this};
    uint32_t targetId = 0;
    WorldVec3 startLocation;
    WorldVec3 worldLocation;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Entity ID: ");
        v(Wire::u32, targetId, "Target ID: ");
        v(Wire::V3, startLocation, "Start Location: ");
        v(Wire::V3, worldLocation, "World Location: ");
        RequirePlaced(v, startLocation, "the start location lies in no region");
        RequirePlaced(v, worldLocation, "the world location lies in no region");
    }
};

// An item taken or used where the character stands.
template <class Derived, NetPacketType Type>
class ItemActionPacket : public CharacterActionPacketOf<Derived, Type> {
public:
    SmartObjectId characterId{this};
    uint32_t itemId = 0;
    WorldVec3 position;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Entity ID: ");
        v(Wire::u32, itemId, "Item ID: ");
        v(Wire::V3, position);
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
    SmartObjectId characterId{this};
    uint32_t defenderId = 0;
    WorldVec3 location;
    uint32_t skillNumber = 0;
    uint32_t seed = 0;   // only its low 16 bits travel
    WorldVec3 attackerPosition;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Attacker ID: ");
        v(Wire::u32, defenderId, "Defender ID: ");
        v(Wire::V3, location, "Location: ");
        v(Wire::h16, skillNumber, "Skill Number: ");
        v(Wire::h16, seed, "Seed: ");
        v(Wire::V3, attackerPosition);
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
    SmartObjectId characterId{this};
    std::vector<uint32_t> deathHandlerIds;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Entity ID: ");
        v(NetCount::Word, Wire::u32, deathHandlerIds, ListLabel{nullptr, nullptr, "Death Handler Id: "});
    }
};

// The character and the one it turns to.
template <class Derived, NetPacketType Type>
class TargetActionPacket : public CharacterActionPacketOf<Derived, Type> {
public:
    SmartObjectId characterId{this};
    uint32_t targetId = 0;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Entity ID: ");
        v(Wire::u32, targetId, "Target ID: ");
    }
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
    SmartObjectId characterId{this};
    uint32_t animationType = 0;
    AnimationNameBytes animationName;   // the empty name unless a sender sets one
    float speedModifier = 0.0f;
    bool loop = false;
    uint32_t iteration = 0;

    Name GetAnimationName() const { return Name::FromBytes(animationName.bytes); }

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Entity ID: ");
        v(Wire::Enum<kLastActionAnimationType>{}, animationType, "Animation Type: ");
        v(Wire::r16, animationName);
        v(Wire::f32, speedModifier, "Speed Modifier: ");
        v(Wire::b, loop, "Loop: ");
        v(Wire::u32, iteration, "Iteration: ");
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
    SmartObjectId characterId{this};
    WorldCoords respawnCoords;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::id, characterId, "Entity ID: ");
        v(Wire::WC, respawnCoords, "RespawnCoords: ");
        RequirePlaced(v, respawnCoords, "the respawn coordinates lie in no region");
    }
};

}  // namespace GAME
