// The host's user interface as the game sees it. The host implements it and installs it
// with GameEngine::SetUI; the game tests for its presence before every call.
#pragma once

#include <cstdint>

#include "Game/core/GameTypes.h"

namespace GAME {

class DialogPak;

class GameUIInterface {
public:
    virtual ~GameUIInterface() = default;

    virtual bool DisplaySkillReallocationWindow(uint32_t playerId) = 0;
    virtual bool SaveGame(GameDifficulty difficulty) = 0;
    virtual bool SaveGame() = 0;
    virtual bool SaveQuest(bool flag) = 0;
    virtual bool BackupGame() = 0;

    // ---- dialogs of non-player characters ----
    // Shows a character's dialog pak to a player. Answers false when the dialog waits to be
    // shown later; the quests' delayed actions then stay enabled until it is.
    virtual bool ShowNpcDialog(DialogPak* /*pak*/, uint32_t /*playerId*/, uint32_t /*npcId*/) { return true; }
    // Whether that pak is the one on screen, and closing it (the UI lets go of it).
    virtual bool IsShowingNpcDialog(const DialogPak* /*pak*/) const { return false; }
    virtual void CloseNpcDialog(DialogPak* /*pak*/) {}
    // ---- end of dialogs of non-player characters ----

    // The player went through the final portal: the level is recorded completed and the
    // game is over.
    virtual void EndOfGame() {}
};

}  // namespace GAME
