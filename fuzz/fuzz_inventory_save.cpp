// Any bytes read as the bags' block and then the hot slots' block of the character save,
// into a fresh player with its own controller. Whatever is read: never more than four
// bags, every item inside its bag's grid and none overlapping another, every held item
// listed once and owned by the player's inventory; a read that succeeds writes again and
// reads back to the same items. The records a save may name exist: two health potions,
// a mana potion, a small and a large piece of equipment, gold and a sack.
#include <cstddef>
#include <cstdint>
#include <set>

#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Inventory.h"
#include "Game/items/InventorySack.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

using namespace GAME;

namespace {

constexpr const char* kPlayerRecord = "Records/Fuzz/Player.dbr";

void RegisterRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(kGameEngineRecordName,
                           "UICharWindowInventorySack0DimsX,384,\nUICharWindowInventorySack0DimsY,160,\n"
                           "UICharWindowInventorySack1DimsX,256,\nUICharWindowInventorySack1DimsY,160,\n"
                           "potionStackLimit,5,\n");
    records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord(kPlayerRecord, "Class,Player,\n");
    records.RegisterRecord("Records/S.dbr", "Class,Skill,\nskillMaxLevel,10,\n");
    records.RegisterRecord("Records/H.dbr", "Class,OneShot_PotionHealth,\nbitmap,P.tex,\nbonusLifePoints,50,\n");
    records.RegisterRecord("Records/G.dbr", "Class,OneShot_PotionHealth,\nbitmap,P.tex,\nbonusLifePoints,150,\n");
    records.RegisterRecord("Records/M.dbr", "Class,OneShot_PotionMana,\nbitmap,P.tex,\nbonusManaPoints,50,\n");
    records.RegisterRecord("Records/I.dbr", "Class,ItemEquipment,\n");
    records.RegisterRecord("Records/L.dbr", "Class,ItemEquipment,\nbitmap,Large.tex,\n");
    records.RegisterRecord("Records/O.dbr", "Class,OneShot_Gold,\nbitmap,P.tex,\n");
    records.RegisterRecord("Records/K.dbr", "Class,OneShot_Sack,\nbitmap,P.tex,\n");
    Texture::RegisterSize("Large.tex", 64, 96);
}

bool Overlaps(const Rect& a, const Rect& b)
{
    return b.x + b.width > a.x && a.x + a.width > b.x && b.y + b.height > a.y && a.y + a.height > b.y;
}

// The invariants of the bags; the ids they hold, each once.
std::multiset<uint32_t> CheckBags(const Player& player, const PlayerInventoryCtrl& bags)
{
    if (bags.GetNumberOfSacks() < 1 || bags.GetNumberOfSacks() > PlayerInventoryCtrl::kMaxSacks)
        __builtin_trap();
    for (uint32_t index = 0; index < bags.GetNumberOfSacks(); ++index) {
        const InventorySack& sack = *bags.GetSack(static_cast<int>(index));
        const float width = static_cast<float>(sack.GetColumns()) * sack.GetCellWidth();
        const float height = static_cast<float>(sack.GetRows()) * sack.GetCellHeight();
        for (const auto& [id, r] : sack.GetInventory()) {
            if (!(r.x >= 0.0f && r.y >= 0.0f && r.x + r.width <= width && r.y + r.height <= height))
                __builtin_trap();
            for (const auto& [other, s] : sack.GetInventory())
                if (other != id && Overlaps(r, s))
                    __builtin_trap();
        }
    }
    std::multiset<uint32_t> held;
    for (uint32_t id : bags.GetItems()) {
        if (held.count(id) || !player.GetInventory().IsItemInInventory(id))
            __builtin_trap();
        held.insert(id);
    }
    return held;
}

bool ReadBlocks(Player& player, IOStream& stream)
{
    player.GetPlayerController()->GetInventoryCtrl().StreamProperties(stream);
    player.GetPlayerHotSlotCtrl().StreamProperties(stream);
    return !stream.Failed();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});
    RegisterRecords();
    InitializeObjects();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ObjectManager& objects = ObjectManager::Get();
    Player* players[2] = {objects.CreateObjectFromFile<Player>(kPlayerRecord),
                          objects.CreateObjectFromFile<Player>(kPlayerRecord)};
    for (Player* player : players) {
        player->SetIsControllingCharacter(true);
        player->GetSkillManager().AddSkill(objects.CreateObjectFromFile<Skill>("Records/S.dbr"));
    }
    Player& player = *players[0];
    IOStreamRead in(data, size);
    const bool read = ReadBlocks(player, in);
    const PlayerInventoryCtrl& bags = player.GetPlayerController()->GetInventoryCtrl();
    const std::multiset<uint32_t> held = CheckBags(player, bags);
    player.GetPlayerHotSlotCtrl().Update(PlayerHotSlotCtrl::kValidationPeriodMs);
    if (read) {
        // What was read writes again, and reads back to as many items in as many bags.
        IOStreamWrite out;
        player.GetPlayerController()->GetInventoryCtrl().StreamProperties(out);
        player.GetPlayerHotSlotCtrl().StreamProperties(out);
        if (out.Failed() || !out.Close())
            __builtin_trap();
        IOStreamRead again(out.GetBytes().data(), out.GetBytes().size());
        if (!ReadBlocks(*players[1], again))
            __builtin_trap();
        const PlayerInventoryCtrl& copy = players[1]->GetPlayerController()->GetInventoryCtrl();
        if (CheckBags(*players[1], copy).size() != held.size() || copy.GetNumberOfSacks() != bags.GetNumberOfSacks())
            __builtin_trap();
    }
    for (Player* p : players)
        objects.DestroyObjectEx(p, "fuzz", __LINE__);
    objects.FlushDestroyedObjects();
    gGameEngine->ResetTutorialState();
    return 0;
}
