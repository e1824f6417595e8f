// The character save of gamehost: the bundled run's player written at the end as the run
// left it (--save FILE, its tokens in FILE.tokens), and a saved character read into the
// player the run then plays, and printed (--load FILE).
#pragma once

#include <cstdint>
#include <string>

namespace GAME {

class Player;

// Writes the player and its tokens as a pair; false (printed) when either could not be
// written, and then the previous pair, if any, stays as it was.
bool SaveHostPlayer(uint32_t playerId, const std::string& path);
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

// Before the game starts: the save a run reads (--load PATH) is there whole, each part a
// file that reads in full (the character, its tokens, and the quest state in
// PATH.quests/), and the folder a run saves to (--save PATH) takes files. Empty when they
// are sound (or not asked for), else the refusal, "--load PATH: REASON" or "--save PATH:
// REASON". The game's own read of the save still refuses a run whose parts are well formed
// but hold what this player cannot read.
std::string CheckHostSaves(const std::string& loadPath, const std::string& savePath);

}  // namespace GAME
