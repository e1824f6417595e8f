// The respawn of a player after death: the view fades to black, the regions around the
// respawn point are loaded (on both ends of a network game), and after a short period the
// view fades back in. The local kinds run on the machine of the player who respawns; the
// server runs the non-local kind for a client's player, which only drives its loader.
#pragma once

#include <cstdint>
#include <memory>

#include "Engine/World.h"
#include "Game/core/LoadingActivity.h"

namespace GAME {

class NetworkRegionLoaderBase;

class RespawnActivityBase : public LoadingActivity {
public:
    // The states: fading the view out, loading, done.
    enum State : int { kFadingOut = 0, kLoading = 1, kDone = 2 };
    static constexpr int kFadeTime = 1000;       // ms in state 0 before loading starts
    static constexpr int kLoadingPeriod = 1000;  // ms the load screen shows at least

    ~RespawnActivityBase() override;

    void Update(int ms) override;
    // The local kinds draw a black overlay of the current alpha over the whole canvas and,
    // while loading, the loading indicator; the non-local kind draws nothing.
    void Render(GraphicsCanvas& canvas) override;
    // Done and the overlay faded away.
    bool IsFinished() override;

    // Stores the respawn point and the player, then starts the region loader there.
    virtual void Set(const WorldVec3& where, unsigned int player);

    // Set when a local respawn's load screen ends; the player controller waits for it.
    bool IsRespawnComplete() const { return m_complete; }

    int GetState() const { return m_state; }
    int GetElapsed() const { return m_elapsed; }
    float GetOverlayAlpha() const { return m_currentAlpha; }
    bool IsLoaded() const { return m_loaded; }
    const NetworkRegionLoaderBase* GetLoader() const { return m_loader.get(); }

protected:
    // A local kind belongs to the player of this machine: it locks the mouse while it
    // lives, switches teleport mode and rendering around the load, and keeps the engine
    // awake while loading.
    RespawnActivityBase(bool local, const char* className);

    // Creates the kind's region loader and starts it at the respawn point for the player.
    virtual void StartLoader() = 0;
    // Takes the loader and starts it.
    void AdoptLoader(std::unique_ptr<NetworkRegionLoaderBase> loader);

private:
    void SetState(int state);
    void FadeIn();
    void FadeOut();
    void StepOverlay(int ms);
    // The load screen's end: teleport mode off and rendering back on (local kinds only).
    void EndLoadScreen();

    int m_state = kFadingOut;
    int m_elapsed = 0;
    WorldVec3 m_position;
    uint32_t m_playerId = 0;
    std::unique_ptr<NetworkRegionLoaderBase> m_loader;
    float m_targetAlpha = 0.0f;
    float m_currentAlpha = 0.0f;
    bool m_loaded = false;
    bool m_complete = false;
    int m_fadeDelay = 0;
    int m_loadingPeriod = kLoadingPeriod;

    const bool m_local;
};

// The client's own player: a client loader, while the server loads for it too.
class RespawnLocalClientActivity : public RespawnActivityBase {
public:
    RespawnLocalClientActivity() : RespawnActivityBase(true, "RespawnLocalClientActivity") {}

protected:
    void StartLoader() override;
};

// The host's own player (alone or serving): the host's loader, done on its own regions.
class RespawnLocalServerActivity : public RespawnActivityBase {
public:
    RespawnLocalServerActivity() : RespawnActivityBase(true, "RespawnLocalServerActivity") {}

protected:
    void StartLoader() override;
};

// A client's player on the server: a server loader that waits for the client's report.
class RespawnNonLocalServerActivity : public RespawnActivityBase {
public:
    RespawnNonLocalServerActivity() : RespawnActivityBase(false, "RespawnNonLocalServerActivity") {}

protected:
    void StartLoader() override;
};

}  // namespace GAME
