// The numbered rows every loot list is read from: which rows count, in what order.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "Engine/LoadTable.h"
#include "Game/items/loot/LootLists.h"

using namespace GAME;

namespace {

using Rows = std::vector<std::pair<std::string, uint32_t>>;

Rows Read(const std::string& text, const char* names, const char* weights, unsigned rows,
          unsigned index = LootLimits::kNoIndex, uint64_t* total = nullptr)
{
    LoadTable table("rows.dbr");
    table.Parse(text.data(), text.size(), "rows.dbr");
    std::vector<LootRow> read;
    const uint64_t sum = ReadLootRows(table, names, weights, rows, read, index);
    if (total)
        *total = sum;
    Rows out;
    for (const LootRow& row : read)
        out.emplace_back(row.name, row.weight);
    return out;
}

}  // namespace

TEST(LootRows, RowsNeedAWeightAndANameAndComeInNumberOrder)
{
    const std::string text =
        "lootWeight3,30,\nlootName3,C,\n"
        "LOOTNAME1,A,\nlootweight1,10,\n"
        "lootWeight2,0,\nlootName2,B,\n"       // no weight
        "lootWeight4,40,\n"                    // no name
        "lootWeight5,5,\nlootName5,,\n"        // an empty name
        "lootWeight6,-6,\nlootName6,F,\n"      // a negative weight
        "lootWeight07,7,\nlootName07,G,\n"     // not how row 7 is written
        "lootWeight31,31,\nlootName31,H,\n";   // past the rows read
    uint64_t total = 0;
    EXPECT_EQ(Read(text, "lootName", "lootWeight", 30, LootLimits::kNoIndex, &total), (Rows{{"A", 10}, {"C", 30}}));
    EXPECT_EQ(total, 40u);
    EXPECT_EQ(Read(text, "lootName", "lootWeight", 2), (Rows{{"A", 10}}));
    EXPECT_EQ(Read(text, "lootName", "lootWeight", 31).back(), (std::pair<std::string, uint32_t>{"H", 31}));
}

TEST(LootRows, PrefixesEndingInADigitAndArrayNamesReadTheSameRows)
{
    // "w1" + "2" is the key "w12": the row is found although "w" + "12" spells it too.
    const std::string text = "w12,5,\nn12,Twelve,\nw11,3,\nn11,Eleven;Other,\nw1,9,\nn1,One,\n";
    EXPECT_EQ(Read(text, "n1", "w1", 3), (Rows{{"Eleven;Other", 3}, {"Twelve", 5}}));
    EXPECT_EQ(Read(text, "n", "w", 12), (Rows{{"One", 9}, {"Eleven;Other", 3}, {"Twelve", 5}}));
    EXPECT_EQ(Read(text, "n1", "w1", 2, 1), (Rows{{"Other", 3}}));
    EXPECT_EQ(Read(text, "n", "w", 12, 1), (Rows{{"Other", 3}}));
}
