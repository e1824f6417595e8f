// Each monster's state changes, printed as "ai:" lines after every frame where the monsters'
// minds run (the single-process game). A network client runs no monster minds (its monsters
// follow the server), so a networked game prints none on either side.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace GAME {

class ControllerMonster;
class Monster;

class HostMonsterStates {
public:
    explicit HostMonsterStates(bool enabled);
    ~HostMonsterStates();
    HostMonsterStates(const HostMonsterStates&) = delete;
    HostMonsterStates& operator=(const HostMonsterStates&) = delete;
    // After the frame: one line for each monster whose executing state changed.
    void AfterFrame(int frame);
    // A look at one monster during the frame: a body that ends its death is destroyed
    // before the frame is over, so its dead state is shown as it is entered.
    void Look(int frame, const Monster& monster);
    // The printing instance of the run, if any.
    static HostMonsterStates* Active();

private:
    // A monster that entered its dead state: the treasure it leaves, printed as it is
    // placed, and what the treasure places once it has run.
    void NoteTreasure(int frame, const Monster& monster, const ControllerMonster& mind);
    void WatchTreasures(int frame);

    bool m_enabled;
    std::map<uint32_t, std::string> m_states;
    std::vector<uint32_t> m_treasures;   // placed treasure proxies whose objects are not shown yet
};

}  // namespace GAME
