// The host's roster of the players in the game.
#pragma once

#include <cstdint>
#include <vector>

namespace GAME {

class GameEngineServerServicesModule;

class PlayerManagerServer {
public:
    virtual ~PlayerManagerServer() = default;

    void SetServicesModule(GameEngineServerServicesModule* module) { m_module = module; }
    void Update(int ms);

private:
    GameEngineServerServicesModule* m_module = nullptr;
    std::vector<uint32_t> m_players;
};

}  // namespace GAME
