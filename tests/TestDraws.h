// Every test draws from known seeds, whatever ran before it and whatever the clock says.
// The process-wide 15-bit source starts from kTestDrawSeed before each test (a listener that
// every test program holds). The game engine's generator of the game rules is seeded from
// the clock when the engine is made, so a fixture makes its engine with
// InitializeSeededObjects, which then seeds that generator from kTestDrawSeed too. A test
// that wants other draws seeds either source itself.
#pragma once

namespace GAME {

inline constexpr unsigned kTestDrawSeed = 2718;

// InitializeObjects, and the game engine's generator seeded from kTestDrawSeed.
void InitializeSeededObjects();

}  // namespace GAME
