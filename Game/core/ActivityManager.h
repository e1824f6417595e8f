// Game-wide processes that run over many frames (teleports, respawns, questions before a
// teleport), updated once per frame and destroyed when they finish.
#pragma once

#include <cstdint>
#include <vector>

namespace GAME {

class GameActivity {
public:
    virtual ~GameActivity() = default;
    virtual void Update(int ms) = 0;
    virtual bool IsFinished() = 0;

    uint32_t GetActivityId() const { return m_activityId; }
    void SetActivityId(uint32_t id) { m_activityId = id; }

private:
    uint32_t m_activityId = 0;
};

class ActivityManager {
public:
    static ActivityManager* Get();   // created on first use
    static void Destroy();

    void InstallActivity(GameActivity* activity);
    void Update(int ms);
    void Clear();

private:
    ActivityManager() = default;
    ~ActivityManager();

    std::vector<GameActivity*> m_active;
    std::vector<GameActivity*> m_pending;
    uint32_t m_lastActivityId = 0;
};

}  // namespace GAME
