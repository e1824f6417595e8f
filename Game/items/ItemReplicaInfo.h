// The identity of one item instance: the record it is made from, the prefix, suffix,
// relic and relic-bonus records rolled onto it, and the seed its random values are
// rebuilt from. Every peer rebuilds the same item from the same identity.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/NetPacketFields.h"
#include "Game/items/ItemTypes.h"

namespace GAME {

class BinaryReader;
class BinaryWriter;
class IOStream;

struct ItemReplicaInfo {
    uint32_t objectId = 0;
    std::string baseName;
    std::string prefixName;
    std::string suffixName;
    std::string relicName;
    std::string relicBonus;
    uint32_t seed = 0;   // generators keep it below 65536: the network form sends 16 bits
    uint32_t var1 = 0;

    // Network form: the object id (4 bytes), a flag byte, then each field whose flag is
    // set, in this order. Never the base name: its receiver knows it, or the packet
    // sends it as a field of its own.
    static constexpr uint8_t kNetPrefix = 0x02;   // prefix name, as a file name
    static constexpr uint8_t kNetSuffix = 0x04;   // suffix name, as a file name
    static constexpr uint8_t kNetRelic = 0x08;    // relic name, as a file name
    static constexpr uint8_t kNetRelicBonus = 0x10;   // relic bonus name, as a file name
    static constexpr uint8_t kNetSeed = 0x20;     // seed, in its 16-bit form
    static constexpr uint8_t kNetVar1 = 0x40;     // var1, 4 bytes
    static constexpr uint8_t kNetAllFlags = 0x7E;
    static constexpr size_t kNetMinSize = 5;

    // Save form: one block of the five names, then "seed" and "var1". The object id is
    // not saved: a loaded item gets a fresh one.
    void StreamProperties(IOStream& stream);
    // The block, then whether the item is attached, under "itemAttached".
    void StreamAttachedItemReplica(IOStream& stream, bool& attached);

    // Saved-state form: object id, the prefix, suffix, relic and relic-bonus names, seed
    // and var1. Never the base name: the object that owns the blob knows its record.
    void SaveState(BinaryWriter& writer) const;
    // All or nothing: a refused string or a blob that ends early fails the whole
    // identity (logged, false) and leaves this one as it was; the base name is never
    // touched.
    bool RestoreState(BinaryReader& reader);

    // Names compared as record paths (case and separators ignored), seed and var1
    // exactly; the object id is not compared: two instances rolled alike are equal.
    bool operator==(const ItemReplicaInfo& other) const;

    uint8_t GetNetFlags() const;

    void WriteReplicationData(NetPacketOutBuffer& out) const;
    // A field whose flag is clear is emptied, so a reused identity keeps nothing of an
    // earlier one. Flags 0x01 and 0x80 are never set; a byte with either fails the read.
    void ReadReplicationData(NetPacketInBuffer& in);

    // The network form as a field list (Info is ItemReplicaInfo, const when writing).
    template <class V, class Info>
    static void NetFields(V& v, Info& info)
    {
        uint8_t flags = 0;
        if constexpr (!V::kReading)
            flags = info.GetNetFlags();
        v(Wire::u32, info.objectId);
        v(Wire::u8, flags);
        if constexpr (V::kReading)
            if (flags & ~kNetAllFlags)
                v.Fail("item identity with unknown flags");
        Optional(v, flags, kNetPrefix, Wire::fn, info.prefixName);
        Optional(v, flags, kNetSuffix, Wire::fn, info.suffixName);
        Optional(v, flags, kNetRelic, Wire::fn, info.relicName);
        Optional(v, flags, kNetRelicBonus, Wire::fn, info.relicBonus);
        Optional(v, flags, kNetSeed, Wire::h16, info.seed);
        Optional(v, flags, kNetVar1, Wire::u32, info.var1);
    }

private:
    template <class V, class Kind, class T>
    static void Optional(V& v, uint8_t flags, uint8_t flag, Kind kind, T& field)
    {
        if (flags & flag)
            v(kind, field);
        else if constexpr (V::kReading)
            field = T{};
    }
};

// One item of a character's copy: its identity and where it is worn (0 in the inventory).
struct InventoryReplica {
    ItemReplicaInfo info;
    EquipLocations location = EquipLocation_None;
};

namespace Wire {
// IRI: an item identity in its network form.
struct ItemReplica {
    static constexpr size_t kMinSize = ItemReplicaInfo::kNetMinSize;
    static void Write(NetPacketOutBuffer& out, const ItemReplicaInfo& value) { value.WriteReplicationData(out); }
    static void Read(NetPacketInBuffer& in, ItemReplicaInfo& value) { value.ReadReplicationData(in); }
};
inline constexpr ItemReplica IRI{};
}  // namespace Wire

}  // namespace GAME
