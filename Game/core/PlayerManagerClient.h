// The client's roster of the players in the game: their ids and a cached record per
// player, kept parallel (record i belongs to id i). It keeps this machine's own record
// fresh, sends its player's heartbeat to the host, takes the roster and heartbeats the
// host sends, applies the host's shares of rewards, bans players and answers roster
// questions for the interface and the other managers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Engine/CriticalSection.h"
#include "Engine/World.h"
#include "Game/core/GameTypes.h"
#include "Game/core/PlayerNetInfo.h"

namespace GAME {

struct Bonus;
class GameEngineClientServicesModule;
class Player;

class PlayerManagerClient {
public:
    virtual ~PlayerManagerClient() = default;

    void SetServicesModule(GameEngineClientServicesModule* module) { m_module = module; }
    // Refreshes this machine's record from its player and, once more than the heartbeat
    // interval has passed, sends the player's heartbeat to the host.
    void Update(int ms);

    uint32_t GetMainPlayer() const { return m_mainPlayerId; }
    // This machine's player joins the roster, and the host's roster: here on the host
    // (and alone), by the join sent to the host on a client.
    void SetMainPlayer(uint32_t id);
    // Empties the roster and forgets the main player.
    void Clear();

    // The roster as the host sent it: ids and records replaced.
    void HandlePlayerUpdate(const std::vector<PlayerNetBasicInfo>& records);
    // Refreshes the heartbeat part of the records of those players; this machine's own
    // player keeps its record.
    void HandlePlayerHeartbeatInbound(const std::vector<PlayerNetHeartbeatInfo>& heartbeats);
    // The host's share of a reward for one player, applied to that player here. A
    // reward this machine's player produced was applied where it was earned.
    void HandleBonus(const Bonus& bonus);
    // Sets the party of every record of that player.
    void AddPlayerToParty(uint32_t player, int party);
    // Every player of that network host leaves the roster (with its portals).
    void RemovePlayerFromGame(int host);
    // Drops the network host of every player in the game of exactly that name.
    void BanPlayer(const char* name);
    void BanPlayer(const std::u16string& name);
    // Hands the names of the players to the engine's game information.
    void UpdateGameInfo();
    // Logs the roster.
    void DumpPlayersToConsole() const;

    // ---- Questions -----------------------------------------------------------------------
    void GetAllPlayersInGame(std::vector<uint32_t>& out) const;
    const std::vector<PlayerNetBasicInfo>& GetPlayerInfoCache() const { return m_playerInfoCache; }
    // A copy of the player's record; a default record when it has none.
    PlayerNetBasicInfo GetPlayerInfo(uint32_t id) const;
    // The levels of the players in the game whose objects exist: average (rounded),
    // lowest, highest and count.
    void GetPlayerInfo(PlayerInfo& out) const;
    // The first player of that network host; 0 when none.
    uint32_t GetPlayerIdFromHostId(int host) const;
    // From the player's record: its class tag (empty), its name ("ErrorName"), its last
    // known position (none) and its level as text (empty) when it has no record.
    std::string GetPlayerClass(uint32_t id) const;
    std::u16string GetPlayerName(uint32_t id) const;
    WorldVec3 GetPlayerLocation(uint32_t id) const;
    std::u16string GetPlayerLevel(uint32_t id) const;
    // The first player whose name equals `name` ignoring case; a name in double quotes
    // is looked up without them. 0 when none.
    uint32_t GetPlayerWithName(const std::u16string& name) const;
    bool IsPlayerInList(uint32_t id) const;   // has a record
    bool IsPlayerInGame(uint32_t id) const;   // is among the ids
    // The average level of the player's party, rounded up; a player in no party is a
    // party of one. 0 when the player has no record.
    uint32_t GetAveragePartyLevel(uint32_t player) const;

private:
    const PlayerNetBasicInfo* FindRecord(uint32_t id) const;
    void RefreshLocalRecord();
    void SendHeartbeat();
    void BanMatching(const std::function<bool(const Player&)>& matches, const std::string& name);

    GameEngineClientServicesModule* m_module = nullptr;
    uint32_t m_mainPlayerId = 0;
    std::vector<uint32_t> m_playersInGame;
    std::vector<PlayerNetBasicInfo> m_playerInfoCache;
    int m_heartbeatTimer = 0;
    mutable CriticalSection m_lock;
};

}  // namespace GAME
