// Each monster's state changes, printed as "ai:" lines. In the single-process game they are
// the states of the monsters' minds, looked at after every frame. On the network only the
// server runs the minds; what every host knows of them is the actions they choose, which
// travel from the server to each client. There both sides print the changes of each
// monster's and townsperson's action as it travels: the server as it sends it, a client as
// it applies it, alike on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace GAME {

class ControllerMonster;
class Monster;

class HostMonsterStates {
public:
    // `networked`: the lines follow the actions that travel instead of the minds.
    HostMonsterStates(bool enabled, bool networked);
    ~HostMonsterStates();
    HostMonsterStates(const HostMonsterStates&) = delete;
    HostMonsterStates& operator=(const HostMonsterStates&) = delete;
    void BeforeFrame(int frame) { m_frame = frame; }
    // After the frame: one line for each monster whose executing state changed.
    void AfterFrame(int frame);
    // A packet as it travels (sent, or received once applied): a monster's or a
    // townsperson's action of another kind than its last one is a line.
    void Travelled(const unsigned char* data, size_t size);
    // A look at one monster during the frame: a body that ends its death is destroyed
    // before the frame is over, so its dead state (and the treasure it leaves, which the
    // server also shows on the network) is shown as it is entered.
    void Look(int frame, const Monster& monster);
    // The printing instance of the run, if any.
    static HostMonsterStates* Active();

private:
    // A monster that entered its dead state: the treasure it leaves, printed as it is
    // placed, and what the treasure places once it has run.
    void NoteTreasure(int frame, const Monster& monster, const ControllerMonster& mind);
    void WatchTreasures(int frame);

    bool m_enabled;
    bool m_networked;
    int m_frame = 0;
    std::map<uint32_t, std::string> m_states;
    std::vector<uint32_t> m_treasures;   // placed treasure proxies whose objects are not shown yet
};

}  // namespace GAME
