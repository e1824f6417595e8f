// The bio update of 100 characters (and of 2, whose data stays in the cache): each wears 12 items of four character attributes
// and the bundled outfit (helm, armour, greaves, armband, ring, amulet, sword and shield), and has 30 passive skills of two in force, and regenerates life and mana by the bundled
// formulas. Reports the time per character and every heap allocation of the update.
#include <iterator>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/CharacterBio.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/GameEngine.h"
#include "Game/items/EquipManager.h"
#include "Game/items/Item.h"
#include "Game/items/ItemEquipment.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

#include "AllocationCounter.h"

namespace {

using namespace GAME;

constexpr int kItems = 12;
constexpr int kSkills = 30;

// The bundled outfit, each piece at its place.
struct OutfitPiece {
    const char* record;
    EquipLocations location;
};
constexpr OutfitPiece kOutfit[] = {
    {"Records/Item/Armor/Helm.dbr", EquipLocation_Head},       {"Records/Item/Armor/Breastplate.dbr", EquipLocation_UpperBody},
    {"Records/Item/Armor/Greaves.dbr", EquipLocation_LowerBody}, {"Records/Item/Armor/Armband.dbr", EquipLocation_Forearm},
    {"Records/Item/Armor/Ring.dbr", EquipLocation_Finger},     {"Records/Item/Armor/Amulet.dbr", EquipLocation_Neck},
    {"Records/Item/Weapons/Sword.dbr", EquipLocation_RightHand}, {"Records/Item/Weapons/Shield.dbr", EquipLocation_LeftHand},
};
constexpr size_t kWornItems = kItems + std::size(kOutfit);
constexpr int kFrameMs = 16;

// The bundled data by the full path the build gives, wherever the program is run from.
std::string DataRoot() { return GAME_DATA_DIR; }

// Twelve armour records and thirty skill records, each of its own name.
void RegisterRecords()
{
    RecordDatabase& records = RecordDatabase::Get();
    for (int i = 0; i < kItems; ++i)
        records.RegisterRecord("Records/Bench/Item" + std::to_string(i) + ".dbr",
                               "Class,Armor,\ncharacterStrength," + std::to_string(5 + i) +
                                   ",\ncharacterLife,40,\ncharacterLifeModifier,3,\ncharacterManaRegen,0.5,\n");
    for (int i = 0; i < kSkills; ++i)
        records.RegisterRecord("Records/Bench/Skill" + std::to_string(i) + ".dbr",
                               "Class,Skill_Passive,\nskillMaxLevel,3,\nskillUltimateLevel,3,\ncharacterDexterity,2;4;6,\ncharacterManaModifier,1;2;3,\n");
    records.RegisterRecord("Records/Bench/Character.dbr",
                           "Class,Character,\ncharacterLife,300,\ncharacterMana,150,\ncharacterStrength,50,\n"
                           "characterDexterity,50,\ncharacterIntelligence,50,\ncharacterLifeRegen,2,\n"
                           "characterManaRegen,1,\n");
}

Character* MakeCharacter(uint32_t seed)
{
    ObjectManager& objects = ObjectManager::Get();
    auto* character = objects.CreateObjectFromFile<Character>("Records/Bench/Character.dbr");
    EquipManager& equipment = character->GetCombatManager().GetEquipManager();
    for (int i = 0; i < kItems; ++i) {
        ItemReplicaInfo identity;
        identity.baseName = "Records/Bench/Item" + std::to_string(i) + ".dbr";
        identity.seed = seed * 100 + static_cast<uint32_t>(i);
        auto* item = DynamicCast<ItemEquipment>(Item::CreateItem(identity));
        item->InitializeItem();
        equipment.AttachItemAction(item->GetObjectId(), EquipLocation_NoBone);
    }
    for (const OutfitPiece& piece : kOutfit) {
        ItemReplicaInfo identity;
        identity.baseName = piece.record;
        identity.seed = seed;
        if (Item* item = Item::CreateItem(identity))
            equipment.AttachItemAction(item->GetObjectId(), piece.location);
    }
    for (int i = 0; i < kSkills; ++i) {
        auto* skill = objects.CreateObjectFromFile<Skill>("Records/Bench/Skill" + std::to_string(i) + ".dbr");
        skill->SetSkillLevel(2);
        character->GetSkillManager().AddToActiveList(skill);
    }
    CharacterBio& bio = character->GetCharacterBio();
    bio.InitialUpdate(*character);
    bio.Update(*character, 0);
    bio.SubtractLife(100.0f);   // from now on it regenerates
    bio.SubtractMana(50.0f);
    return character;
}

void BM_CharacterBioUpdate(benchmark::State& state)
{
    RecordDatabase::Get().SetDataRoot(DataRoot());
    InitializeObjects();
    RegisterRecords();
    {
        const auto count = static_cast<int>(state.range(0));
        std::vector<Character*> characters;
        for (int i = 0; i < count; ++i)
            characters.push_back(MakeCharacter(static_cast<uint32_t>(i + 1)));
        if (characters.front()->GetCombatManager().GetEquipManager().GetAttachedItems().size() != kWornItems)
            state.SkipWithError("items not attached");
        const long long before = gAllocations.load(std::memory_order_relaxed);
        for (auto _ : state) {
            for (Character* character : characters) {
                CharacterBio& bio = character->GetCharacterBio();
                bio.Update(*character, kFrameMs);
                if (bio.GetCurrentLife() >= bio.GetLifeLimit())
                    bio.SubtractLife(100.0f);   // keep it regenerating
            }
            benchmark::ClobberMemory();
        }
        ReportAllocations(state, before);
        state.counters["per_character"] = benchmark::Counter(
            count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
        const CharacterBio& sample = characters.front()->GetCharacterBio();
        state.counters["life_limit"] = sample.GetLifeLimit();
        state.counters["dexterity"] = sample.GetAttribute(CharAttributeType_Dexterity);
    }
    ShutdownObjects();
    ObjectManager::Get().DestroyAllObjects();
    RecordDatabase::Get().Clear();
}
BENCHMARK(BM_CharacterBioUpdate)->Arg(100)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
