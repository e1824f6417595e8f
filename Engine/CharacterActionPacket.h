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

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>

#include "Engine/NetPacketDescriber.h"
#include "Engine/NetPacketFields.h"
#include "Engine/ObjectInteractionPacket.h"
#include "Engine/World.h"

namespace GAME {

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

protected:
    // The pre-move block's bytes, the one place they are laid out. Inline, so that a
    // kind's flattened writer and reader keep their buffer in registers.
    void WritePreMove(NetPacketOutBuffer& out) const
    {
        const bool present = HasPreMove();
        out.Add(&present);
        if (!present)
            return;
        if (!IsUsableSpeed(preMoveSpeed))
            out.Fail("the pre-move speed is not a finite, non-negative number");
        out.Add(&preMovePosition);
        out.AddU32(preMoveTargetId);
        out.AddU32(preMoveSkillNumber);
        out.AddF32(preMoveSpeed);
    }

    // Reads the block; an absent one reads as the empty block.
    void ReadPreMove(NetPacketInBuffer& in)
    {
        bool present = false;
        in.Remove(&present);
        preMoveFlag = present ? 1 : 0;
        preMovePosition = WorldVec3();
        preMoveTargetId = 0;
        preMoveSkillNumber = 0;
        preMoveSpeed = 0.0f;
        if (!present)
            return;
        in.Remove(&preMovePosition);
        if (in.IsOk() && !preMovePosition.GetRegion())
            in.Fail("the pre-move position lies in no region");
        preMoveTargetId = in.RemoveU32();
        preMoveSkillNumber = in.RemoveU32();
        // Tested on the bits, which stay out of the float unit: every positive finite
        // number lies below the bits of infinity, and -0 is not negative.
        const uint32_t bits = in.RemoveU32();
        if (in.IsOk() && !(bits < 0x7f800000u || bits == 0x80000000u))
            in.Fail("the pre-move speed is not a finite, non-negative number");
        preMoveSpeed = in.IsOk() ? std::bit_cast<float>(bits) : 0.0f;
    }

private:
    // A speed a character can run at.
    static bool IsUsableSpeed(float speed) { return std::isfinite(speed) && speed >= 0.0f; }
};

// A kind of action packet declared by its field list (see NetPacketFields.h): Derived
// states `template <class V> void Fields(V&)`, which Serialize, Deserialize and the
// description run after the base has framed the packet and handled the pre-move block.
template <class Derived, NetPacketType Type>
class CharacterActionPacketOf : public CharacterActionPacket {
public:
    static constexpr NetPacketType kType = Type;

    CharacterActionPacketOf() : CharacterActionPacket(Type) {}

    // The base's framing with the kind's fields inlined (see NetPacketOf).
    GAME_NET_FLATTEN uint32_t PrepareOutBuffer() override
    {
        NetPacketOutBuffer out(this);
        WritePreMove(out);
        if (out.IsOk()) {
            NetFieldWriter writer(out);
            Self().Fields(writer);
        }
        return out.Done();
    }

    GAME_NET_FLATTEN bool CopyInbound(const unsigned char* data, int size) override
    {
        NetPacketInBuffer in(GetHeader(), data, size);
        ReadPreMove(in);
        NetFieldReader reader(in);
        Self().Fields(reader);
        return EndRead(in);
    }

    void Serialize(NetPacketOutBuffer& out) override
    {
        NetFieldWriter writer(out);
        Self().Fields(writer);
    }

    void Deserialize(NetPacketInBuffer& in) override
    {
        NetFieldReader reader(in);
        Self().Fields(reader);
    }

    std::string GetPacketDescription(bool verbose) override
    {
        NetPacketDescriber describer(this, verbose);
        NetFieldDescriber visitor(describer);
        Self().Fields(visitor);
        return describer.GetDescription();
    }

private:
    Derived& Self() { return static_cast<Derived&>(*this); }
};

// A received position an action acts at must lie in a region (the reader has already
// refused unknown regions and non-finite numbers).
template <class V, class Point>
void RequirePlaced(V& v, const Point& point, const char* what)
{
    if constexpr (V::kReading) {
        if (v.IsOk() && !point.GetRegion())
            v.Fail(what);
    }
}

}  // namespace GAME
