// Draws of the game rules made for a player that joined from another peer come from the
// player's own stream: its frames leave the world's sequence where it was.
#include "CharacterWorldFixture.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

using namespace GAME;

namespace {

class PlayerOwnDrawsTest : public CharacterWorldTest {
protected:
    // A placed player with a weapon attack whose skills it drives here: each frame asks
    // for their totals, and so draws.
    Player* ArmedPlayer()
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/Strike.dbr",
                                             "Class,Skill_AttackWeapon,\nskillMaxLevel,3,\nskillManaCost,5,\n");
        auto* player = Place(Make<Player>("", "Player"));
        auto* strike = ObjectManager::Get().CreateObjectFromFile<Skill>("Records/Test/Strike.dbr");
        player->GetSkillManager().AddSkill(strike);
        strike->SetSkillLevel(1);
        player->GetSkillManager().SetAsControllingManager();
        return player;
    }
    // The next seeds of a generator seeded with `seed`, after `skipped` seeds.
    static std::vector<int> Seeds(unsigned long seed, int skipped, int count)
    {
        RandomUniform generator;
        generator.Seed(seed);
        std::vector<int> seeds;
        for (int i = 0; i < skipped + count; ++i) {
            const int drawn = generator.IGenerate(GameEngine::kSeedMin, GameEngine::kSeedMax);
            if (i >= skipped)
                seeds.push_back(drawn);
        }
        return seeds;
    }
    std::vector<int> EngineSeeds(int count)
    {
        std::vector<int> seeds;
        for (int i = 0; i < count; ++i)
            seeds.push_back(engine->GetRandomSeed());
        return seeds;
    }
};

TEST_F(PlayerOwnDrawsTest, ScopesRouteTheEnginesDrawsAndNest)
{
    engine->GetRandomGen().Seed(55);
    RandomUniform first, second;
    first.Seed(7);
    second.Seed(8);
    {
        RandomStreamScope outer(&first);
        EXPECT_EQ(EngineSeeds(2), Seeds(7, 0, 2));
        engine->DiscardRandomSeed();   // a step of the stream, not of the shared generator
        {
            RandomStreamScope keeps(nullptr);
            EXPECT_EQ(&engine->GetRandomGen(), &first);
            RandomStreamScope inner(&second);
            EXPECT_EQ(EngineSeeds(1), Seeds(8, 0, 1));
        }
        EXPECT_EQ(EngineSeeds(1), Seeds(7, 3, 1));
    }
    EXPECT_EQ(EngineSeeds(3), Seeds(55, 0, 3));
}

TEST_F(PlayerOwnDrawsTest, AJoinedPlayersFramesLeaveTheWorldsDrawsAlone)
{
    // Without a stream of its own the player's frames draw from the shared generator.
    Player* local = ArmedPlayer();
    engine->GetRandomGen().Seed(55);
    for (int frame = 0; frame < 3; ++frame)
        Frame();
    EXPECT_NE(EngineSeeds(3), Seeds(55, 0, 3));
    ObjectManager::Get().DestroyObjectEx(local, "test", __LINE__);
    Frame();

    Player* joined = ArmedPlayer();
    RandomUniform arrival;
    arrival.Seed(joined->GetObjectId());
    joined->TakeOwnDraws(arrival);
    engine->GetRandomGen().Seed(55);
    for (int frame = 0; frame < 3; ++frame)
        Frame();
    EXPECT_EQ(EngineSeeds(3), Seeds(55, 0, 3));
    // Its own stream moved instead: its next seed is not the stream's first.
    RandomStreamScope draws(joined->GetOwnDraws());
    EXPECT_NE(EngineSeeds(1), Seeds(joined->GetObjectId(), 0, 1));
}

}  // namespace
