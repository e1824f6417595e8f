// The ring an area skill draws: it grows through its shader parameters and removes
// itself on the deferred free, from inside the world's walk.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Game/skills/RadiusMagic.h"

namespace GAME {
namespace {

class RadiusMagicTest : public CharacterWorldTest {
protected:
    RadiusMagic* Ring(float radius, float timeScale)
    {
        RecordDatabase::Get().RegisterRecord("Records/Test/Ring.dbr", "Class,RadiusMagic,\n");
        auto* ring = ObjectManager::Get().CreateObjectFromFile<RadiusMagic>("Records/Test/Ring.dbr");
        if (ring) {
            ring->SetEffect(radius, timeScale);
            EXPECT_TRUE(World::Get().AddEntity(ring, WorldCoords(region, Coords())));
        }
        return ring;
    }
};

TEST_F(RadiusMagicTest, GrowsThroughItsParametersAndGoesOnTheFirstUpdatePastItsLife)
{
    RadiusMagic* ring = Ring(3.0f, 100.0f);
    ASSERT_NE(ring, nullptr);
    const uint32_t id = ring->GetObjectId();
    EXPECT_FALSE(ring->CanCollide(nullptr));
    Frame(100);
    float radius = -1.0f;
    ASSERT_TRUE(ring->GetShaderParam(Name::Create("radius"), 0, 0, radius));
    EXPECT_FLOAT_EQ(radius, 1.0f);
    float strength[4] = {};
    ASSERT_TRUE(ring->GetShaderParamFloat4(Name::Create("strength"), 0, 0, strength));
    const float s = 0.03f * (1.0f - (1.0f / 6.0f) * (1.0f / 6.0f));
    EXPECT_FLOAT_EQ(strength[0], s);
    EXPECT_EQ(strength[1], 0.0f);
    EXPECT_EQ(strength[2], 0.0f);
    EXPECT_FLOAT_EQ(strength[3], s);
    float untouched = 7.0f;
    float four[4] = {7.0f, 7.0f, 7.0f, 7.0f};
    EXPECT_FALSE(ring->GetShaderParam(Name::Create("strength"), 0, 0, untouched));
    EXPECT_FALSE(ring->GetShaderParamFloat4(Name::Create("radius"), 0, 0, four));
    EXPECT_EQ(untouched, 7.0f);
    EXPECT_EQ(four[0], 7.0f);

    for (int frame = 0; frame < 5; ++frame)
        Frame(100);
    ASSERT_EQ(ObjectManager::Get().GetObject(id), ring);   // exactly 600 ms: not past yet
    EXPECT_TRUE(ring->IsInWorld());
    // Destroyed inside its own update, within the walk: the walk goes on without it and
    // the memory goes at the end of the frame (ASan watches the rest of the frame).
    Frame(1);
    EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    ObjectManager::Get().FlushDestroyedObjects();
    Frame(1);
}

TEST_F(RadiusMagicTest, ARingWithoutLifeGoesOnItsFirstUpdate)
{
    const float nan = std::nanf("");
    RadiusEffect effect;
    effect.radius = nan;
    std::vector<uint32_t> ids;
    for (RadiusMagic* ring : {Ring(3.0f, 0.0f), Ring(3.0f, -5.0f), Ring(3.0f, nan)}) {
        ASSERT_NE(ring, nullptr);
        ids.push_back(ring->GetObjectId());
    }
    RadiusMagic* shapeless = Ring(1.0f, 1.0f);
    shapeless->SetEffect(effect);
    ids.push_back(shapeless->GetObjectId());
    const size_t entities = World::Get().GetEntityCount();
    Frame(1);
    for (uint32_t id : ids)
        EXPECT_EQ(ObjectManager::Get().GetObject(id), nullptr);
    EXPECT_EQ(World::Get().GetEntityCount(), entities - ids.size());
}

}  // namespace
}  // namespace GAME
