// Sack placement: a first-fit placement into a 12 x 5 sack with one cell left (the last
// one either scan reaches), and arranging 60 unpositioned one-cell items into the empty
// sack; each beside a plain occupancy grid of booleans doing the same scan.
#include "AllocationCounter.h"

#include <array>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Game/items/InventorySack.h"
#include "Game/items/Item.h"

namespace GAME {
namespace {

constexpr uint32_t kColumns = 12;
constexpr uint32_t kRows = 5;
constexpr float kCell = 32.0f;

// Every item takes one cell: no textures are needed.
class OneCellSack : public InventorySack {
public:
    explicit OneCellSack(bool vertical) { SetDims(kColumns * 32, kRows * 32, vertical); }
    using InventorySack::FindNextPosition;

protected:
    bool GetBitmapSize(const Item&, float& width, float& height) const override
    {
        width = kCell;
        height = kCell;
        return true;
    }
};

// The baseline: one flag per cell, scanned in the same order.
struct OccupancyGrid {
    std::array<std::array<bool, kColumns>, kRows> used{};

    bool FindFree(bool vertical, uint32_t& column, uint32_t& row) const
    {
        const uint32_t outer = vertical ? kColumns : kRows;
        const uint32_t inner = vertical ? kRows : kColumns;
        for (uint32_t a = 0; a < outer; ++a)
            for (uint32_t b = 0; b < inner; ++b) {
                column = vertical ? a : b;
                row = vertical ? b : a;
                if (!used[row][column])
                    return true;
            }
        return false;
    }
};

const std::vector<Item*>& Items()
{
    static std::vector<Item*> items = [] {
        std::vector<Item*> made;
        for (uint32_t i = 0; i < kColumns * kRows; ++i)
            made.push_back(DynamicCast<Item>(ObjectManager::Get().CreateObject("Item")));
        return made;
    }();
    return items;
}

void BM_SackFirstFitFullButOne(benchmark::State& state)
{
    const bool vertical = state.range(0) != 0;
    OneCellSack sack(vertical);
    const std::vector<Item*>& items = Items();
    for (size_t i = 0; i + 1 < items.size(); ++i)
        sack.AddItem(items[i], true);
    const long long before = gAllocations.load();
    for (auto _ : state) {
        Rect r;
        benchmark::DoNotOptimize(sack.FindNextPosition(items.back(), r));
        benchmark::DoNotOptimize(r);
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_SackFirstFitFullButOne)->Arg(0)->Arg(1)->ArgName("vertical");

void BM_GridFirstFitFullButOne(benchmark::State& state)
{
    const bool vertical = state.range(0) != 0;
    OccupancyGrid grid;
    for (auto& row : grid.used)
        row.fill(true);
    grid.used[kRows - 1][kColumns - 1] = false;
    for (auto _ : state) {
        uint32_t column = 0;
        uint32_t row = 0;
        benchmark::DoNotOptimize(grid.FindFree(vertical, column, row));
        benchmark::DoNotOptimize(column + row);
    }
}
BENCHMARK(BM_GridFirstFitFullButOne)->Arg(0)->Arg(1)->ArgName("vertical");

void BM_SackArrange60(benchmark::State& state)
{
    const bool vertical = state.range(0) != 0;
    OneCellSack unpositioned(vertical);
    for (Item* item : Items())
        unpositioned.AddItem(item, false);
    OneCellSack sack = unpositioned;
    const long long before = gAllocations.load();
    for (auto _ : state) {
        sack = unpositioned;   // the map's nodes are reused
        benchmark::DoNotOptimize(sack.ArrangeUnpositionedItems());
    }
    ReportAllocations(state, before);
}
BENCHMARK(BM_SackArrange60)->Arg(0)->Arg(1)->ArgName("vertical");

void BM_GridArrange60(benchmark::State& state)
{
    const bool vertical = state.range(0) != 0;
    for (auto _ : state) {
        OccupancyGrid grid;
        for (uint32_t i = 0; i < kColumns * kRows; ++i) {
            uint32_t column = 0;
            uint32_t row = 0;
            if (grid.FindFree(vertical, column, row))
                grid.used[row][column] = true;
        }
        benchmark::DoNotOptimize(grid);
    }
}
BENCHMARK(BM_GridArrange60)->Arg(0)->Arg(1)->ArgName("vertical");

}  // namespace
}  // namespace GAME
