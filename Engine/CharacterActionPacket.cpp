#include "Engine/CharacterActionPacket.h"

#include <cmath>

#include "Engine/NetPacketBuffer.h"

namespace GAME {

GAME_IMPLEMENT_ABSTRACT_CLASS(CharacterActionPacket, ObjectInteractionPacket)

namespace {

// A speed a character can run at.
bool IsUsableSpeed(float speed)
{
    return std::isfinite(speed) && speed >= 0.0f;
}

}  // namespace

uint32_t CharacterActionPacket::PrepareOutBuffer()
{
    NetPacketOutBuffer out(this);
    const bool present = HasPreMove();
    out.Add(&present);
    if (present) {
        if (!IsUsableSpeed(preMoveSpeed))
            out.Fail("the pre-move speed is not a finite, non-negative number");
        out.Add(&preMovePosition);
        out.AddU32(preMoveTargetId);
        out.AddU32(preMoveSkillNumber);
        out.AddF32(preMoveSpeed);
    }
    if (out.IsOk())
        Serialize(out);
    return out.Done();
}

bool CharacterActionPacket::CopyInbound(const unsigned char* data, int size)
{
    NetPacketInBuffer in(GetHeader(), data, size);
    bool present = false;
    in.Remove(&present);
    preMoveFlag = present ? 1 : 0;
    preMovePosition = WorldVec3();
    preMoveTargetId = 0;
    preMoveSkillNumber = 0;
    preMoveSpeed = 0.0f;
    if (present) {
        in.Remove(&preMovePosition);
        if (in.IsOk() && !preMovePosition.GetRegion())
            in.Fail("the pre-move position lies in no region");
        preMoveTargetId = in.RemoveU32();
        preMoveSkillNumber = in.RemoveU32();
        const float speed = in.RemoveF32();
        if (in.IsOk() && !IsUsableSpeed(speed))
            in.Fail("the pre-move speed is not a finite, non-negative number");
        preMoveSpeed = in.IsOk() ? speed : 0.0f;
    }
    Deserialize(in);
    return EndRead(in);
}

}  // namespace GAME
