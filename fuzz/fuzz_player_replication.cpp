// A player's image of any bytes (behind the spawn packet's header), read into a fresh
// player and, when the read succeeds, applied to it. A read that fails must keep no
// record; an applied player must write an image that reads back. Records for an item and
// the player exist, and region 1 is known, so those paths are reached too.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Engine/Engine.h"
#include "fuzz/FuzzBytes.h"
#include "Engine/GameServices.h"
#include "Engine/NetPacket.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"

using namespace GAME;

namespace {

constexpr const char* kPlayerRecord = "Records/Fuzz/Player.dbr";
constexpr NetPacketType kSpawnPlayerType = 30;

bool Read(Player& player, const std::vector<unsigned char>& bytes)
{
    NetPacketHeader header{kSpawnPlayerType};
    NetPacketInBuffer in(&header, bytes.data(), static_cast<int>(bytes.size()));
    return player.ReadReplicationData(in);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(kPlayerRecord, "Class,Player,\n");
    records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord("Records/Ring.dbr", "Class,ItemEquipment,\n");
    records.RegisterRecord("Records/Sword.dbr", "Class,WeaponMelee_Sword,\n");
    InitializeObjects();
    World::Get().AddRegion(1, "Fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<unsigned char> bytes = {kSpawnPlayerType, 0};
    bytes.insert(bytes.end(), data, data + size);

    ObjectManager& objects = ObjectManager::Get();
    auto* player = objects.CreateObjectFromFile<Player>(kPlayerRecord);
    Check(player != nullptr);
    if (!Read(*player, bytes)) {
        Check(player->GetReplicationRecord() == nullptr);
    } else {
        player->ApplyReplicationData();
        Check(player->GetReplicationRecord() == nullptr);
        const std::unique_ptr<NetPacket> packet = player->CreateSpawnNetPacket();
        NetPacketOutBuffer out(packet.get());
        player->WriteReplicationData(out);
        const uint32_t written = out.Done();
        Check(written != 0);
        const std::vector<unsigned char> image(packet->GetOutBuffer(), packet->GetOutBuffer() + written);
        Check(Read(*player, image));
    }
    std::vector<uint32_t> items = player->GetInventoryItems();
    items.insert(items.end(), player->GetAttachedItems().begin(), player->GetAttachedItems().end());
    for (uint32_t id : items)
        if (Object* item = objects.GetObject(id))
            objects.DestroyObjectEx(item, "fuzz", __LINE__);
    objects.DestroyObjectEx(player, "fuzz", __LINE__);
    objects.FlushDestroyedObjects();
    return 0;
}
