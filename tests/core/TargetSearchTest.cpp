// The game engine's target searches: who qualifies, and in what order.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Game/core/Team.h"

namespace GAME {
namespace {

class TargetSearchTest : public CharacterWorldTest {
protected:
    Character* At(float x, uint32_t major, const std::string& kind = "Monster")
    {
        return OnTeam(major, x, 0.0f, "", kind);
    }
    Team Players() const
    {
        Team team;
        team.Set(kTeamMajorHuman, 1);
        return team;
    }
    std::vector<unsigned> Radius(float radius, bool friends, unsigned exclude = 0)
    {
        std::vector<unsigned> out;
        engine->GetTargetsInRadius(Players(), CharacterWorldTest::At(0.0f), radius, out, exclude, friends);
        return out;
    }
};

TEST_F(TargetSearchTest, OnlyLivingUpdatedCharactersOfTheAskedSideQualify)
{
    Character* friendNear = At(1.0f, kTeamMajorHuman);
    Character* foeNear = At(2.0f, kTeamMajorMonster);
    Character* foeFar = At(30.0f, kTeamMajorMonster);
    At(3.0f, kTeamMajorMonster, "Npc");
    Frame();
    Character* notYetUpdated = At(4.0f, kTeamMajorMonster);

    EXPECT_EQ(Radius(10.0f, false), (std::vector<unsigned>{foeNear->GetObjectId()}));
    EXPECT_EQ(Radius(10.0f, true), (std::vector<unsigned>{friendNear->GetObjectId()}));
    EXPECT_TRUE(Radius(10.0f, false, foeNear->GetObjectId()).empty());
    EXPECT_EQ(Radius(40.0f, false), (std::vector<unsigned>{foeNear->GetObjectId(), foeFar->GetObjectId()}));
    (void)notYetUpdated;

    std::vector<unsigned> all;
    engine->GetAllTargetsInRadius(Players(), CharacterWorldTest::At(0.0f), 10.0f, all, 0);
    EXPECT_EQ(all, (std::vector<unsigned>{friendNear->GetObjectId(), foeNear->GetObjectId()}));
}

TEST_F(TargetSearchTest, RayFindsNearestFirstAndConeKeepsToItsAngle)
{
    Character* far = At(8.0f, kTeamMajorMonster);
    Character* near = At(4.0f, kTeamMajorMonster);
    Character* behind = At(-4.0f, kTeamMajorMonster);
    Frame();

    std::vector<unsigned> ray;
    engine->GetTargetsAlongRay(Players(), WorldRay{CharacterWorldTest::At(0.0f), Vec3(1, 0, 0)}, 20.0f, ray, 0, false);
    EXPECT_EQ(ray, (std::vector<unsigned>{near->GetObjectId(), far->GetObjectId()}));

    std::vector<unsigned> cone;
    engine->GetTargetsInCone(Players(), CharacterWorldTest::At(0.0f), Vec3(-1, 0, 0), 30.0f, 10.0f, cone, 0, false);
    EXPECT_EQ(cone, (std::vector<unsigned>{behind->GetObjectId()}));
    cone.clear();
    engine->GetTargetsInCone(Players(), CharacterWorldTest::At(0.0f), Vec3(0, 0, 1), 30.0f, 10.0f, cone, 0, false);
    EXPECT_TRUE(cone.empty());

    EXPECT_EQ(engine->PickObject({1, 2}, {1, 2}), 0u);
    EXPECT_EQ(engine->PickObject({1, 2, 3}, {1, 3}), 2u);
}

}  // namespace
}  // namespace GAME
