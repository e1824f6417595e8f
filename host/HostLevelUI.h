// The user interface of a level of its own (host/HostLevel.h): prints what the game asks
// at the end of the game and notes that the end sequence ran; and the dialogs characters
// show the player, for the session's interface and a village's.
#pragma once

#include <cstdio>
#include <string>

#include "Engine/ObjectManager.h"
#include "Game/core/GameUIInterface.h"
#include "Game/quests/DialogPak.h"
#include "host/HostText.h"

namespace GAME {

// An interface that shows a character's dialog to the player: printed, by the character who
// speaks it, when shown and closed, and told as showing until it is closed.
template <class Base>
class HostNpcDialogs : public Base {
public:
    bool ShowNpcDialog(DialogPak* pak, uint32_t playerId, uint32_t npcId) override
    {
        m_speaker = HostName(ObjectManager::Get().GetObject(npcId));
        std::printf("ui: %s's dialog (%.1f s) shown to player %u\n", m_speaker.c_str(), pak->GetLength(), playerId);
        m_shown = pak;
        return true;
    }
    bool IsShowingNpcDialog(const DialogPak* pak) const override { return pak && pak == m_shown; }
    void CloseNpcDialog(DialogPak* pak) override
    {
        std::printf("ui: %s's dialog closed\n", pak == m_shown ? m_speaker.c_str() : "a character");
        m_shown = nullptr;
    }

private:
    const DialogPak* m_shown = nullptr;
    std::string m_speaker;   // who shows the dialog, as printed
};

// Prints the game's asks to save it.
class HostSavePrompts : public GameUIInterface {
public:
    bool SaveGame(GameDifficulty difficulty) override
    {
        std::printf("ui: save game (difficulty %d)\n", static_cast<int>(difficulty));
        return true;
    }
    bool SaveGame() override
    {
        std::printf("ui: save game\n");
        return true;
    }
};

// Prints what the game asks at the end of the game; the player reads the story dialog
// for a while and closes it.
class HostLevelUI : public HostSavePrompts {
public:
    static constexpr int kDialogReadingAsks = 3;

    bool DisplaySkillReallocationWindow(uint32_t) override { return true; }
    bool SaveQuest(bool) override { return true; }
    bool BackupGame() override { return true; }
    void FinalBossDefeated() override { std::printf("ui: the final boss is defeated\n"); }
    void ShowDialog(Dialog&) override
    {
        std::printf("ui: the story dialog is shown\n");
        m_asksLeft = kDialogReadingAsks;
    }
    bool IsShowingDialog() const override
    {
        if (m_asksLeft <= 0)
            return false;
        if (--m_asksLeft == 0)
            std::printf("ui: the story dialog is closed\n");
        return m_asksLeft > 0;
    }
    void EndSequence() override
    {
        std::printf("ui: the end sequence runs\n");
        m_ended = true;
    }
    // The game reached its end: the end sequence ran.
    bool EndSequenceRan() const { return m_ended; }

private:
    mutable int m_asksLeft = 0;
    bool m_ended = false;
};

}  // namespace GAME
