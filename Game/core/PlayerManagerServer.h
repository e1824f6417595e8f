// The host's roster of the players in the game: their ids and a record per player, kept
// parallel (record i belongs to id i). It takes in the players that join, the heartbeats
// they send and the players that leave, sends the roster's heartbeats and now and then
// the whole roster to every peer, and shares the rewards earned in the game among the
// players near where they were earned, by the four formulas of the bonus sharing record.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Engine/World.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/core/foundation/DesignerEquation.h"

namespace GAME {

struct Bonus;
class GameEngineNetworkInterface;
class GameEngineServerServicesModule;
class Monster;

class PlayerManagerServer : public EquationInterface<float> {
public:
    // Loads the sharing formulas.
    PlayerManagerServer();
    ~PlayerManagerServer() override;
    PlayerManagerServer(const PlayerManagerServer&) = delete;
    PlayerManagerServer& operator=(const PlayerManagerServer&) = delete;

    void SetServicesModule(GameEngineServerServicesModule* module) { m_module = module; }
    // Once more than the host's heartbeat interval has passed, sends every record's
    // heartbeat to the peers, or on every fourth send after the first four the whole roster.
    void Update(int ms);

    // A player joins the roster; the peers get the new roster, the newcomer the portals
    // and the others a notice. One already in the roster changes nothing.
    void HandleNewPlayer(const PlayerNetBasicInfo& player);
    // A player leaves: the others are told, and its first entry goes.
    void HandleRemovePlayer(uint32_t id);
    // The players of a network host leave: the others are told and the party the
    // leaver led is handed on.
    void RemovePlayerFromGame(int host);
    // Refreshes the heartbeat part of every record of that player but its party.
    void HandlePlayerHeartbeatInbound(const PlayerNetHeartbeatInfo& heartbeat);
    // Sets the party of every record of that player.
    void AddPlayerToParty(uint32_t player, int party);
    void Clear();

    size_t GetNumberOfPlayers() const { return m_players.size(); }
    const std::vector<PlayerNetBasicInfo>& GetPlayerInfos() const { return m_playerInfos; }
    // The player's last known position; none when it has no record.
    WorldVec3 GetPlayerLocation(uint32_t id) const;

    // ---- Reward sharing ---------------------------------------------------------------
    // (Re)reads the four sharing formulas; one that does not parse is logged and stays
    // absent.
    void LoadEquations();
    // The player's share of all the damage done to the source, from 0 to 1.
    float GetExperienceMultiplier(uint32_t player, uint32_t source) const;
    // Shares a reward earned by `earner` at `where` and sends each player its part.
    void HandleBonus(const Bonus& bonus, const WorldVec3& where, const uint32_t& earner);
    // A bonus a machine reports for its player (the network operation): only the gold
    // of a pile the player could have picked up is shared, by HandleBonus; the rest of
    // the report is dropped, and a refused one logged.
    void HandleReportedBonus(const Bonus& reported, const WorldVec3& where, uint32_t earner);
    // "amountOfGold", "amountOfExperience" and "evaluatingPartyMemberCount", bound once
    // when a formula loads (GetDesignerVariable reads through the same binding).
    DesignerVariableSlot<float> BindDesignerVariable(const char* name) override;

private:
    // One player's parts of a shared reward, in whole points.
    struct SharedParts {
        uint32_t activeExperience = 0;
        uint32_t activeGold = 0;
        uint32_t passiveExperience = 0;
        uint32_t passiveGold = 0;
    };

    GameEngineNetworkInterface* GetNetworkInterface() const;
    // Whether the earner may have picked up that much gold at `where`; a pile that
    // vouches for a player of another machine is taken out of this host's world.
    bool MayReportGold(uint32_t gold, const WorldVec3& where, uint32_t earner);
    void ShareAlone(const Bonus& bonus, const Monster* source, uint32_t earner, GameEngineNetworkInterface& network);
    void ShareAmongNearby(const Bonus& bonus, const Monster* source, const WorldVec3& where, uint32_t earner,
                          GameEngineNetworkInterface& network);
    SharedParts EvaluateShares(const Bonus& bonus, const Monster* source, const WorldVec3& where, uint32_t player);
    // Tells every roster member but `about` a ready text.
    void TellOthers(uint32_t about, const std::u16string& text) const;

    GameEngineServerServicesModule* m_module = nullptr;
    std::vector<uint32_t> m_players;
    std::vector<PlayerNetBasicInfo> m_playerInfos;
    int m_sendTimer = 0;
    int m_sendCounter = 0;
    std::unique_ptr<DesignerEquation<float>> m_activeExperienceEquation;
    std::unique_ptr<DesignerEquation<float>> m_passiveExperienceEquation;
    std::unique_ptr<DesignerEquation<float>> m_activeGoldEquation;
    std::unique_ptr<DesignerEquation<float>> m_passiveGoldEquation;
    float m_amountOfGold = 0.0f;
    float m_amountOfExperience = 0.0f;
    float m_evaluatingPartyMemberCount = 0.0f;
};

}  // namespace GAME
