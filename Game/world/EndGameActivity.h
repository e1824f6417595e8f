// The end of the game, played once the final boss has died: the ending music at once, the
// closing story dialog after a delay, the end-game portals unlocked as it opens, and the
// end sequence when the player closes it.
#pragma once

#include <cstdint>

#include "Game/core/ActivityManager.h"

namespace GAME {

class NpcDialogPak;

class EndGameActivity : public GameActivity {
public:
    static constexpr const char* kMusic = "Records/Sounds/Musicpak/OlympusEvent/OlympusEventEndingTheme.dbr";
    static constexpr const char* kDelayRecord = "Records/InGameUI/InGameUI/EndGameDialogWindow/EndGameInitialDelayTimer.dbr";
    static constexpr const char* kDialogRecord = "Records/Dialog/Story/ZeusQ15_A.dbr";
    static constexpr int kDefaultDialogDelayMs = 4000;
    // A delay past this is taken as a broken record and held here.
    static constexpr int kMaxDialogDelayMs = 600000;

    // Reads the dialog's delay ("time", in ms) from its record.
    EndGameActivity();
    // The dialog's pak goes; the user interface's end sequence runs once more.
    ~EndGameActivity() override;
    EndGameActivity(const EndGameActivity&) = delete;
    EndGameActivity& operator=(const EndGameActivity&) = delete;

    void Update(int ms) override;
    bool IsFinished() override { return m_done; }

    int GetElapsed() const { return m_elapsed; }
    int GetDialogDelay() const { return m_dialogDelay; }
    bool IsMusicStarted() const { return m_musicStarted; }
    bool IsDialogOpened() const { return m_dialogOpened; }

private:
    void OpenDialog();
    void DestroyDialogPak();

    int m_elapsed = 0;
    int m_dialogDelay = kDefaultDialogDelayMs;
    int m_musicDelay = 0;
    bool m_musicStarted = false;
    bool m_dialogOpened = false;
    bool m_done = false;
    bool m_firstUpdate = true;
    uint32_t m_dialogPak = 0;   // owned, by object id
};

}  // namespace GAME
