// Engine services the game core drives each frame whose output (music, ambiance, screen)
// has no form here: each keeps the state the game sets so that tests and the host can
// read it back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Math.h"
#include "Engine/World.h"
#include "Engine/WorldCamera.h"

namespace GAME {

// Music: follows one player and one boss and changes its mood when either dies.
class Jukebox {
public:
    static Jukebox& Get();

    uint32_t GetTrackedPlayer() const { return m_trackedPlayer; }
    void SetTrackedPlayer(uint32_t id) { m_trackedPlayer = id; }
    uint32_t GetTrackedBoss() const { return m_trackedBoss; }
    void SetTrackedBoss(uint32_t id) { m_trackedBoss = id; }
    void SetTrackedPlayerDead(bool dead) { m_playerDead = dead; }
    bool IsTrackedPlayerDead() const { return m_playerDead; }
    void SetTrackedBossDead(bool dead) { m_bossDead = dead; }
    bool IsTrackedBossDead() const { return m_bossDead; }
    void Reset();

private:
    uint32_t m_trackedPlayer = 0;
    uint32_t m_trackedBoss = 0;
    bool m_playerDead = false;
    bool m_bossDead = false;
};

// Weather and environment effects around a position.
class AmbianceManager {
public:
    static AmbianceManager& Get();

    void SetTargetPosition(const WorldVec3& position) { m_target = position; }
    const WorldVec3& GetTargetPosition() const { return m_target; }
    void UpdateEnvironmentEffects(const WorldVec3& position);
    void UpdateEnvironmentEffects(const WorldFrustum& frustum);
    int GetUpdateCount() const { return m_updates; }
    void Reset();

private:
    WorldVec3 m_target;
    int m_updates = 0;
};

// Facts about the running game that the engine keeps for everyone.
class GameInfo {
public:
    static GameInfo& Get();

    void SetPlayerLevel(uint32_t level) { m_playerLevel = level; }
    uint32_t GetPlayerLevel() const { return m_playerLevel; }
    void SetGameDifficulty(int32_t difficulty) { m_difficulty = difficulty; }
    int32_t GetGameDifficulty() const { return m_difficulty; }

    // The names of the players in the game, as the game last listed them, and their number.
    void ClearPlayerList() { m_playerNames.clear(); }
    void AddPlayer(const std::u16string& name) { m_playerNames.push_back(name); }
    const std::vector<std::u16string>& GetPlayerList() const { return m_playerNames; }
    void SetNumOfPlayers(uint32_t count) { m_numOfPlayers = count; }
    uint32_t GetNumOfPlayers() const { return m_numOfPlayers; }

    // Whether players may fight players of another team number.
    void SetPvP(bool on) { m_pvp = on; }
    bool GetPvP() const { return m_pvp; }
    void Reset();

private:
    uint32_t m_playerLevel = 0;
    int32_t m_difficulty = 0;
    std::vector<std::u16string> m_playerNames;
    uint32_t m_numOfPlayers = 0;
    bool m_pvp = false;
};

// The graphics engine: there is no screen, so it never downsizes.
class GraphicsEngine {
public:
    static GraphicsEngine* Get();   // null when no graphics engine runs (always, here)

    bool IsDownsizing() const { return false; }
    Rect GetResAdjRect(const Rect& rect) const { return rect; }
};

}  // namespace GAME
