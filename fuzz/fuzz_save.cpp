// Any bytes read as a character save into a fresh player, through both routines: the
// character (StreamProperties) and its tokens (StreamPropertiesQuestTokens). The player
// has its own controller, so the inventory and equipment blocks are reached; the records
// a save may name (a skill, items, equipment for each kind of place) exist. A read that succeeds must write again.
#include <cstddef>
#include <cstdint>

#include "Engine/Engine.h"
#include "Engine/IOStreamReadWrite.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

using namespace GAME;

namespace {

constexpr const char* kPlayerRecord = "Records/Fuzz/Player.dbr";
constexpr const char* kSkillRecord = "Records/S.dbr";

void RegisterRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord(Player::kPlayerControllerRecord, "Class,ControllerPlayer,\n");
    records.RegisterRecord(Player::kStubControllerRecord, "Class,ControllerAI,\n");
    records.RegisterRecord(kPlayerRecord, "Class,Player,\n");
    records.RegisterRecord(kSkillRecord, "Class,Skill,\nskillMaxLevel,10,\n");
    records.RegisterRecord("Records/I.dbr", "Class,ItemEquipment,\n");
    // Items the equipment block can put on: a helm, a one-handed and a two-handed weapon.
    records.RegisterRecord("Records/H.dbr", "Class,ArmorProtective_Head,\n");
    records.RegisterRecord("Records/W.dbr", "Class,WeaponMelee_Sword,\n");
    records.RegisterRecord("Records/B.dbr", "Class,WeaponHunting_Bow,\n");
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
    auto* player = objects.CreateObjectFromFile<Player>(kPlayerRecord);
    if (!player)
        return 0;
    player->SetIsControllingCharacter(true);
    auto* skill = objects.CreateObjectFromFile<Skill>(kSkillRecord);
    player->GetSkillManager().AddSkill(skill);
    IOStreamRead character(data, size);
    const bool read = player->StreamProperties(character);
    if (read != !character.Failed())
        __builtin_trap();
    IOStreamRead tokens(data, size);
    player->StreamPropertiesQuestTokens(tokens);
    if (read) {
        IOStreamWrite again;
        if (!player->StreamProperties(again) || !again.Close())
            __builtin_trap();
    }
    objects.DestroyObjectEx(player, "fuzz", __LINE__);
    objects.FlushDestroyedObjects();
    gGameEngine->ResetTutorialState();
    return 0;
}
