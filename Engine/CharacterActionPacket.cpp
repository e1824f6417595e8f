#include "Engine/CharacterActionPacket.h"

#include <cmath>

#include "Engine/NetPacketBuffer.h"

namespace GAME {

GAME_IMPLEMENT_ABSTRACT_CLASS(CharacterActionPacket, ObjectInteractionPacket)

uint32_t CharacterActionPacket::PrepareOutBuffer()
{
    NetPacketOutBuffer out(this);
    WritePreMove(out);
    if (out.IsOk())
        Serialize(out);
    return out.Done();
}

bool CharacterActionPacket::CopyInbound(const unsigned char* data, int size)
{
    NetPacketInBuffer in(GetHeader(), data, size);
    ReadPreMove(in);
    Deserialize(in);
    return EndRead(in);
}

}  // namespace GAME
