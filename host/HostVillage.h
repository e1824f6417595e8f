// A village played through alone (`--level NAME` where the level holds village lines):
// the host's own pieces make the village and its road around the main player, scripted
// clicks (--input) play the player's part, and a portal takes the player on into another
// level (host/HostLevel.h) whose steps end the game. The run prints a summary at its end and
// returns 0 only when the level was finished: the quest complete and the end sequence run.
// The village's lines are described with the level file in host/HostLevel.h.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostQuest.h"

namespace GAME {

class HostLevel;
struct HostOptions;

class HostVillage {
public:
    struct Step {
        enum Kind { Sell, Chest, Save, Portal };
        int frame = 0;
        Kind kind = Sell;
        std::string name;   // the record sold, or the level the portal leads to
    };

    // Whether a level line (comment taken off) is one of the village's.
    static bool Owns(const std::string& line);
    // Reads one of the village's lines (comment taken off): empty when it parses, else the
    // form the line should have, and the line is not kept.
    std::string ParseLine(const std::string& line);
    // Reads the village's lines; false when one does not parse or none is the quest's.
    bool Parse(const std::vector<std::string>& lines);

    bool HasQuest() const { return m_hasQuest; }
    const HostQuest::Setup& GetQuest() const { return m_quest; }
    bool HasTownsfolk() const { return m_townsfolk; }
    bool HasMerchant() const { return m_merchant; }
    bool HasRoad() const { return m_road; }
    bool HasShrines() const { return m_shrines; }
    const std::vector<Step>& GetSteps() const { return m_steps; }
    // The frame of the save step (0: none).
    int GetSaveFrame() const;

    // The whole run of a level with village lines; the process exit code.
    static int Run(const HostOptions& options, const HostLevel& level);

    // How far a saved run had come: the frame of the save and the game time played by then.
    struct Progress {
        int frame = 0;
        long long playedMs = 0;
    };
    static constexpr long long kMaxPlayedMs = 1000000000000LL;
    // The file beside a character save that holds the progress.
    static std::string ProgressPath(const std::string& savePath);
    // The file's text: "frame N\nplayed MS\n".
    static std::string ProgressText(const Progress& progress);
    // False when the file is missing, broken or out of range.
    static bool ReadProgress(const std::string& savePath, Progress& out);

private:
    bool m_hasQuest = false;
    HostQuest::Setup m_quest;
    bool m_townsfolk = false;
    bool m_merchant = false;
    bool m_road = false;
    bool m_shrines = false;
    std::vector<Step> m_steps;
};

}  // namespace GAME
