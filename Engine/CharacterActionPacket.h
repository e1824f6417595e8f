// The base of the packets that replay a character's action on the other peers. It frames
// the packet and carries the pre-move block: where the character must first run to (and
// with which target, skill and speed) before the action itself starts. Each kind adds
// its own fields through Serialize and Deserialize.
//
// On the wire, after the header:
//   b    pre-move flag (0 or 1; any other byte fails the read)
//   when the flag is 1:
//     V3   position
//     u32  target id (0 for none)
//     u32  skill number
//     f32  speed (finite and not negative, or the read fails)
//   then the kind's own fields.
// A block that is absent reads as the empty block.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/ObjectInteractionPacket.h"
#include "Engine/World.h"

namespace GAME {

class NetPacketInBuffer;
class NetPacketOutBuffer;

class CharacterActionPacket : public ObjectInteractionPacket {
public:
    explicit CharacterActionPacket(NetPacketType type) : ObjectInteractionPacket(type) {}

    uint32_t PrepareOutBuffer() override;
    bool CopyInbound(const unsigned char* data, int size) override;

    // The kind's fields, after the pre-move block.
    virtual void Serialize(NetPacketOutBuffer& out) = 0;
    virtual void Deserialize(NetPacketInBuffer& in) = 0;

    // The pre-move block.
    bool HasPreMove() const { return preMoveFlag != 0; }
    uint8_t preMoveFlag = 0;
    WorldVec3 preMovePosition;
    uint32_t preMoveTargetId = 0;
    uint32_t preMoveSkillNumber = 0;
    float preMoveSpeed = 0.0f;

protected:
    GAME_DECLARE_CLASS(CharacterActionPacket)
};

}  // namespace GAME
