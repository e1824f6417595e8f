// Teams and the friend and foe tests between them.
#pragma once

namespace GAME {

class TeamManager {
public:
    TeamManager() = default;
};

}  // namespace GAME
