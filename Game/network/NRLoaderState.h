// How far a network region loader has got loading the regions around a player.
#pragma once

#include <cstdint>

namespace GAME {

enum NRLoaderState : uint32_t {
    NRLoaderState_NotStarted = 0,
    NRLoaderState_Loading = 1,
    NRLoaderState_Loaded = 2,
};
inline constexpr NRLoaderState kLastNRLoaderState = NRLoaderState_Loaded;

}  // namespace GAME
