// A spawn proxy that holds its monsters back and lets them appear one at a time, on a
// timer, at its own place, while a player is near.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/world/Proxy.h"

namespace GAME {

class ProxyAmbush : public Proxy {
    GAME_DECLARE_CLASS(ProxyAmbush)

public:
    // Saved in place of the record of a waiting monster that no longer exists.
    static constexpr const char* kInvalidObject = "InvalidProxyObjectSaved";
    // The most waiting monsters a saved state may bring back.
    static constexpr uint32_t kMaxSavedObjects = ProxyPool::kMaxObjects;

    ~ProxyAmbush() override;

    void Load(const LoadTable& table) override;
    void UpdateSelf(int elapsedMs) override;
    bool ShouldSaveState() const override { return true; }
    void SaveState(BinaryWriter& writer) override;
    bool RestoreState(BinaryReader& reader) override;

    const std::vector<uint32_t>& GetWaitingObjects() const { return m_waiting; }
    const std::vector<uint32_t>& GetLiveObjects() const { return m_live; }
    int GetCountdown() const { return m_countdownMs; }

protected:
    // Keeps the pool's monsters waiting instead of placing them.
    void PoolComplete(ProxyPool& pool, std::vector<WorldCoords>& coords) override;
    bool IsAlert() const;
    void PlaceNextObject();

private:
    float m_alertArea = 0.0f;
    int m_minSpawnTimeMs = 0;
    int m_maxSpawnTimeMs = 0;
    int m_minProxyPopulation = 0;
    int m_maxProxyPopulation = 0;
    std::vector<uint32_t> m_waiting;
    std::vector<uint32_t> m_live;
    int m_countdownMs = 0;
};

}  // namespace GAME
