// The controllers of non-player characters: townsfolk stand idle, wander between their
// wander points, watch an attraction, chat with the player near them and obey quest
// commands; herd animals follow their herd.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/UniqueId.h"
#include "Game/ai/ControllerAI.h"

namespace GAME {

class ControllerNpc2 : public ControllerAI {
    GAME_DECLARE_CLASS(ControllerNpc2)

public:
    // The instance-group types that tie a character to its wander points.
    static constexpr const char* kWanderersGroupType = "Npc Wanderers";
    static constexpr const char* kWanderPointsGroupType = "Wander Points";
    // A level's wander route is cut to this many points.
    static constexpr size_t kMaxWanderPoints = 1024;

    ControllerNpc2();
    ~ControllerNpc2() override;

    // "npcSocialRadius", "npcAlertRadius", "npcIdleTimeMin", "npcIdleTimeMax".
    void Load(const LoadTable& table) override;
    // Collects the wander points of the groups that hold the character.
    void PostParentAttached() override;
    void RegisterStates() override;
    void InitializeStates() override;
    void DebugRender() override;
    void OnDebugRenderClick();

    // The player nearest the character within the social radius; else the nearest within
    // the alert radius (which raises the alert flag); else 0.
    uint32_t GetSocialTarget() const;
    void GetPlayersInRadius(float radius, std::vector<uint32_t>& out) const;

    int GetIdleTimeMin() const { return m_idleTimeMin; }
    int GetIdleTimeMax() const { return m_idleTimeMax; }
    float GetSocialRadius() const { return m_socialRadius; }
    float GetAlertRadius() const { return m_alertRadius; }
    bool IsAlert() const { return m_alert; }
    const std::vector<UniqueId>& GetWanderPoints() const { return m_wanderPoints; }
    unsigned GetCurrentWanderPoint() const { return m_currentWanderPoint; }
    void SetCurrentWanderPoint(unsigned index) { m_currentWanderPoint = index; }
    bool IsDebugRenderClicked() const { return m_debugRenderClicked; }

private:
    float m_socialRadius = 0.0f;
    float m_alertRadius = 0.0f;
    int m_idleTimeMin = 0;
    int m_idleTimeMax = 0;
    std::vector<UniqueId> m_wanderPoints;
    unsigned m_currentWanderPoint = 0;
    mutable bool m_alert = false;
    bool m_debugRenderClicked = false;
};

// A herd animal: it follows its herd and wiggles now and then.
class ControllerNpcHerdAnimal : public ControllerAI {
    GAME_DECLARE_CLASS(ControllerNpcHerdAnimal)

public:
    ControllerNpcHerdAnimal();
    ~ControllerNpcHerdAnimal() override;
    // Reads nothing, not even the view distance.
    void Load(const LoadTable& table) override;
    void RegisterStates() override;
    void RegisterTemporaryStates() override;
    void InitializeStates() override;
};

}  // namespace GAME
