#include "TestDraws.h"

#include <gtest/gtest.h>

#include "Game/core/GameEngine.h"
#include "Game/core/foundation/ProcessRandom.h"

extern "C" void InitializeObjects();

namespace GAME {

void InitializeSeededObjects()
{
    InitializeObjects();
    gGameEngine->GetRandomGen().Seed(kTestDrawSeed);
}

namespace {

// Before each test, ahead of its fixture: the process-wide source starts afresh.
class SeedEachTest : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { SeedProcessRandom(kTestDrawSeed); }
};

[[maybe_unused]] const bool kListening = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new SeedEachTest);
    return true;
}();

}  // namespace
}  // namespace GAME
