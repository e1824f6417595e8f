// Game-wide processes that run over many frames (teleports, respawns, questions before a
// teleport), updated once per frame, drawn over the game view, and destroyed when they
// finish.
#pragma once

#include <cstdint>
#include <vector>

namespace GAME {

class GraphicsCanvas;

class GameActivity {
public:
    virtual ~GameActivity() = default;
    virtual void Update(int ms) = 0;
    // Draws over the game view; most activities draw nothing.
    virtual void Render(GraphicsCanvas&) {}
    virtual bool IsFinished() = 0;
    // Adds the activity's line to the engine's statistics display.
    virtual void WriteStatisticsLine() {}

    // 0 until installed.
    uint32_t GetActivityId() const { return m_activityId; }
    void SetActivityId(uint32_t id) { m_activityId = id; }

private:
    uint32_t m_activityId = 0;
};

class ActivityManager {
public:
    static ActivityManager* Get();   // created on first use
    static void Destroy();

    ActivityManager(const ActivityManager&) = delete;
    ActivityManager& operator=(const ActivityManager&) = delete;

    // Takes ownership and gives the activity the next id. An installed activity starts
    // with the next Update; a fast-installed one joins the active list at once. Null is
    // ignored and uses no id.
    void InstallActivity(GameActivity* activity);
    void FastInstallActivity(GameActivity* activity);

    // Starts the pending activities, then updates each active one in order and destroys
    // those that report they are finished.
    void Update(int ms);
    void Render(GraphicsCanvas& canvas);
    // Destroys every activity, active or pending.
    void Clear();

    // Whether any activity is active or waits to start.
    bool HasActivities() const { return !m_active.empty() || !m_pending.empty(); }
    // Both look at the active list only.
    bool IsActivityActive(uint32_t id) const;
    GameActivity* GetActivity(uint32_t id) const;

private:
    ActivityManager() = default;
    ~ActivityManager();

    uint32_t NextId() { return ++m_lastActivityId; }
    void DestroyRetired();

    std::vector<GameActivity*> m_active;
    std::vector<GameActivity*> m_pending;
    uint32_t m_lastActivityId = 0;
    // While Update runs, activities cleared away are kept here and destroyed when it
    // returns, since one of them may be the activity whose Update is running.
    bool m_updating = false;
    std::vector<GameActivity*> m_retired;
};

}  // namespace GAME
