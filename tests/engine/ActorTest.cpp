// The actor's engine-side values and the game-time stopwatch.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameClock.h"
#include "Engine/GameTimer.h"

namespace GAME {
namespace {

TEST(Actor, StartsAtScaleOneAndRefusesValuesThatAreNotNumbers)
{
    LogCapture log;
    Actor actor;
    EXPECT_EQ(actor.GetBaseScale(), 1.0f);
    actor.SetScale(2.5f);
    EXPECT_EQ(actor.GetCurrentScale(), 2.5f);
    EXPECT_EQ(actor.GetBaseScale(), 1.0f);

    actor.AdjustBoundingValue(1.0f);
    actor.AdjustBoundingValue(-0.25f);
    EXPECT_EQ(actor.GetBoundingValue(), 0.75f);
    EXPECT_EQ(actor.GetHeightValue(), 1.0f);

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (float bad : {0.0f, -1.0f, nan, inf})
        actor.SetScale(bad);
    actor.AdjustBoundingValue(inf);
    actor.SetHeightValue(nan);
    actor.SetHeightValue(-2.0f);
    EXPECT_EQ(actor.GetCurrentScale(), 2.5f);
    EXPECT_EQ(actor.GetBoundingValue(), 0.75f);
    EXPECT_EQ(actor.GetHeightValue(), 1.0f);
    EXPECT_EQ(log.Lines().size(), 7u);
}

TEST(GameTimer, MeasuresStepsAndTotalsOnGameTimeAcrossTheWrap)
{
    GameClock& clock = GameClock::Get();
    clock.Reset();
    clock.Advance(0xFFFFFFFFu - 100u);   // close to the 32-bit wrap
    GameTimer timer;
    clock.Advance(60);
    timer.Update();
    EXPECT_EQ(timer.GetElapsedTime(), 60u);
    clock.Advance(90);   // wraps
    clock.SetPaused(true);
    clock.Advance(500);   // game time stands still
    clock.SetPaused(false);
    timer.Update();
    EXPECT_EQ(timer.GetElapsedTime(), 90u);
    EXPECT_EQ(timer.GetTotalElapsedTime(), 150u);
    timer.Update();
    EXPECT_EQ(timer.GetElapsedTime(), 0u);

    timer.Reset();
    EXPECT_EQ(timer.GetElapsedTime(), 0u);
    clock.Advance(7);
    EXPECT_EQ(timer.GetTotalElapsedTime(), 7u);
    clock.Reset();
}

}  // namespace
}  // namespace GAME
