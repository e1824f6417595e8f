// The client's roster of the players in the game.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/CriticalSection.h"

namespace GAME {

class GameEngineClientServicesModule;

class PlayerManagerClient {
public:
    virtual ~PlayerManagerClient() = default;

    void SetServicesModule(GameEngineClientServicesModule* module) { m_module = module; }
    void Update(int ms);

    uint32_t GetMainPlayer() const { return m_mainPlayerId; }
    void SetMainPlayer(uint32_t id) { m_mainPlayerId = id; }

    // The cached name of a player; empty when the player is not in the roster.
    std::u16string GetPlayerName(uint32_t id) const;
    void GetAllPlayersInGame(std::vector<uint32_t>& out) const;
    // Enters a player into the roster of the players in the game; a listed id stays once.
    void AddPlayerInGame(uint32_t id);
    void BanPlayer(const std::u16string& name);

private:
    GameEngineClientServicesModule* m_module = nullptr;
    uint32_t m_mainPlayerId = 0;
    std::vector<uint32_t> m_playersInGame;
    int m_heartbeatTimer = 0;
    mutable CriticalSection m_lock;
};

}  // namespace GAME
