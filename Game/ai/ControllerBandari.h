// Monster controllers that differ from the ordinary one in little: one that reads no AI
// record, one that exists so that records can name it for allies, and one that teleports
// between marked points as it loses life, setting the warriors near each point marching.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/UniqueId.h"
#include "Game/ai/ControllerMonster.h"

namespace GAME {

class ControllerVudezuv : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerVudezuv)

public:
    // Reads none of the monster's AI keys.
    void Load(const LoadTable& table) override;
};

class ControllerAlly : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerAlly)

public:
    void RegisterStates() override { ControllerMonster::RegisterStates(); }
    void RegisterTemporaryStates() override { ControllerMonster::RegisterTemporaryStates(); }
};

class ControllerBandari : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerBandari)

public:
    // After the monster's own, the teleport points of the "Bandari" group that holds the
    // monster's proxy.
    void PostParentAttached() override;
    // The states start and the monster's life now is its starting life.
    void InitialUpdate() override;
    // After the monster's frame: a teleport once life falls below the next threshold.
    void Update(int elapsedMs) override;
    // Arrived: armed again, home is here and the anger is forgotten.
    void Teleported(const WorldCoords& coords) override;
    // A closest enemy found while armed, with points left, starts a teleport.
    bool ClosestEnemyFoundOverride(uint32_t enemyId, float distance) override;
    bool ShouldAlwaysLookForClosestEnemy() const override { return true; }

    void SetTeleportPoints(std::vector<UniqueId> points) { m_points = std::move(points); }
    const std::vector<UniqueId>& GetTeleportPoints() const { return m_points; }
    size_t GetNextPoint() const { return m_next; }
    bool IsArmed() const { return m_armed; }
    float GetStartingLife() const { return m_startingLife; }
    // Whether life has fallen below the threshold of the next point.
    bool IsBelowNextThreshold(float life) const;

private:
    // To the next point; false when it is not in the world.
    bool TeleportToNextPoint();
    // The warriors of the groups of the point march.
    static void SetWarriorsMarching(const UniqueId& point);

    std::vector<UniqueId> m_points;
    size_t m_next = 0;
    bool m_armed = true;
    float m_startingLife = 0.0f;
};

}  // namespace GAME
