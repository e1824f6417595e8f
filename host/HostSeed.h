// The seed a run's draws start from (gamehost --seed).
#pragma once

namespace GAME {

class GameEngine;
struct HostOptions;

// With a seed given, the game engine's generator of the game rules (loot, item and skill
// seeds, proxies' picks) starts from it, as the process-wide 15-bit source already does, so
// two runs with one seed roll the same. Without one the engine keeps its own start.
void SeedGameRules(GameEngine& engine, const HostOptions& options);

}  // namespace GAME
