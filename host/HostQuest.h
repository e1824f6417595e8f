// The bundled level's quest: the quest file beside the records is loaded, the quest
// giver's conversation, a kill in the arena pack and reaching the shrine satisfy its
// three steps, and the journal (each step done, the next task, the reward) is printed as
// it changes. With --save the quest state is written beside the character save, in the
// background; with --load it is read back and the quest resumes where it stood.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class Quest;

class HostQuest {
public:
    static constexpr const char* kQuestFile = "Levels/Quests/ArenaTrial.qst";
    static constexpr const char* kPackRecord = "Records/Quests/ArenaPack.dbr";
    static constexpr const char* kShrineRecord = "Records/Quests/ArenaShrine.dbr";
    // The frame on which the player reaches the shrine. On the network the players trade
    // first: the session makes the shrine due once this host's trade is over and holds it
    // back while the trade is open, so that the reward never arrives in the middle of it
    // whatever frames the trade runs in; the later frame is for a run without a trade.
    static constexpr int kShrineFrame = 240;
    static constexpr int kNetworkShrineFrame = 290;

    // The quest a level of its own brings: its file, the proxy record the fight's monster
    // joins for the kill step, the volume of the last step and the frame it is reached.
    struct Setup {
        std::string questFile = kQuestFile;
        std::string packRecord = kPackRecord;
        std::string shrineRecord = kShrineRecord;
        int shrineFrame = kShrineFrame;
    };
    // Plays `setup`'s quest in place of the bundled one; called before Start.
    void Use(const Setup& setup) { m_setup = setup; m_custom = true; }
    // The quest played (nullptr before it loaded).
    Quest* GetQuest() const;
    // The quest's line of a run's summary: its name, its state and the steps done.
    void PrintSummary() const;
    // A quest's state as the summaries print it: its name, its state and the steps done.
    static std::string StateLine(const Quest& quest);

    // Loads the quest, gives the monster to the arena pack, places the shrine, and
    // resumes a saved state (`loadPath` not empty). False when the quest did not load.
    bool Start(uint32_t playerId, uint32_t monsterId, const std::string& loadPath);
    // After the frame: the shrine is reached on its frame, or on the first frame after it
    // that `shrineHeld` does not hold it back; the journal's changes print.
    void AfterFrame(int frame, bool shrineHeld = false);
    // The shrine is due now, ahead of its frame: reached on the first frame that does not
    // hold it back, once.
    void MakeShrineDue() { m_shrineDue = m_shrineId != 0 && !m_shrineReached; }
    // Writes the quest state beside the character save; false (printed) on failure.
    static bool Save(const std::string& savePath);
    // The folder of the quest state of a character save.
    static std::string StateFolder(const std::string& savePath);
    static constexpr const char* kMainFile = "quests.sav";

private:
    void PrintJournal(int frame);

    Setup m_setup;
    bool m_custom = false;
    uint32_t m_playerId = 0;
    uint32_t m_shrineId = 0;
    int m_shrineFrame = kShrineFrame;
    bool m_shrineDue = false;   // reached on the next frame that does not hold it back
    bool m_shrineReached = false;
    std::vector<bool> m_stepsShown;
    bool m_completeShown = false;
};

}  // namespace GAME
