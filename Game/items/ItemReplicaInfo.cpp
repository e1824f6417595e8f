#include "Game/items/ItemReplicaInfo.h"

#include "Engine/Engine.h"
#include "Engine/IOStream.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/StringUtil.h"

namespace GAME {

void ItemReplicaInfo::SaveState(BinaryWriter& writer) const
{
    writer.WriteUInt32(objectId);
    writer.WriteString(prefixName);
    writer.WriteString(suffixName);
    writer.WriteString(relicName);
    writer.WriteString(relicBonus);
    writer.WriteUInt32(seed);
    writer.WriteUInt32(var1);
}

bool ItemReplicaInfo::RestoreState(BinaryReader& reader)
{
    // Read into a copy: after a refused string the rest of the blob lies at an unknown
    // place, so a half-read identity is never applied.
    ItemReplicaInfo read;
    read.objectId = reader.ReadUInt32();
    read.prefixName = reader.ReadString();
    read.suffixName = reader.ReadString();
    read.relicName = reader.ReadString();
    read.relicBonus = reader.ReadString();
    read.seed = reader.ReadUInt32();
    read.var1 = reader.ReadUInt32();
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "Item identity: saved state unreadable at byte %zu; nothing applied",
                     reader.GetPosition());
        return false;
    }
    read.baseName = std::move(baseName);
    *this = std::move(read);
    return true;
}

bool ItemReplicaInfo::operator==(const ItemReplicaInfo& other) const
{
    return PathEqualsNoCase(baseName.c_str(), other.baseName.c_str()) &&
           PathEqualsNoCase(prefixName.c_str(), other.prefixName.c_str()) &&
           PathEqualsNoCase(suffixName.c_str(), other.suffixName.c_str()) &&
           PathEqualsNoCase(relicName.c_str(), other.relicName.c_str()) &&
           PathEqualsNoCase(relicBonus.c_str(), other.relicBonus.c_str()) && seed == other.seed &&
           var1 == other.var1;
}

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
