// Player-to-player trade.
#pragma once

namespace GAME {

class TradeManager {
public:
    void Update();
};

}  // namespace GAME
