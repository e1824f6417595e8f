// The host's user interface as the game sees it. The host implements it and installs it
// with GameEngine::SetUI; the game tests for its presence before every call.
#pragma once

#include <cstdint>

#include "Game/core/GameTypes.h"

namespace GAME {

class GameUIInterface {
public:
    virtual ~GameUIInterface() = default;

    virtual bool DisplaySkillReallocationWindow(uint32_t playerId) = 0;
    virtual bool SaveGame(GameDifficulty difficulty) = 0;
    virtual bool SaveGame() = 0;
    virtual bool SaveQuest(bool flag) = 0;
    virtual bool BackupGame() = 0;
};

}  // namespace GAME
