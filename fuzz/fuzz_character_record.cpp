// Record text of any bytes, loaded as a character record with the game engine up: the
// character is created from it (its kind chosen by the first byte), rolls its loot (a
// monster) and loads its animation sets, switches sets by the second byte, is copied
// through its inventory replica, runs its bio's first update and one frame of it (the
// regeneration and level records exist too), preloaded and destroyed. The records it may name (sound
// packs, effect packs, a combat record, the game-wide per-size effect arrays, items of
// each hand kind, a shared animation table and the animations) exist in memory, so those
// paths are reached too.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"

using namespace GAME;

namespace {

constexpr const char* kRecordName = "Records/Fuzz/Character.dbr";
constexpr const char* kKinds[] = {"Character", "Player", "Monster", "Npc"};

void RegisterNamedRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    records.RegisterRecord("Records/S.dbr", "Class,SoundPak,\n");
    records.RegisterRecord("Records/Fx.dbr", "Class,CharFxPak,\nparticleEffectName,Records/P.dbr,\n");
    records.RegisterRecord("Records/C.dbr", "Class,CombatRecord,\n");
    records.RegisterRecord("Records/Game/GameEngine.dbr",
                           "defaultCombatManagerRecord,Records/C.dbr,\n"
                           "coldDamageFxPak,Records/Fx.dbr;;Records/Fx.dbr,\n"
                           "fireBuffFxPak,;Records/Fx.dbr,\n"
                           "absColdFx,Records/Fx.dbr;Records/Fx.dbr;Records/Fx.dbr,\n"
                           "absColdFxSound,Records/S.dbr;;Records/S.dbr,\n");
    records.RegisterRecord("Records/Bow.dbr", "Class,WeaponHunting_Bow,\n");
    records.RegisterRecord("Records/Staff.dbr", "Class,WeaponMagical_Staff,\n");
    records.RegisterRecord("Records/Sword.dbr", "Class,WeaponMelee_Sword,\n");
    records.RegisterRecord("Records/Ring.dbr", "Class,ItemEquipment,\n");
    records.RegisterRecord("Records/Game/HealthManaRegen.dbr",
                           "lifeRegenEquation,lifeRegen*elapsedTime,\nmanaRegenEquation,(manaRegen*elapsedTime)*2,\n"
                           "healthFeedRate,8.0,\nmanaFeedRate,0,\nmanaDrainRate,-2.0,\n");
    records.RegisterRecord("Records/L.dbr", "experienceLevelEquation,playerLevel*100,\nmaxPlayerLevel,20,\n"
                                            "characterModifierPoints,2,\nskillModifierPoints,3,\n");
    records.RegisterRecord("Records/T.dbr", "unarmedRunAnim,A.anm,\nbowAttackAnim1,A.anm,\nbowAttackAnimWeight1,5,\n"
                                            "sHandedSpecialAnim15,A.anm,\nsHandedSpecialAnimRef15,R,\n");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    gEngine->SetLogSink([](const LogLine&) {});   // lines are still formatted, not printed
    RegisterNamedRecords();
    GraphicsEngine::Get()->RegisterAnimation("A.anm", "length,30,\nspeed,2,\n");
    InitializeObjects();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* kind = kKinds[size > 0 ? data[0] % std::size(kKinds) : 0];
    std::string text(reinterpret_cast<const char*>(data), size);
    text += std::string("\nClass,") + kind + ",\n";
    // From a clean database each time: a replaced record is kept until the database is
    // cleared, and memory that grows with every input would look like a leak.
    RecordDatabase::Get().Clear();
    RegisterNamedRecords();
    RecordDatabase::Get().RegisterRecord(kRecordName, text);

    ObjectManager& objects = ObjectManager::Get();
    if (auto* character = objects.CreateObjectFromFile<Character>(kRecordName)) {
        character->SetAnimation(static_cast<EquipManager_HandState>(size > 1 ? data[1] % 8 : 0));
        std::vector<InventoryReplica> replica;
        character->GetInventoryReplica(replica);
        for (InventoryReplica& entry : replica)
            entry.info.objectId = 0;
        character->SetInventoryReplica(replica);
        CharacterBio& bio = character->GetCharacterBio();
        bio.InitialUpdate(*character);
        bio.SubtractMana(size);
        bio.Update(*character, size > 2 ? data[2] * 8 : 16);
        character->PreLoad(true);
        objects.DestroyObjectEx(character, "fuzz", __LINE__);
    }
    objects.FlushDestroyedObjects();
    return 0;
}
