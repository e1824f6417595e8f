// An item identity of any bytes, in each of its forms: the saved state (restored into one
// item that takes every input), the network form behind a packet header, and a property
// stream block. A refused saved state changes nothing. An accepted identity written and
// read again is the same identity, a second write gives the same bytes, and the item it
// names is created and initialised twice with the same fingerprint.
//
// The first byte picks the record the identity is made into and whether the bundled
// affixes replace its prefix and suffix names; the rest is the identity.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Engine/Engine.h"
#include "fuzz/FuzzBytes.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/Journal.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/items/Item.h"
#include "Game/items/ItemFingerprint.h"
#include "Game/network/ItemTradePackets.h"

using namespace GAME;

namespace {

constexpr const char* kRecords[] = {"Records/Fuzz/Item.dbr", "Records/Fuzz/Armor.dbr"};
constexpr const char* kPrefix = "Records/Fuzz/Prefix.dbr";
constexpr const char* kSuffix = "Records/Fuzz/Suffix.dbr";

Item* gItem = nullptr;
CreateItemPacket gCarrier;   // carries the network form

using Bytes = std::vector<uint8_t>;

Bytes Saved(const ItemReplicaInfo& info)
{
    BinaryWriter writer;
    info.SaveState(writer);
    return Bytes(writer.GetBuffer(), writer.GetBuffer() + writer.GetLength());
}

Bytes Sent(const ItemReplicaInfo& info)
{
    NetPacketOutBuffer out(&gCarrier);
    info.WriteReplicationData(out);
    const uint32_t size = out.Done();
    Check(size > 0);
    return Bytes(gCarrier.GetOutBuffer(), gCarrier.GetOutBuffer() + size);
}

Bytes Streamed(const ItemReplicaInfo& info)
{
    IOStreamWrite stream;
    ItemReplicaInfo copy = info;
    copy.StreamProperties(stream);
    Check(!stream.Failed());
    const auto bytes = stream.GetBytes();
    return Bytes(bytes.begin(), bytes.end());
}

bool ReadSent(const Bytes& bytes, ItemReplicaInfo& info)
{
    NetPacketHeader header{gCarrier.GetType()};
    NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(bytes.size()));
    info.ReadReplicationData(in);
    return in.Finish();
}

bool ReadStreamed(const Bytes& bytes, ItemReplicaInfo& info)
{
    IOStreamRead stream(bytes.data(), bytes.size());
    info.StreamProperties(stream);
    return !stream.Failed();
}

// The item the identity names, created twice and initialised again: one fingerprint.
void CheckCreated(ItemReplicaInfo info, uint8_t selector)
{
    info.objectId = 0;
    info.baseName = kRecords[selector & 1];
    if (selector & 2) {
        info.prefixName = kPrefix;
        info.suffixName = kSuffix;
    }
    Item* first = Item::CreateItem(info);
    Item* second = Item::CreateItem(info);
    Check(first && second);
    const std::string print = ItemFingerprint(*first).Get();
    first->InitializeItem();
    Check(ItemFingerprint(*first).Get() == print);
    Check(ItemFingerprint(*second).Get() == print);
    ObjectManager::Get().DestroyObjectEx(first, "fuzz", __LINE__);
    ObjectManager::Get().DestroyObjectEx(second, "fuzz", __LINE__);
}

// Written and read again in the same form: the same identity, and the same bytes.
template <class Write, class Read>
void CheckForm(const ItemReplicaInfo& info, Write write, Read read, bool idsKept)
{
    const Bytes bytes = write(info);
    ItemReplicaInfo again;
    again.baseName = info.baseName;   // the saved form leaves the base to its owner
    Check(read(bytes, again));
    Check(again == info);
    Check(!idsKept || again.objectId == info.objectId);
    Check(write(again) == bytes);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(kRecords[0], "Class,Item,\nitemCost,40,\nitemCostScalePercent,25,\nlevelRequirement,3,\n");
    records.RegisterRecord(kRecords[1], "Class,Armor,\nitemCost,90,\ndefensiveProtection,30,\ncharacterStrength,4,\n"
                                        "offensivePhysicalMin,2,\noffensivePhysicalMax,5,\nskillCooldownReduction,1,\n");
    records.RegisterRecord(kPrefix, "lootRandomizerName,tagP,\nlootRandomizerJitter,20,\ncharacterLife,30,\n"
                                    "itemClassification,Magical,\n");
    records.RegisterRecord(kSuffix, "lootRandomizerJitter,25,\ndefensiveFire,12,\noffensiveColdMin,1,\n"
                                    "offensiveColdMax,3,\nlevelRequirement,9,\n");
    InitializeObjects();
    World::Get().AddRegion(1, "Fuzz");
    gItem = ObjectManager::Get().CreateObjectFromFile<Item>(kRecords[1]);
    Check(gItem != nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t selector = data[0];
    const Bytes input(data + 1, data + size);

    // The saved state, through the item's own restore.
    const ItemReplicaInfo before = gItem->GetItemReplicaInfo();
    BinaryReader reader(input.data(), input.size());
    if (gItem->RestoreState(reader)) {
        const ItemReplicaInfo& restored = gItem->GetItemReplicaInfo();
        Check(restored.baseName == kRecords[1] && restored.objectId == gItem->GetObjectId());
        ItemReplicaInfo saved = restored;
        BinaryReader blob(input.data(), input.size());
        Check(saved.RestoreState(blob));   // the blob's own id, for the byte comparison
        CheckForm(saved, Saved, [](const Bytes& b, ItemReplicaInfo& i) {
            BinaryReader r(b.data(), b.size());
            return i.RestoreState(r);
        }, true);
        CheckCreated(saved, selector);
    } else {
        Check(gItem->GetItemReplicaInfo() == before && gItem->GetItemReplicaInfo().objectId == before.objectId);
    }

    // The network form behind a packet header.
    Bytes packet(2);
    const NetPacketType type = gCarrier.GetType();
    std::memcpy(packet.data(), &type, 2);
    packet.insert(packet.end(), input.begin(), input.end());
    ItemReplicaInfo received;
    if (ReadSent(packet, received)) {
        CheckForm(received, Sent, ReadSent, true);
        CheckCreated(received, selector);
    }

    // A property stream block.
    ItemReplicaInfo streamed;
    if (ReadStreamed(input, streamed)) {
        CheckForm(streamed, Streamed, ReadStreamed, false);
        CheckCreated(streamed, selector);
    }

    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
