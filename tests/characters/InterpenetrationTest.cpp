// Overlapping characters in view pushed apart by their path masses.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Game/characters/InterpenetrationManager.h"
#include "Game/characters/Npc.h"
#include "Game/core/GameCamera.h"

namespace GAME {
namespace {

class InterpenetrationTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        // Looking at the origin from 10 behind it (+z), level with the ground.
        camera.SetTarget(At(0.0f));
        camera.SetCameraPitch(0.0f);
        camera.SetCameraYaw(0.0f);
        camera.SetCameraDistance(10.0f);
        camera.Update();
    }
    Character* Standing(float x, const std::string& kind = "Monster", float y = 0.0f, float z = 0.0f)
    {
        Character* character = Make("", kind);
        EXPECT_TRUE(World::Get().AddEntity(character, WorldCoords(region, Coords::MakeTranslation({x, y, z}))));
        return character;
    }
    static Vec3 Where(const Character* character) { return character->GetCoords().GetRegionCoords().origin; }
    void Fixup() { manager.FixupCharacterCollisions(camera); }

    GameCamera camera;
    InterpenetrationManager manager;
};

TEST_F(InterpenetrationTest, EqualMassesShareTheOverlapAndMassZeroNeverMoves)
{
    Character* a = Standing(0.0f);
    Character* b = Standing(0.8f);
    Fixup();
    EXPECT_NEAR(Where(a).x, -0.1f, 1e-5f);
    EXPECT_NEAR(Where(b).x, 0.9f, 1e-5f);
    EXPECT_FLOAT_EQ(Where(a).z, 0.0f);

    Character* still = Standing(0.0f, "Monster", 0.0f, -5.0f);
    Character* pushed = Standing(0.8f, "Monster", 0.0f, -5.0f);
    still->SetPathMass(0.0f);
    Fixup();
    EXPECT_FLOAT_EQ(Where(still).x, 0.0f);
    EXPECT_NEAR(Where(pushed).x, 1.0f, 1e-5f);
    // Mass 0 second in the list: the first takes the whole push.
    Character* first = Standing(-0.8f, "Monster", 0.0f, -10.0f);
    Character* wall = Standing(0.0f, "Monster", 0.0f, -10.0f);
    wall->SetPathMass(0.0f);
    Fixup();
    EXPECT_FLOAT_EQ(Where(wall).x, 0.0f);
    EXPECT_NEAR(Where(first).x, -1.0f, 1e-5f);
}

TEST_F(InterpenetrationTest, WhoIsLeftAlone)
{
    // Two non-player characters; a non-player character and a monster are pushed.
    Character* npcA = Standing(0.0f, "Npc");
    Character* npcB = Standing(0.8f, "Npc");
    Character* monster = Standing(-5.0f);
    Character* npcC = Standing(-4.2f, "Npc");
    // On the same spot, and one above the other.
    Character* sameA = Standing(5.0f);
    Character* sameB = Standing(5.0f);
    Character* low = Standing(7.0f);
    Character* high = Standing(7.0f, "Monster", 1.0f);
    // Hidden or dead: neither pushed nor pushing.
    Character* hidden = Standing(-10.0f);
    Character* beside = Standing(-9.5f);
    hidden->SetVisibility(false);
    // Behind the camera (it stands at z = 10 looking towards -z).
    Character* behindA = Standing(0.0f, "Monster", 0.0f, 20.0f);
    Character* behindB = Standing(0.5f, "Monster", 0.0f, 20.0f);
    Fixup();
    EXPECT_FLOAT_EQ(Where(npcA).x, 0.0f);
    EXPECT_FLOAT_EQ(Where(npcB).x, 0.8f);
    // The 0.2 of overlap is shared by mass: the heavier non-player character moves less.
    const float share = monster->GetPathMass() / (monster->GetPathMass() + npcC->GetPathMass());
    EXPECT_NEAR(Where(monster).x, -5.0f - 0.2f * (1.0f - share), 1e-5f);
    EXPECT_NEAR(Where(npcC).x, -4.2f + 0.2f * share, 1e-5f);
    EXPECT_FLOAT_EQ(Where(sameA).x, 5.0f);
    EXPECT_FLOAT_EQ(Where(sameB).x, 5.0f);
    EXPECT_FLOAT_EQ(Where(low).x, 7.0f);
    EXPECT_FLOAT_EQ(Where(high).x, 7.0f);
    EXPECT_FLOAT_EQ(Where(hidden).x, -10.0f);
    EXPECT_FLOAT_EQ(Where(beside).x, -9.5f);
    EXPECT_FLOAT_EQ(Where(behindA).x, 0.0f);
    EXPECT_FLOAT_EQ(Where(behindB).x, 0.5f);
}

TEST_F(InterpenetrationTest, ARefusedFloorKeepsThatOneInPlace)
{
    // The second stands in a region whose floor lies above it: no floor to be pushed on.
    Region* sunken = World::Get().AddRegion(2, "Sunken");
    sunken->SetFloor(1.0f, 0);
    Character* a = Standing(0.0f);
    Character* b = Make();
    ASSERT_TRUE(World::Get().AddEntity(b, WorldCoords(sunken, Coords::MakeTranslation({0.8f, 0.0f, 0.0f}))));
    Fixup();
    EXPECT_FLOAT_EQ(Where(b).x, 0.8f);
    // Its own share in each of the three passes, as the other never moves: 0.1, then
    // half of what is left, twice.
    EXPECT_NEAR(Where(a).x, -0.175f, 1e-5f);

    // The floor sets a pushed character down on it.
    WorldVec3 point(region, Vec3(0.0f, 0.5f, 0.0f));
    EXPECT_TRUE(point.TranslateToFloor({1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(point.GetRegionPosition(), Vec3(1.0f, 0.0f, 0.0f));
    EXPECT_FALSE(point.TranslateToFloor({kPositiveInfinity, 0.0f, 0.0f}));
    EXPECT_EQ(point.GetRegionPosition(), Vec3(1.0f, 0.0f, 0.0f));
}

}  // namespace
}  // namespace GAME
