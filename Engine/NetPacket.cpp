#include "Engine/NetPacket.h"

#include "Engine/NetPacketBuffer.h"

namespace GAME {

// The root of the packet family; it has no parent, so nothing under Object reaches it.
RTTI_ClassInfo NetPacket::classInfo("NetPacket", nullptr, &NetPacket::RTTI_new);

void* NetPacket::RTTI_new()
{
    return nullptr;
}

NetPacket::NetPacket(NetPacketType type)
{
    m_header.type = type;
}

NetPacket::~NetPacket() = default;

bool NetPacket::CheckObjects(int)
{
    return true;
}

void NetPacket::CollectObjectIds(std::vector<uint32_t>&, bool) const {}

void NetPacket::FinishObjectProcessing() {}

}  // namespace GAME
