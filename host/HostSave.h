// The character save of gamehost: the bundled run's player written at the end as the run
// left it (--save FILE, its tokens in FILE.tokens), and a saved character read into the
// player the run then plays, and printed (--load FILE).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace GAME {

class IOStreamWrite;
class Player;

// A save being written (--save PATH): its parts are gathered in memory, then put in place
// as one, through a journal at PATH.commit (IOStreamWrite::CloseTogether with the stem
// PATH): a process ended at any moment leaves the save before or this one, which the next
// save or load completes, and no temporary file after it. PATH.id goes with the parts: it
// lists each part of this save (its name after PATH, its size and its CRC-32), so that
// --load refuses a part changed since or of another save. The parts the earlier save's own
// PATH.id lists that this one has not (a quest's state, a village's progress) are removed
// with it; no other file there is.
class HostSaveParts {
public:
    explicit HostSaveParts(std::string path);
    ~HostSaveParts();
    HostSaveParts(const HostSaveParts&) = delete;
    HostSaveParts& operator=(const HostSaveParts&) = delete;

    const std::string& GetPath() const { return m_path; }
    // A part in the property stream's form at PATH + `suffix` (".tokens",
    // ".quests/quests.sav"): written into before Commit.
    IOStreamWrite& Stream(const std::string& suffix);
    // A part of plain text at PATH + `suffix`.
    void Text(const std::string& suffix, std::string_view text);
    // Puts the parts and PATH.id in place; true when all are. Else (GetError says why) no
    // file of the save changed: the save before it stays byte for byte, and a fresh save
    // leaves nothing, not even the quest state's folder it made.
    bool Commit();
    const std::string& GetError() const { return m_error; }

private:
    struct Part;
    std::string m_path;
    std::vector<std::unique_ptr<Part>> m_parts;
    std::string m_error;
};

// The file beside a save that lists its parts.
std::string SaveIdPath(const std::string& path);

// Saves the player and its tokens, the quest state (`quests`: every quest's, in PATH.quests/)
// and a village's progress (`progress` not empty: PATH.village) as one save (HostSaveParts),
// and prints what was saved; false (printed) when it could not be written whole, and then
// no file of the save changed.
bool SaveHostRun(uint32_t playerId, const std::string& path, bool quests, std::string_view progress = {});
// Reads the character saved at `path` into `player`, the bundled run's player before its
// first update, and prints what it holds: the run then plays it. The player holds the
// fight's skills (the save gives them their levels) and its own controller (which keeps the
// bags and the outfit the save carries); it takes the skill tree here. False when the save
// could not be read, which refuses the run (HostRefuse) with the reason.
bool LoadHostPlayer(Player& player, const std::string& path);
// Reads the character a level's run saved (the fight's skills, no tree taken) into a fresh
// player made from `record`, which stays for the run: its id, or 0 when the save could not
// be read, which refuses the run with the reason (the player is then discarded).
uint32_t ResumeHostPlayer(const std::string& path, const std::string& record);
// The second file, beside the character's.
std::string TokensPath(const std::string& path);

// Before the game starts: the save a run reads (--load PATH) is there whole (a save a
// process ended in the middle of is completed first), each part a file that reads in full
// (the character, its tokens, and the quest state in PATH.quests/), each the part PATH.id
// lists, and no file there that it does not list; and every place a run saves to (--save
// PATH) takes a file: PATH's folder is there, and no part's place is a folder (nor
// PATH.quests a file).
// Empty when they are sound (or not asked for), else the refusal, "--load PATH: REASON" or
// "--save PATH: REASON". The game's own read of the save still refuses a run whose parts are well formed
// but hold what this player cannot read.
std::string CheckHostSaves(const std::string& loadPath, const std::string& savePath);
// The last check before the game starts, the one that writes (HostAccepted makes it):
// PATH's folder and PATH.quests/ take new files (one is made there and removed). Empty
// when they do (or no --save is given), else the refusal "--save PATH: REASON".
std::string ProbeHostSave(const std::string& savePath);

}  // namespace GAME
