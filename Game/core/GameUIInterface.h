// The host's user interface as the game sees it. The host implements it and installs it
// with GameEngine::SetUI; the game tests for its presence before every call.
#pragma once

#include <cstdint>
#include <string>

#include "Game/core/GameTypes.h"

namespace GAME {

class Dialog;
class DialogPak;

class GameUIInterface {
public:
    virtual ~GameUIInterface() = default;

    // ---- the end of the game ----
    // The final boss has died.
    virtual void FinalBossDefeated() {}
    // Shows the closing story dialog, and whether a dialog is still on screen.
    virtual void ShowDialog(Dialog& /*dialog*/) {}
    virtual bool IsShowingDialog() const { return false; }
    // The closing sequence after the story dialog.
    virtual void EndSequence() {}
    // ---- end of the end of the game ----

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

    // A line of designers' debug text: its colour (red, green, blue, alpha) and where it
    // stands on the screen.
    virtual void ShowDebugText(const std::u16string& /*text*/, const float (& /*color*/)[4], float /*x*/, float /*y*/)
    {
    }
    // The player went through the final portal: the level is recorded completed and the
    // game is over.
    virtual void EndOfGame() {}
};

}  // namespace GAME
