// The services modules: the client's (its roster and market clients), the server's (the
// host's roster and market servers) and the do-nothing server module of a pure client.
// Each sends through whichever interface the role has selected, read through the game
// engine's slot at every call.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

namespace GAME {

class GameEngineNetworkInterface;
class MarketClient;
class MarketServer;
class PlayerManagerClient;
class PlayerManagerServer;

class GameEngineClientServicesModule {
public:
    GameEngineClientServicesModule();
    virtual ~GameEngineClientServicesModule();
    virtual void SetNetworkInterfaceSlot(GameEngineNetworkInterface** slot) { m_interfaceSlot = slot; }
    virtual void Update(int ms);
    virtual PlayerManagerClient* GetPlayerManager() { return m_playerManager.get(); }

    GameEngineNetworkInterface* GetNetworkInterface() const { return m_interfaceSlot ? *m_interfaceSlot : nullptr; }

    // The market clients, one per merchant present in the level.
    MarketClient* GetMarketClient(uint32_t market) const;
    // Does nothing when the market already has its client.
    void CreateMarketClient(uint32_t market);
    void DestroyMarketClient(uint32_t market);

private:
    GameEngineNetworkInterface** m_interfaceSlot = nullptr;
    std::map<uint32_t, std::unique_ptr<MarketClient>> m_marketClients;
    std::unique_ptr<PlayerManagerClient> m_playerManager;
};

class GameEngineServerServicesModuleBase {
public:
    virtual ~GameEngineServerServicesModuleBase() = default;
    virtual void SetNetworkInterfaceSlot(GameEngineNetworkInterface** slot) { m_interfaceSlot = slot; }
    virtual void Update(int ms);
    virtual PlayerManagerServer* GetPlayerManager() { return nullptr; }
    // The market server of a merchant; none on a pure client.
    virtual MarketServer* GetMarketServer(uint32_t market);
    // The next update of that market server (of every one, for 0) draws a new stock key.
    virtual void ForceMarketRefresh(uint32_t market);

    GameEngineNetworkInterface* GetNetworkInterface() const { return m_interfaceSlot ? *m_interfaceSlot : nullptr; }

private:
    GameEngineNetworkInterface** m_interfaceSlot = nullptr;
};

class GameEngineServerServicesModule : public GameEngineServerServicesModuleBase {
public:
    GameEngineServerServicesModule();
    ~GameEngineServerServicesModule() override;
    void Update(int ms) override;
    PlayerManagerServer* GetPlayerManager() override { return m_playerManager.get(); }
    // Created, and loaded from its merchant, on the first request for that merchant.
    // Only a merchant present in the level has a market: one this machine keeps a
    // market client for. Any other id gets none (logged).
    MarketServer* GetMarketServer(uint32_t market) override;
    void ForceMarketRefresh(uint32_t market) override;
    size_t GetNumMarketServers() const { return m_marketServers.size(); }

private:
    std::map<uint32_t, std::unique_ptr<MarketServer>> m_marketServers;
    std::unique_ptr<PlayerManagerServer> m_playerManager;
    int m_balanceLevel = 0;
};

}  // namespace GAME
