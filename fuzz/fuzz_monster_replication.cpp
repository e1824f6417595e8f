// A monster's replication image of any bytes, behind a packet header: read, then applied
// when the read succeeds. A read that fails must keep nothing. One monster takes every
// input, so what an input leaves behind meets the next.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Engine/Journal.h"
#include "Engine/ObjectManager.h"
#include "fuzz/FuzzMonster.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"

using namespace GAME;

namespace {

constexpr NetPacketType kImageType = 40;

Monster* gMonster = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gMonster = MakeFuzzMonster();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<unsigned char> bytes = {kImageType, 0};
    bytes.insert(bytes.end(), data, data + size);
    NetPacketHeader header{kImageType};
    NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(bytes.size()));
    if (gMonster->ReadReplicationData(in)) {
        FuzzCheck(gMonster->GetReplicationRecord() != nullptr);
        gMonster->ApplyReplicationData();
    } else {
        FuzzCheck(!in.IsOk() && gMonster->GetReplicationRecord() == nullptr);
    }
    ObjectManager::Get().FlushDestroyedObjects();
    Journal::Get().Clear();
    return 0;
}
