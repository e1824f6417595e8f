#include "host/HostSeed.h"

#include "Game/core/GameEngine.h"
#include "host/HostSession.h"

namespace GAME {

void SeedGameRules(GameEngine& engine, const HostOptions& options)
{
    if (options.randSeed >= 0)
        engine.GetRandomGen().Seed(static_cast<unsigned long>(options.randSeed));
}

}  // namespace GAME
