// The client's roster of the players in the game: their ids and a cached record per
// player, kept parallel (record i belongs to id i).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Game/core/GameTypes.h"
#include "Game/core/PlayerNetInfo.h"

namespace GAME {

struct Bonus;
class GameEngineClientServicesModule;

class PlayerManagerClient {
public:
    virtual ~PlayerManagerClient() = default;

    void SetServicesModule(GameEngineClientServicesModule* module) { m_module = module; }
    void Update(int ms);

    uint32_t GetMainPlayer() const { return m_mainPlayerId; }
    void SetMainPlayer(uint32_t id) { m_mainPlayerId = id; }

    // The roster as the host sent it: ids and records replaced.
    void HandlePlayerUpdate(const std::vector<PlayerNetBasicInfo>& records);
    // Refreshes the heartbeat part of the records of those players; this machine's own
    // player keeps its record.
    void HandlePlayerHeartbeatInbound(const std::vector<PlayerNetHeartbeatInfo>& heartbeats);
    // The host's share of a reward for one player.
    void HandleBonus(const Bonus& bonus);
    // Sets the party of every record of that player.
    void AddPlayerToParty(uint32_t player, int party);
    // Every player of that network host leaves the roster (with its portals).
    void RemovePlayerFromGame(int host);
    // Empties the roster and forgets the main player.
    void Clear();
    void BanPlayer(const std::u16string& name);

    // The first player of that network host; 0 when none.
    uint32_t GetPlayerIdFromHostId(int host) const;
    // The cached name of a player; "ErrorName" when the player is not in the roster.
    std::u16string GetPlayerName(uint32_t id) const;
    void GetAllPlayersInGame(std::vector<uint32_t>& out) const;
    const std::vector<PlayerNetBasicInfo>& GetPlayerInfoCache() const { return m_playerInfoCache; }
    // The levels of the players in the game whose objects exist: average (rounded),
    // lowest, highest and count.
    void GetPlayerInfo(PlayerInfo& out) const;
    // The average level of the records in the player's party, rounded up; 0 when none.
    uint32_t GetAveragePartyLevel(uint32_t player) const;

private:
    GameEngineClientServicesModule* m_module = nullptr;
    uint32_t m_mainPlayerId = 0;
    std::vector<uint32_t> m_playersInGame;
    std::vector<PlayerNetBasicInfo> m_playerInfoCache;
    int m_heartbeatTimer = 0;
    mutable CriticalSection m_lock;
};

}  // namespace GAME
