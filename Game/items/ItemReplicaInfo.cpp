#include "Game/items/ItemReplicaInfo.h"

#include "Engine/IOStream.h"

namespace GAME {

uint8_t ItemReplicaInfo::GetNetFlags() const
{
    uint8_t flags = 0;
    if (!prefixName.empty())
        flags |= kNetPrefix;
    if (!suffixName.empty())
        flags |= kNetSuffix;
    if (!relicName.empty())
        flags |= kNetRelic;
    if (!relicBonus.empty())
        flags |= kNetRelicBonus;
    if (seed != 0)
        flags |= kNetSeed;
    if (var1 != 0)
        flags |= kNetVar1;
    return flags;
}

void ItemReplicaInfo::WriteReplicationData(NetPacketOutBuffer& out) const
{
    NetFieldWriter writer(out);
    NetFields(writer, *this);
}

void ItemReplicaInfo::ReadReplicationData(NetPacketInBuffer& in)
{
    NetFieldReader reader(in);
    NetFields(reader, *this);
}

void ItemReplicaInfo::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    stream.StreamString("baseName", baseName);
    stream.StreamString("prefixName", prefixName);
    stream.StreamString("suffixName", suffixName);
    stream.StreamString("relicName", relicName);
    stream.StreamString("relicBonus", relicBonus);
    // Saved as signed integers, bit for bit.
    auto seedBits = static_cast<int32_t>(seed);
    auto var1Bits = static_cast<int32_t>(var1);
    stream.StreamInt32("seed", seedBits);
    stream.StreamInt32("var1", var1Bits);
    seed = static_cast<uint32_t>(seedBits);
    var1 = static_cast<uint32_t>(var1Bits);
    stream.EndBlock();
}

void ItemReplicaInfo::StreamAttachedItemReplica(IOStream& stream, bool& attached)
{
    StreamProperties(stream);
    stream.StreamBool("itemAttached", attached);
}

}  // namespace GAME
