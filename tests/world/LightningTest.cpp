// Lightning: the shape of a bolt, its repeatable seed, the envelope over its life, its
// end, the tendrils it throws, and the torch's flicker.
#include "world/WorldFixture.h"

#include <cmath>

#include "Game/core/foundation/ProcessRandom.h"
#include "Game/world/Lightning.h"

namespace GAME {
namespace {

class LightningTest : public WorldObjectTest {
protected:
    WorldVec3 P(float x, float y = 0.0f, float z = 0.0f) const { return WorldVec3(region, Vec3(x, y, z)); }
    Lightning* Bolt(const std::string& keys)
    {
        Record("Records/Test/Bolt.dbr", "Class,Lightning,\n" + keys);
        auto* bolt = Make<Lightning>("Records/Test/Bolt.dbr");
        EXPECT_NE(bolt, nullptr);
        return bolt;
    }
    bool Alive(uint32_t id)
    {
        ObjectManager::Get().FlushDestroyedObjects();
        return ObjectManager::Get().GetObject(id) != nullptr;
    }
    std::vector<Lightning*> AllBolts() const
    {
        std::vector<Entity*> found;
        World::Get().GetEntitiesInSphere(found, region, Sphere{{}, 500.0f}, EntityList_All);
        std::vector<Lightning*> bolts;
        for (Entity* entity : found)
            if (auto* bolt = DynamicCast<Lightning>(entity))
                bolts.push_back(bolt);
        return bolts;
    }
};

TEST_F(LightningTest, EachInsertedPointSitsAcrossTheMiddleOfTheSegmentItSplits)
{
    struct Row {
        Vec3 to;
        size_t segments;
    };
    const Row rows[] = {{{100, 0, 0}, 16}, {{0, 60, 80}, 16}, {{1.5f, 0, 0}, 1}, {{0, 0, 0}, 1}};
    SeedProcessRandom(3);
    for (const Row& row : rows) {
        Lightning* bolt = Bolt("numberOfBolts,1,\ntimeMin,1,\ntimeMax,1,\n");
        bolt->SetTarget(P(0), P(row.to.x, row.to.y, row.to.z));
        ASSERT_EQ(bolt->GetPolylines().size(), 1u);
        const std::vector<Vec3>& points = bolt->GetPolylines()[0];
        ASSERT_EQ(points.size(), row.segments + 1) << row.to.x;
        EXPECT_EQ(points.front(), Vec3());
        EXPECT_EQ(points.back(), row.to);
        for (size_t step = row.segments / 2; step >= 1 && row.segments > 1; step /= 2) {
            for (size_t i = step; i < row.segments; i += 2 * step) {
                const Vec3 a = points[i - step], b = points[i + step];
                const Vec3 offset = points[i] - (a + b) * 0.5f;
                const float len = (b - a).Length();
                EXPECT_NEAR(Dot(offset, (b - a).Unit()), 0.0f, 1e-3f * len) << i;
                EXPECT_LE(offset.Length(), 0.75f * 0.2f * len) << i;
            }
        }
    }
}

TEST_F(LightningTest, ABoltRepeatsItsShapeFromTheSameSeedAndFromTheSkyStartsAboveItsTarget)
{
    Lightning* first = Bolt("numberOfBolts,2,\ntimeMin,0.5,\ntimeMax,1.5,\n");
    Lightning* second = Bolt("numberOfBolts,2,\ntimeMin,0.5,\ntimeMax,1.5,\n");
    SeedProcessRandom(11);
    first->SetTarget(P(0), P(50, 0, 20));
    SeedProcessRandom(11);
    second->SetTarget(P(0), P(50, 0, 20));
    EXPECT_EQ(first->GetSeed(), second->GetSeed());
    EXPECT_EQ(first->GetPolylines(), second->GetPolylines());
    ASSERT_EQ(first->GetBoltTimes().size(), 2u);
    EXPECT_NE(first->GetPolylines()[0], first->GetPolylines()[1]);
    for (const Lightning::BoltTime& time : first->GetBoltTimes()) {
        EXPECT_GE(time.lifetime, 500);
        EXPECT_LE(time.lifetime, 1500);
    }
    // The draws after a bolt follow from its seed: three for each of its 15 splits, then
    // whatever comes next.
    const int after = rand();
    SeedProcessRandom(first->GetSeed());
    for (int i = 0; i < 45; ++i)
        rand();
    EXPECT_EQ(rand(), after);

    Lightning* sky = Bolt("numberOfBolts,1,\nfromSky,1,\ntimeMin,1,\ntimeMax,1,\n");
    sky->SetTarget(P(0), P(10));
    EXPECT_EQ(sky->GetTendrilSrc(), P(10, 20));
    EXPECT_EQ(sky->GetPolylines()[0].back(), Vec3(0, -20, 0));
}

TEST_F(LightningTest, TheTargetIsReachedAtNinetyNineNinetyNineHundredthsOfTheWay)
{
    Lightning* bolt = Bolt("");
    const struct { float travel; bool reached; } rows[] = {{0.0f, false}, {0.9998f, false}, {0.9999f, true}, {1.0f, true}};
    for (const auto& row : rows) {
        bolt->SetTravelPercentage(row.travel);
        EXPECT_EQ(bolt->HasReachedTarget(), row.reached) << row.travel;
    }
}

// A lifetime of 0 (the record's default) ends at the next frame; once the first bolt has
// ended, the envelope follows the longest-lived bolt left.
TEST_F(LightningTest, BoltsEndWithTheirLifetimeAndTheEnvelopeFollowsTheLongestLeft)
{
    Lightning* none = Bolt("numberOfBolts,1,\n");
    none->SetTarget(P(0), P(30));
    ASSERT_TRUE(World::Get().AddEntity(none, At(0)));
    const uint32_t noneId = none->GetObjectId();
    Frame();
    EXPECT_FALSE(Alive(noneId));

    Lightning* pair = Bolt("");
    pair->Generate(P(0), P(30), false, 0, Color{}, 100, 0.1f);
    pair->Generate(P(0), P(30), false, 0, Color{}, 400, 0.1f);
    ASSERT_TRUE(World::Get().AddEntity(pair, At(0)));
    const uint32_t id = pair->GetObjectId();
    Frame(50);   // f = 0.5 of the first bolt: whole
    // The box holds every point, from the source's margin out to the target.
    const OBBox& box = pair->GetRegionBoundingBox();
    EXPECT_FLOAT_EQ(box.coords.origin.x - box.extents.x, pair->GetBoundsMin().x);
    EXPECT_FLOAT_EQ(box.coords.origin.x + box.extents.x, pair->GetBoundsMax().x);
    EXPECT_GE(pair->GetBoundsMax().x, 30.0f);
    EXPECT_FLOAT_EQ(pair->GetTopPercent(), 1.0f);
    EXPECT_FLOAT_EQ(pair->GetBottomPercent(), 0.0f);
    EXPECT_TRUE(pair->HasReachedTarget());
    Frame(50);   // age 100: the first bolt has lived its whole life and ends
    EXPECT_TRUE(pair->GetPolylines()[0].empty());
    Frame(50);
    EXPECT_EQ(pair->GetBoltTimes()[0].lifetime, 0);
    EXPECT_FALSE(pair->GetPolylines()[1].empty());
    Frame(200);   // age 350 of 400: f = 0.125, withdrawn half way
    EXPECT_FLOAT_EQ(pair->GetTopPercent(), 1.0f);
    EXPECT_FLOAT_EQ(pair->GetBottomPercent(), 0.5f);
    EXPECT_FLOAT_EQ(pair->GetFadeMultiplier(1), 0.5f);
    EXPECT_FLOAT_EQ(pair->GetFadeMultiplier(7), 0.5f);   // beyond the list: the current fade
    EXPECT_TRUE(Alive(id));
    Frame(100);
    EXPECT_FALSE(Alive(id));
}

TEST_F(LightningTest, AGrowingBoltThrowsTendrilsAtItsOwnStageOfLife)
{
    SeedProcessRandom(5);
    Lightning* bolt = Bolt("numberOfBolts,1,\ngenerateTendrils,1,\ntimeMin,1,\ntimeMax,1,\nWidth,2.5,\n"
                           "Red256,255,\n");
    bolt->SetTarget(P(0), P(100));
    ASSERT_TRUE(World::Get().AddEntity(bolt, At(0)));
    for (int i = 0; i < 16; ++i)
        Frame(16);
    const std::vector<Lightning*> bolts = AllBolts();
    ASSERT_GT(bolts.size(), 1u);
    for (const Lightning* tendril : bolts) {
        if (tendril == bolt)
            continue;
        EXPECT_FALSE(tendril->GetGenerateTendrils());
        EXPECT_EQ(tendril->GetBoltTimes()[0].lifetime, 1000);
        EXPECT_GT(tendril->GetBoltTimes()[0].startTime, 0);
        EXPECT_EQ(tendril->GetTendrilSrc(), bolt->GetTendrilSrc());
        const float off = (tendril->GetLineTarget() - bolt->GetLineTarget()).Length();
        EXPECT_GE(off, 0.249f);
        EXPECT_LE(off, 1.001f);
        EXPECT_FLOAT_EQ(tendril->GetWidth(), 2.5f);
        EXPECT_FLOAT_EQ(tendril->GetColor().red, 1.0f);
    }
}

TEST_F(LightningTest, TheTorchFlickersAroundItsWarmColour)
{
    auto* torch = DynamicCast<LightTorch>(ObjectManager::Get().CreateObject("LightTorch"));
    ASSERT_NE(torch, nullptr);
    SeedProcessRandom(9);
    torch->InitialUpdate();
    std::vector<float> reds;
    for (int i = 0; i < 8; ++i) {
        Frame(100);
        torch->UpdateSelf(100);
        const Color& c = torch->GetColor();
        EXPECT_FLOAT_EQ(c.green, 0.5f * c.red);
        EXPECT_FLOAT_EQ(c.blue, 0.16f * c.red);
        EXPECT_GE(c.red, 0.0f);
        EXPECT_LE(c.red, 2.0f);
        reds.push_back(c.red);
    }
    EXPECT_NE(*std::min_element(reds.begin(), reds.end()), *std::max_element(reds.begin(), reds.end()));

    // Placed in the world, the walk alone gives it its frames.
    auto* placed = DynamicCast<LightTorch>(ObjectManager::Get().CreateObject("LightTorch"));
    ASSERT_TRUE(World::Get().AddEntity(placed, At(2.0f)));
    Frame(100);
    const Color first = placed->GetColor();
    EXPECT_FLOAT_EQ(first.green, 0.5f * first.red);
    Frame(300);
    EXPECT_NE(placed->GetColor().red, first.red);
}

}  // namespace
}  // namespace GAME
