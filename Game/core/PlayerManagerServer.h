// The host's roster of the players in the game: their ids and a record per player, kept
// parallel (record i belongs to id i).
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/World.h"
#include "Game/core/PlayerNetInfo.h"

namespace GAME {

struct Bonus;
class GameEngineServerServicesModule;

class PlayerManagerServer {
public:
    virtual ~PlayerManagerServer() = default;

    void SetServicesModule(GameEngineServerServicesModule* module) { m_module = module; }
    void Update(int ms);

    // A player joins the roster; one already in it changes nothing.
    void HandleNewPlayer(const PlayerNetBasicInfo& player);
    // Refreshes the heartbeat part of every record of that player.
    void HandlePlayerHeartbeatInbound(const PlayerNetHeartbeatInfo& heartbeat);
    // Shares a reward earned at `where` among the players near it.
    void HandleBonus(const Bonus& bonus, const WorldVec3& where, const uint32_t& earner);
    // Sets the party of every record of that player.
    void AddPlayerToParty(uint32_t player, int party);
    // Every player of that network host leaves the roster.
    void RemovePlayerFromGame(int host);
    void Clear();

    size_t GetNumberOfPlayers() const { return m_players.size(); }
    const std::vector<PlayerNetBasicInfo>& GetPlayerInfos() const { return m_playerInfos; }

private:
    GameEngineServerServicesModule* m_module = nullptr;
    std::vector<uint32_t> m_players;
    std::vector<PlayerNetBasicInfo> m_playerInfos;
};

}  // namespace GAME
