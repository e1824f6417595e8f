// Network region loaders: before a player appears at a new place, both ends load the
// regions around it and tell each other their progress (NRLoaderStatePacket). Each loader
// belongs to one player and is registered with the game engine under that id.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "Engine/World.h"
#include "Game/network/NRLoaderState.h"

namespace GAME {

class RegionLoader;

// Told once when a held server loader finds both ends loaded.
class NRLoaderListener {
public:
    virtual ~NRLoaderListener() = default;
    virtual void OnRegionsLoaded() = 0;
};

// The bare loader loads nothing: it is done once a state of 2 has been set on it.
class NetworkRegionLoaderBase {
public:
    NetworkRegionLoaderBase() = default;
    virtual ~NetworkRegionLoaderBase();
    NetworkRegionLoaderBase(const NetworkRegionLoaderBase&) = delete;
    NetworkRegionLoaderBase& operator=(const NetworkRegionLoaderBase&) = delete;

    virtual void Update() {}
    // The other end's report; the bare loader takes it as its own progress too.
    virtual void SetRemoteState(NRLoaderState state);
    virtual bool IsDone() const;

    // Registers the loader with the game engine under the player, then keeps both values.
    void Initialize(const WorldVec3& position, uint32_t playerId);
    uint32_t GetPlayerId() const { return m_playerId; }
    bool HasPlayer() const { return m_playerId != 0; }

    NRLoaderState GetRemoteState() const { return m_remoteState; }
    NRLoaderState GetLocalState() const { return m_localState; }

protected:
    NRLoaderState m_remoteState = NRLoaderState_NotStarted;
    NRLoaderState m_localState = NRLoaderState_NotStarted;
    WorldVec3 m_position;
    uint32_t m_playerId = 0;
};

// A client's loader: loads the regions in the player's view around the position and
// reports its progress to the server.
class NRLoaderClient : public NetworkRegionLoaderBase {
public:
    NRLoaderClient();
    ~NRLoaderClient() override;

    void Update() override;
    void SetRemoteState(NRLoaderState state) override;
    virtual void SetLocalState(NRLoaderState state);
    virtual void ReportStateChange(uint32_t playerId, NRLoaderState state);
    // The regions in the view frustum at the position, pushed out by the level-load
    // inflation; nothing when the position lies in no region.
    virtual void BuildRegionLoader();

    const RegionLoader* GetRegionLoader() const { return m_regionLoader.get(); }

protected:
    // The step of Update while loading (state 1): report 2 once the regions are in.
    virtual void UpdateLoading();
    // Whether this end's regions are in. A loader whose position lies in no region has
    // nothing to load and counts as loaded, so whoever waits on it is not held forever.
    bool AreRegionsLoaded() const;

    std::unique_ptr<RegionLoader> m_regionLoader;
};

// The server's loader for a remote player: it enters 2 only once the client has reported
// 2 and no hold is set; its listeners are told once, when both ends are first loaded.
class NRLoaderServer : public NRLoaderClient {
public:
    void ReportStateChange(uint32_t playerId, NRLoaderState state) override;

    void SetHold() { m_hold = true; }
    void ClearHold() { m_hold = false; }
    void AddListener(NRLoaderListener* listener) { m_listeners.push_back(listener); }

protected:
    // Waits for the client's 2 as well, tells the listeners once, and holds while asked.
    void UpdateLoading() override;

private:
    bool m_hold = false;
    bool m_listenersNotified = false;
    std::vector<NRLoaderListener*> m_listeners;   // not owned
};

// The server's loader for its own player: done as soon as its own regions are loaded.
class NRLoaderHost : public NRLoaderClient {
public:
    bool IsDone() const override;
    void ReportStateChange(uint32_t playerId, NRLoaderState state) override;
};

}  // namespace GAME
