// Two shrines in the bundled level, placed beside the local player on every host: a
// respawn shrine and a teleport shrine. The run prints each as the player discovers it,
// then uses the teleport shrine once and prints the menu it opens.
#pragma once

#include <cstdint>
#include <memory>

namespace GAME {

class HostShrines {
public:
    HostShrines();
    ~HostShrines();
    HostShrines(const HostShrines&) = delete;
    HostShrines& operator=(const HostShrines&) = delete;

    // Places the shrines near the player; false when the player is not in the world.
    bool Start(uint32_t playerId);
    // After the frame: prints what the player discovered.
    void AfterFrame(int frame);

private:
    struct Menu;
    uint32_t m_playerId = 0;
    uint32_t m_respawnId = 0;
    uint32_t m_teleportId = 0;
    int m_respawnState = -1;
    int m_teleportState = -1;
    bool m_used = false;
    std::unique_ptr<Menu> m_menu;
};

}  // namespace GAME
