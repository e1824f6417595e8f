// A level of its own for gamehost (`--level NAME` reads data/Levels/NAME.lvl): the objects
// it places, the main player, and a script of steps by frame that plays the player's part.
// The run prints what the bosses of the level do (their states, the god each wields, their
// deaths) and what the game asks of the user interface up to the end of the game.
//
// The level file, one entry a line ('#' starts a comment):
//   region ID NAME              the region the level is in (before anything is placed)
//   player RECORD X Y Z         the main player
//   place RECORD X Y Z          any entity made from its record
//   at FRAME wake RECORD        the character of that record is woken by the player
//   at FRAME strike RECORD N    the player strikes that character for N life
//   at FRAME break N            the player strikes the statue of the god the final boss
//                               wields now for N life
//   at FRAME useskill RECORD    the quest orders the character of that record to use a
//                               skill on the player
// A line that does not parse is logged with its number and skipped; a level holds at most
// kMaxEntries entries and every coordinate lies within kMaxCoordinate of the origin.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Math.h"
#include "host/HostSession.h"

namespace GAME {

class HostLevel {
public:
    static constexpr size_t kMaxEntries = 256;
    static constexpr float kMaxCoordinate = 10000.0f;

    struct Placement {
        std::string record;
        Vec3 where{};
    };
    struct Step {
        enum Kind { Wake, Strike, Break, UseSkill };
        int frame = 0;
        Kind kind = Wake;
        std::string record;
        float amount = 0.0f;
    };

    // Reads the level text; false when it places no player.
    bool Parse(const std::string& text);
    const std::vector<Placement>& GetPlacements() const { return m_placements; }
    const std::vector<Step>& GetSteps() const { return m_steps; }
    const Placement& GetPlayer() const { return m_player; }
    uint32_t GetRegionId() const { return m_regionId; }

    // The whole run: start-up, the level, the frames, shut-down; the process exit code.
    static int Run(const HostOptions& options);

private:
    bool ParseLine(const std::string& line, int number);
    bool ReadPlace(std::istream& in, Placement& out) const;

    uint32_t m_regionId = 1;
    std::string m_regionName = "Level";
    bool m_hasPlayer = false;
    Placement m_player;
    std::vector<Placement> m_placements;
    std::vector<Step> m_steps;
    friend class HostLevelRun;
};

}  // namespace GAME
