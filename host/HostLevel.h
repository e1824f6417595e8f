// A level of its own for gamehost (`--level NAME` reads data/Levels/NAME.lvl): the objects
// it places, the main player, and a script of steps by frame that plays the player's part.
// The run prints what the bosses of the level do (their states, the god each wields, their
// deaths) and what the game asks of the user interface up to the end of the game.
//
// The level file, UTF-8 text without control characters (a byte order mark before its first
// line is skipped), one entry a line ('#' starts a comment):
//   region ID NAME              the region the level is in (before anything is placed)
//   player RECORD X Y Z         the main player (one line)
//   place RECORD X Y Z          any entity made from its record
//   at FRAME wake RECORD        the character of that record is woken by the player
//   at FRAME attack RECORD      the player attacks the nearest living character of that
//                               record: the host holds the primary button on it, as a
//                               held click would, until it falls; the next attack step
//                               waits for that. The blows are the player's own
//   at FRAME break              the same on the statue of the god the final boss wields
//                               when the step's turn comes (while it wields none, the
//                               player waits)
//   at FRAME useskill RECORD    the quest orders the character of that record to use a
//                               skill on the player
// FRAME lies in 1..kMaxFrame.
// A level with the lines below is a village, played alone by host/HostVillage.h around the
// road's fight, which makes the player (a run resumed from a save makes it from the `player`
// line's record); --input steers it:
//   quest FILE PACK SHRINE FRAME  the quest (a file under the data folder); the road's monster
//                                 joins the proxy PACK its kill step counts, the trigger volume
//                                 SHRINE of its last step stands beside the player's start, and
//                                 from FRAME, once the journal asks for it, the player walks
//                                 there by a click (host/HostQuest.h)
//   townsfolk                     the quest giver beside the player, two villagers and a door
//   merchant                      the merchant who comes once the road's monster is down; a
//                                 click on him opens his shop
//   road                          the road's spawn proxy and its ambush
//   shrines                       a respawn shrine and a teleport shrine beside the player
//   at FRAME sell RECORD          the player sells the merchant an item of that record it carries
//   at FRAME chest                the player walks the road's chest (locked while its champion
//                                 lives), a door, a shrine, a well and a boat
//   at FRAME save                 with --save FILE the player and the quest are saved here; with
//                                 --load FILE a fresh process plays on from here
//   at FRAME portal LEVEL         the player goes through a portal into data/Levels/LEVEL.lvl,
//                                 whose steps then run counted from FRAME
// A village holds one quest, one save point and one portal at most.
// A level holds at most kMaxEntries entries and every coordinate lies within kMaxCoordinate
// of the origin. A line that does not parse refuses the level: the run says which line,
// what it reads and the form it should have. docs/formats.md describes the file for users.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Math.h"
#include "host/HostSession.h"

namespace GAME {

class HostVillage;
class Region;
class ScriptPoint;

class HostLevel {
public:
    static constexpr size_t kMaxEntries = 256;
    static constexpr float kMaxCoordinate = 10000.0f;
    static constexpr int kMaxFrame = 10000000;

    struct Placement {
        std::string record;
        Vec3 where{};
    };
    struct Step {
        enum Kind { Wake, Attack, Break, UseSkill };
        int frame = 0;
        Kind kind = Wake;
        std::string record;
    };

    // Reads the level text; false when a line does not parse, the level places no player or
    // its village lines hold no quest: GetError() then says which line and why.
    bool Parse(const std::string& text);
    const std::string& GetError() const { return m_error; }
    // A level's name: 1 to 64 letters, digits, '_' and '-' (a file of data/Levels/).
    static bool IsLevelName(const std::string& name);
    const std::vector<Placement>& GetPlacements() const { return m_placements; }
    const std::vector<Step>& GetSteps() const { return m_steps; }
    const Placement& GetPlayer() const { return m_player; }
    uint32_t GetRegionId() const { return m_regionId; }
    // Tells the scripted characters (by "GameEvent_ScriptPoint") where a script point the
    // level placed stands, which character it is for and its number in that character's
    // sequence. The level does so for each of its points once all its objects are placed.
    static void AnnounceScriptPoint(const ScriptPoint& point);
    // The level's region, made when no region has its id yet: set apart from the world's
    // origin (HostLevelArrival::kRegionOffset) for a level entered through a portal. Every
    // host of a networked game opens it alike, so that what the server sends of it is
    // placed. Null (logged) when it cannot be made.
    Region* OpenRegion(bool setApart) const;
    // The village's lines, as written (comments taken off).
    const std::vector<std::string>& GetVillageLines() const { return m_villageLines; }

    // Reads data/Levels/NAME.lvl under the data folder: true when read; false when NAME is no
    // level name or the file cannot be read or does not parse, which refuses the run
    // (HostRefuse) with the reason.
    static bool Read(const std::string& name, HostLevel& out);
    // The whole run: start-up, the level, the frames, shut-down; the process exit code.
    static int Run(const HostOptions& options);
    // The run of this level (--level) is accepted (HostAccepted): gamehost's header, then
    // what the level holds; false when the last check refuses it.
    bool Accepted(const HostOptions& options) const;

private:
    // Reads one line: empty when it parses (or is blank), else the form it should have. The
    // village's lines go through `village`, which keeps what they said so far.
    std::string ParseLine(const std::string& line, HostVillage& village);
    bool ReadPlace(std::istream& in, Placement& out) const;

    uint32_t m_regionId = 1;
    std::string m_regionName = "Level";
    bool m_hasPlayer = false;
    Placement m_player;
    std::vector<Placement> m_placements;
    std::vector<Step> m_steps;
    std::vector<std::string> m_villageLines;
    std::string m_error;
    friend class HostLevelRun;
    friend class HostLevelArrival;
};

class HostLevelRun;

// A level entered through a portal by a player already in the world: its objects are
// placed in its own region (set apart from the others), the player arrives where the
// level places its player, and the level's steps run counted from the arrival's frame.
class HostLevelArrival {
public:
    // The region is set this far from the world's origin.
    static constexpr float kRegionOffset = 5000.0f;

    explicit HostLevelArrival(const HostLevel& level);
    ~HostLevelArrival();
    HostLevelArrival(const HostLevelArrival&) = delete;
    HostLevelArrival& operator=(const HostLevelArrival&) = delete;

    // False when the player is not in the world.
    bool Arrive(uint32_t playerId, int frame);
    bool HasArrived() const { return m_arrived; }
    void BeforeFrame(int frame);
    void AfterFrame(int frame);

private:
    HostLevel m_level;
    std::unique_ptr<HostLevelRun> m_run;
    bool m_arrived = false;
};

}  // namespace GAME
