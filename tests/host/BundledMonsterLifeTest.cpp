// Every monster that the bundled records and the host's own records make has life in a
// game of one player, where the monsters' balance pack adds none: its life is its record's.
#include <filesystem>
#include <string>
#include <vector>

#include "core/EngineFixture.h"
#include "Game/characters/Monster.h"
#include "host/HostFixedItems.h"

namespace GAME {
namespace {

class BundledMonsterLifeTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        engine->LoadFromDatabase("Records/Game/GameEngine.dbr");
        HostFixedItems::RegisterRecords();
    }
    // The records under data/ and the host's placements whose class makes a monster.
    static std::vector<std::string> MonsterRecords()
    {
        namespace fs = std::filesystem;
        std::vector<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(GAME_DATA_DIR) / "Records"))
            if (entry.is_regular_file() && entry.path().extension() == ".dbr")
                names.push_back(fs::relative(entry.path(), GAME_DATA_DIR).generic_string());
        for (const HostFixedItems::Placement& placement : HostFixedItems::kLevel)
            names.push_back(placement.record);
        std::vector<std::string> monsters;
        for (const std::string& name : names) {
            const LoadTable* table = RecordDatabase::Get().Load(name);
            if (table && Monster::GetStaticClassInfo().FindClassByName(table->GetString("Class", "")))
                monsters.push_back(name);
        }
        return monsters;
    }
};

TEST_F(BundledMonsterLifeTest, EveryMonsterHasLifeWhenOnePlayerPlaysAlone)
{
    const std::vector<std::string> records = MonsterRecords();
    std::vector<Monster*> monsters;
    for (const std::string& name : records) {
        monsters.push_back(ObjectManager::Get().CreateObjectFromFile<Monster>(name));
        ASSERT_NE(monsters.back(), nullptr) << name;
    }
    // One player on Normal: every monster hears the level and sums its life anew.
    engine->SetGameBalanceLevel(1);
    for (size_t i = 0; i < monsters.size(); ++i) {
        EXPECT_EQ(monsters[i]->GetBalanceDifficulty(), 1u) << records[i];
        EXPECT_GT(monsters[i]->GetLifeLimit(), 0.0f) << records[i];
    }
    // The level's champion and the village's and arena's creatures at least.
    EXPECT_GE(records.size(), 20u);
}

}  // namespace
}  // namespace GAME
