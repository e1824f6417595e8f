// The bundled level's quest: the quest file beside the records is loaded, the quest
// giver's conversation, a kill in the arena pack and reaching the shrine satisfy its
// three steps, and the journal (each step done, the next task, the reward) is printed as
// it changes. The shrine is a trigger volume placed away from the fight: once the journal
// asks for it, the player walks there by a click on the ground, and the volume reports its
// entry as it does for any walker. With --save the quest state is written beside the
// character save, in the background; with --load it is read back and the quest resumes
// where it stood.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace GAME {

class EventHandlerInterface;
class HostSaveParts;
class Quest;
struct GameEvent_EnterBoundingVolume;

class HostQuest {
public:
    static constexpr const char* kQuestFile = "Levels/Quests/ArenaTrial.qst";
    static constexpr const char* kPackRecord = "Records/Quests/ArenaPack.dbr";
    static constexpr const char* kShrineRecord = "Records/Quests/ArenaShrine.dbr";
    // The frame from which the player walks to the shrine. On the network the players trade
    // first: the session makes the walk due once this host's trade is over and holds it
    // back while the trade is open, so that the reward never arrives in the middle of it
    // whatever frames the trade runs in; the later frame is for a run without a trade.
    static constexpr int kShrineFrame = 240;
    static constexpr int kNetworkShrineFrame = 290;
    // Where the shrine stands, from where the player stands at the start: beyond the arena,
    // off the fight's paths and away from the bystanders, the townsfolk and the merchant,
    // with room round it for a village's chest walk that starts there, and three units or
    // more from the path of a second host's player, which starts four units aside (along z)
    // and walks to a shrine of its own.
    static constexpr float kShrineDx = 16.0f;
    static constexpr float kShrineDz = 8.0f;
    // A walk that stopped short of the shrine is clicked again, this many times at most.
    static constexpr int kMaxClicks = 8;

    // The quest a level of its own brings: its file, the proxy record the fight's monster
    // joins for the kill step, the volume of the last step and the frame from which the
    // player walks to it.
    struct Setup {
        std::string questFile = kQuestFile;
        std::string packRecord = kPackRecord;
        std::string shrineRecord = kShrineRecord;
        int shrineFrame = kShrineFrame;
    };

    HostQuest();
    ~HostQuest();
    HostQuest(const HostQuest&) = delete;
    HostQuest& operator=(const HostQuest&) = delete;

    // Plays `setup`'s quest in place of the bundled one; called before Start.
    void Use(const Setup& setup) { m_setup = setup; m_custom = true; }
    // The quest played (nullptr before it loaded).
    Quest* GetQuest() const;
    // The quest's line of a run's summary: its name, its state and the steps done.
    void PrintSummary() const;
    // A quest's state as the summaries print it: its name, its state and the steps done.
    static std::string StateLine(const Quest& quest);

    // Loads the quest, gives the monster to the arena pack, places the shrine beside where
    // the player stands, and resumes a saved state (`loadPath` not empty). False when the
    // quest did not load, or (refused) when the save holds no quest state or one that does
    // not read.
    bool Start(uint32_t playerId, uint32_t monsterId, const std::string& loadPath);
    // Before the frame: from the shrine's frame on (or once made due), on a frame that
    // `held` does not hold back, while the journal's next task is the last step's, the
    // player is clicked to the shrine; a walk that ended short of it is clicked again. A
    // walk under way when `held` begins is stopped where the player stands.
    void BeforeFrame(int frame, bool held = false);
    // After the frame: the journal's changes print.
    void AfterFrame(int frame);
    // The walk is due now, ahead of the shrine's frame.
    void MakeShrineDue() { m_shrineDue = true; }
    // Whether the shrine told of the player's entry.
    bool ShrineReached() const { return m_shrineReached; }
    uint32_t GetShrineId() const { return m_shrineId; }
    // Adds the state of every quest and the repository's main file to a save, in
    // PATH.quests/ (host/HostSave.h).
    static void AddState(HostSaveParts& save);
    // The folder of the quest state of a character save.
    static std::string StateFolder(const std::string& savePath);
    static constexpr const char* kMainFile = "quests.sav";

    // Before the game starts, nothing logged: why the quest file (under the data folder)
    // cannot be played, "the quest FILE does not exist" or "... does not read (REASON)";
    // empty when it reads.
    static std::string CheckFile(const std::string& questFile);
    // Before the game starts: why the quest state of the save `loadPath` is none of the quest
    // file as it is now, "PATH.quests holds no state of the quest FILE (...)"; the load would
    // drop it and play the quest from its start. Empty when it is (or the file does not read,
    // which CheckFile says).
    static std::string CheckSavedState(const std::string& questFile, const std::string& loadPath);

private:
    void PrintJournal(int frame);
    // The shrine's volume beside where the player stands, and the ear for its entries.
    void PlaceShrine();
    // Every step before the last done, the last not: the journal asks for the shrine.
    bool AsksForShrine() const;
    void OnEnter(const GameEvent_EnterBoundingVolume& event);

    Setup m_setup;
    bool m_custom = false;
    uint32_t m_playerId = 0;
    uint32_t m_shrineId = 0;
    int m_shrineFrame = kShrineFrame;
    int m_frame = 0;            // the frame under way
    bool m_shrineDue = false;   // the walk may start before the shrine's frame
    int m_clicks = 0;           // the clicks the walk took so far
    bool m_walkHeld = false;    // the walk was stopped for the trade under way
    bool m_shrineReached = false;
    std::vector<bool> m_stepsShown;
    bool m_completeShown = false;
    std::unique_ptr<EventHandlerInterface> m_entered;
};

}  // namespace GAME
