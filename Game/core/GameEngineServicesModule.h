// The services modules: the client's (its roster and market clients), the server's (the
// host's roster and market servers) and the do-nothing server module of a pure client.
// Each sends through whichever interface the role has selected, read through the game
// engine's slot at every call.
#pragma once

#include <memory>

namespace GAME {

class GameEngineNetworkInterface;
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

private:
    GameEngineNetworkInterface** m_interfaceSlot = nullptr;
    std::unique_ptr<PlayerManagerClient> m_playerManager;
};

class GameEngineServerServicesModuleBase {
public:
    virtual ~GameEngineServerServicesModuleBase() = default;
    virtual void SetNetworkInterfaceSlot(GameEngineNetworkInterface** slot) { m_interfaceSlot = slot; }
    virtual void Update(int ms);
    virtual PlayerManagerServer* GetPlayerManager() { return nullptr; }

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

private:
    std::unique_ptr<PlayerManagerServer> m_playerManager;
    int m_balanceLevel = 0;
};

}  // namespace GAME
