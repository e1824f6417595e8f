// Each monster's state changes, printed as "ai:" lines after every frame where the monsters'
// minds run (the single-process game). A network client runs no monster minds (its monsters
// follow the server), so a networked game prints none on either side.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace GAME {

class HostMonsterStates {
public:
    explicit HostMonsterStates(bool enabled) : m_enabled(enabled) {}
    // After the frame: one line for each monster whose executing state changed.
    void AfterFrame(int frame);

private:
    bool m_enabled;
    std::map<uint32_t, std::string> m_states;
};

}  // namespace GAME
