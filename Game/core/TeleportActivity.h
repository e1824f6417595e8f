// A player's teleport, played out over many frames: the player dissolves, the place it
// leads to loads (on both ends of a network game), the player is moved there and
// reappears. One kind per side: the local player or another one, on the server (or alone)
// or on a client.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Engine/NetworkEntityList.h"
#include "Engine/World.h"
#include "Game/core/LoadingActivity.h"
#include "Game/network/NetworkRegionLoader.h"

namespace GAME {

class Player;

class TeleportActivity : public LoadingActivity {
public:
    // 0 start, 1 dissolving, 2 loading, 3 reappearing, 4 letting go, 5 finished.
    enum State : int { State_Start = 0, State_Dissolve, State_Load, State_Reappear, State_Release, State_Finished };

    ~TeleportActivity() override;

    // Finds the region of the point (whole world units). Without one the teleport has
    // nowhere to go: it is finished at once and the player is left alone. Otherwise the
    // start hook runs and the loader starts at the destination for the player.
    virtual void Set(int x, int y, int z, uint32_t player);

    void Update(int ms) override;
    // The overlay and the loading indicator, only while the player is the one controlled here.
    void Render(GraphicsCanvas& canvas) override;
    bool IsFinished() override { return m_state == State_Finished; }

    int GetState() const { return m_state; }
    int GetElapsed() const { return m_elapsed; }
    const WorldVec3& GetDestination() const { return m_destination; }
    uint32_t GetPlayerId() const { return m_playerId; }
    NetworkRegionLoaderBase* GetLoader() const { return m_loader; }

protected:
    // What differs between the kinds inside the shared Update.
    enum class Kind { LocalClient, LocalServer, NonLocalClient, NonLocalServer };

    // Takes ownership of the loader (null: none). The local kinds lock the mouse here.
    TeleportActivity(Kind kind, const char* className, NetworkRegionLoaderBase* loader);

    virtual void StartHook() {}
    // Moves the player to the destination (the player may be missing for some kinds): by
    // default set down on the floor there, moved when in the world and added otherwise.
    virtual void ArrivalHook(Player* player);
    // Runs when the dissolve is over and loading begins; nothing in most kinds.
    virtual void FrustumHook(Player&) {}
    // Whether the place is loaded: the loader's own test, or done when there is none.
    virtual bool IsLoaderDone() const;

    void SetState(int state)
    {
        m_state = state;
        m_elapsed = 0;
    }
    // The destination set down on the floor, in an unrotated frame.
    WorldCoords FloorCoords() const;

    Kind m_kind;
    int m_state = State_Start;
    int m_elapsed = 0;
    WorldVec3 m_destination;
    uint32_t m_playerId = 0;
    int m_dissolveTime = 2500;
    std::string m_dissolveTexture = "System/Textures/Cloud.tex";
    std::string m_effectRecord = "Records/Effects/Default/343_Teleport_FXPak.dbr";
    uint32_t m_effectId = 0;   // kept by id: the object manager may destroy it first
    bool m_textureLoaded = false;
    int m_period = 1000;
    bool m_loaded = false;
    int m_x = 0;
    int m_y = 0;
    int m_z = 0;
    NetworkRegionLoaderBase* m_loader = nullptr;   // owned

private:
    Player* FindPlayer() const;
    // Whether this kind drives this machine's view: teleport mode, rendering, resources
    // and the loading indicator.
    bool DrivesView() const { return m_kind != Kind::NonLocalClient; }
    void CreateEffect(const Player& player);
    void StepLoading(Player* player);
    void StepReappear(Player* player);
};

// The local player of a client: asks the server to teleport and loads its end.
class TeleportLocalClientActivity : public TeleportActivity {
public:
    TeleportLocalClientActivity();

protected:
    void StartHook() override;
};

// The local player of the server, or of a game played alone.
class TeleportLocalServerActivity : public TeleportActivity {
public:
    TeleportLocalServerActivity();

protected:
    void StartHook() override;
    void ArrivalHook(Player* player) override;
};

// Another player, seen by a client: the server reports when that player's place is loaded.
class TeleportNonLocalClientActivity : public TeleportActivity {
public:
    TeleportNonLocalClientActivity();
};

// A client's player, on the server: the server's loader is held until the player has
// been placed again, so the client hears "loaded" only once there is something to see.
class TeleportNonLocalServerActivity : public TeleportActivity, public NRLoaderListener {
public:
    TeleportNonLocalServerActivity();
    ~TeleportNonLocalServerActivity() override;

    void OnRegionsLoaded() override { m_regionsLoaded = true; }

protected:
    void StartHook() override;
    void ArrivalHook(Player* player) override;
    // Takes the client host's frustum entry and takes the player out of the world.
    void FrustumHook(Player& player) override;
    bool IsLoaderDone() const override { return m_regionsLoaded; }

private:
    int HostId() const;

    std::unique_ptr<NetworkFrustumEntry> m_frustumEntry;
    bool m_regionsLoaded = false;
};

}  // namespace GAME
