// The combat trace: lines on the `gLogCombat` channel at information level. The test
// comes first, so that nothing (not even an argument) is computed while it is off.
#pragma once

#include "Engine/Engine.h"
#include "Game/combat/CombatManager.h"

#define GAME_COMBAT_TRACE(...)                                        \
    do {                                                              \
        if (::GAME::gLogCombat != 0)                                  \
            ::GAME::gEngine->ChannelLog(::GAME::LOG_INFO, ::GAME::gLogCombat, __VA_ARGS__); \
    } while (0)
