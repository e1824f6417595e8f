// The player's bags with the bundled records: 60 pick-ups placed in four empty bags (one
// cell and 2 x 3 cell items mixed, so that they spill from the main bag into the others),
// the search for a place in a full main bag that finds none, and choosing and drinking a
// potion by need among three kinds. The bags are made afresh in each measured pick-up run.
#include "AllocationCounter.h"

#include <memory>
#include <string>
#include <vector>

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/items/Item.h"
#include "Game/items/PlayerInventoryCtrl.h"

using namespace GAME;

namespace {

constexpr int kPickUps = 60;
constexpr const char* kSword = "Records/Item/Weapons/Sword.dbr";
constexpr const char* kBigSword = "Records/Bench/BigSword.dbr";
constexpr const char* kBigBitmap = "Items/BenchSwordBig.tex";
constexpr const char* kPotionRecords[] = {"Records/Bench/Small.dbr", "Records/Bench/Medium.dbr",
                                          "Records/Bench/Large.dbr"};

std::string DataRoot() { return GAME_DATA_DIR; }

struct ObjectWorld {
    ObjectWorld()
    {
        RecordDatabase& records = RecordDatabase::Get();
        records.SetDataRoot(DataRoot());
        const int amounts[] = {50, 150, 400};
        for (int i = 0; i < 3; ++i)
            records.RegisterRecord(kPotionRecords[i], "Class,OneShot_PotionHealth,\nbitmap,P.tex,\nbonusLifePoints," +
                                                          std::to_string(amounts[i]) + ",\n");
        records.RegisterRecord(kBigSword, "Class,WeaponMelee_Sword,\nbitmap," + std::string(kBigBitmap) + ",\n");
        Texture::RegisterSize(kBigBitmap, 64, 96);
        InitializeObjects();
    }
    ~ObjectWorld()
    {
        ObjectManager::Get().DestroyAllObjects();
        ShutdownObjects();
    }
};

Item* Make(const char* record)
{
    ItemReplicaInfo identity;
    identity.baseName = record;
    return Item::CreateItem(identity);
}

// Every fourth pick-up a 2 x 3 cell sword, the others one cell.
std::vector<uint32_t> PickUps()
{
    std::vector<uint32_t> ids;
    for (int i = 0; i < kPickUps; ++i)
        ids.push_back(Make(i % 4 == 3 ? kBigSword : kSword)->GetObjectId());
    return ids;
}

void BM_InventoryPlaceSixtyPickUps(benchmark::State& state)
{
    ObjectWorld world;
    const std::vector<uint32_t> ids = PickUps();
    int placed = 0;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        PlayerInventoryCtrl bags;
        for (uint32_t sack = 1; sack < PlayerInventoryCtrl::kMaxSacks; ++sack)
            bags.AddSack();
        placed = 0;
        for (uint32_t id : ids)
            placed += bags.AddItem(id, true) ? 1 : 0;
        benchmark::DoNotOptimize(placed);
    }
    state.counters["placed"] = placed;
    ReportAllocations(state, before);
}
BENCHMARK(BM_InventoryPlaceSixtyPickUps)->Unit(benchmark::kMicrosecond);

void BM_InventoryNoPlaceInAFullBag(benchmark::State& state)
{
    ObjectWorld world;
    PlayerInventoryCtrl bags;   // the main bag only
    for (int i = 0; i < kPickUps; ++i)
        bags.AddItem(Make(kSword)->GetObjectId(), false);
    const Item* next = Make(kSword);
    const long long before = gAllocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(bags.IsSpaceAvailable(next));
    state.counters["held"] = static_cast<double>(bags.GetItems().size());
    ReportAllocations(state, before);
}
BENCHMARK(BM_InventoryNoPlaceInAFullBag);

// Life 180 of 300: the rules pick the 150-point kind. Without a controller the potion is
// chosen but not drunk, so every iteration makes the same choice.
void BM_InventoryPotionByNeed(benchmark::State& state)
{
    ObjectWorld world;
    auto* player = DynamicCast<Player>(ObjectManager::Get().CreateObject("Player"));
    player->SetTotalCharAttribute(CharAttributeType_Life, 300.0f);
    player->SetCurrentLife(180.0f);
    PlayerInventoryCtrl bags;
    bags.SetParent(player);
    for (const char* record : kPotionRecords)
        for (int i = 0; i < 3; ++i)
            bags.AddItem(Make(record)->GetObjectId(), true);
    const long long before = gAllocations.load();
    for (auto _ : state)
        benchmark::DoNotOptimize(bags.UsePotionOfType(PlayerInventoryCtrl::kHealthPotions, 0.8f, 1.2f));
    state.counters["potions"] = bags.GetTotalPotions(PlayerInventoryCtrl::kHealthPotions);
    ReportAllocations(state, before);
}
BENCHMARK(BM_InventoryPotionByNeed);

}  // namespace
