// A scripted boss: it stands idle until woken, walks to the first script point placed for
// it, then charges the player. Each charge begins with a roar that makes hostile monsters
// nearby panic and starts the boss music; during the charge it knocks away and kills the
// hostile monsters it runs into and kills the ambient creatures in its way.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Engine/World.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"

namespace GAME {

struct GameEvent_ScriptPoint;

class ControllerCyclops : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerCyclops)

public:
    static constexpr float kChargeHitRadius = 2.0f;
    static constexpr float kRoarRadius = 25.0f;
    static constexpr float kScriptedMoveTolerance = 0.5f;
    static constexpr int kMusicFadeMs = 5000;
    // Script points kept at most; more numbers than this are logged and dropped.
    static constexpr size_t kMaxScriptPoints = 256;

    // Listens for "GameEvent_ScriptPoint" from construction to destruction.
    ControllerCyclops();
    ~ControllerCyclops() override;

    // The monster controller's keys, then "postRoarMusic".
    void Load(const LoadTable& table) override;
    // The states, then the boss's side: a monster foe of every other monster.
    void InitialUpdate() override;
    // Bound to its character: the points announced before, while no character was known to
    // match them against, are taken now.
    void PostParentAttached() override;
    void RegisterStates() override;
    void RegisterTemporaryStates() override;
    // Sight earns the boss no anger.
    float ProcessAngerTarget(Character& /*foe*/, int /*elapsedMs*/) override { return 0.0f; }

    virtual void SetPlayerFocused(bool focused) { m_playerFocused = focused; }
    bool IsPlayerFocused() const { return m_playerFocused; }
    // Fades the music out and starts the post-roar music; nothing without one.
    void PlayBossMusic();
    // The coordinates of script point n; false (and `out` untouched) when there is none.
    bool GetScriptPoint(int32_t sequenceNum, WorldCoords& out) const;
    // A script point for this boss (by its object name) is kept under its number. One that
    // arrives before the controller has its character waits for it.
    void OnScriptPoint(const GameEvent_ScriptPoint& event);
    size_t GetScriptPointCount() const { return m_scriptPoints.size(); }
    const std::string& GetPostRoarMusic() const { return m_postRoarMusic; }

private:
    class ScriptPointListener;

    bool m_playerFocused = false;
    std::map<int32_t, WorldCoords> m_scriptPoints;
    struct UnboundPoint {
        std::string characterName;
        int32_t sequenceNum;
        WorldCoords coords;
    };
    std::vector<UnboundPoint> m_unboundPoints;
    std::string m_postRoarMusic;
    std::unique_ptr<ScriptPointListener> m_listener;
};

// Motionless until woken.
class ControllerCyclopsStateIdle : public ControllerMonsterStateIdle {
public:
    using ControllerMonsterStateIdle::ControllerMonsterStateIdle;
    void OnBegin() override { Idle(); }
    void OnUpdate(int /*elapsedMs*/) override {}
    void OnEnd() override {}
    void WakeUp(uint32_t sourceId) override;
};

// The walk to script point 0; the charge follows.
class ControllerCyclopsStateScriptedMove : public MonsterState {
public:
    using MonsterState::MonsterState;
    void OnBegin() override;
    void EndOfPathReached() override { StartCharge(); }

private:
    void StartCharge();
};

// The charge at the current enemy, roaring first.
class ControllerCyclopsStateBullRun : public MonsterState {
public:
    explicit ControllerCyclopsStateBullRun(ControllerCyclops& owner) : MonsterState(owner), m_owner(&owner) {}
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void OnEnd() override { m_owner->SetPlayerFocused(false); }
    bool HasRoared() const { return m_roared; }

private:
    bool m_roared = false;
    ControllerCyclops* m_owner;
};

// The roar on top of the charge: hostile monsters near panic; the music follows it.
class ControllerCyclopsStateRoar : public MonsterState {
public:
    using MonsterState::MonsterState;
    void OnBegin() override;
    void HandleEvent(const Name& event) override;
    void OnEnd() override;
};

// Back to the player while it is a foe, else idle.
class ControllerCyclopsStateReturn : public MonsterState {
public:
    using MonsterState::MonsterState;
    void OnBegin() override;
};

}  // namespace GAME
