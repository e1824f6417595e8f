#include "Game/items/ItemReplicaInfo.h"

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

}  // namespace GAME
