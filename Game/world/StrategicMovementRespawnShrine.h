// A shrine where the player comes back to life after dying. Discovered by walking near
// it, it becomes the player's respawn point; one already known becomes it again by use.
// It heals every character standing near it.
#pragma once

#include "Game/world/StrategicMovementBase.h"

namespace GAME {

struct MinimapGameNugget;

class StrategicMovementRespawnShrine : public StrategicMovementBase {
    GAME_DECLARE_CLASS(StrategicMovementRespawnShrine)

public:
    static constexpr int kHealIntervalMs = 1000;
    static constexpr int kMinimapKind = 4;
    static constexpr const char* kHealEffect = "Records/Effects/Storm/343_SpellBreaker_FX.dbr";

    // "healthAbsolute", "healthPercent".
    void Load(const LoadTable& table) override;
    void OnAddToLevel() override { CreatePathObstacle(); }
    void OnMoveInLevel() override { CreatePathObstacle(); }
    // The point's own frame, then the heal pulse.
    void UpdateSelf(int elapsedMs) override;
    // The local player uses a dormant shrine: it becomes the current respawn point.
    void RequestToUse(uint32_t actorId) override;
    // Heals each character of the list.
    void HandleTargets(const std::vector<uint32_t>& targets) override;
    // The heal pulse, where the rules are decided: every kHealIntervalMs the characters
    // within the bind distance are sent to HandleTargets on every peer. Run by the
    // shrine's own frame after the point's update.
    virtual void Update(int elapsedMs);
    // One entry of its kind with its name, position and facing.
    void AppendDetailMapData(std::vector<MinimapGameNugget>& out) const override;

    float GetHealthAbsolute() const { return m_healthAbsolute; }
    float GetHealthPercent() const { return m_healthPercent; }

protected:
    StrategicMovementBaseState DetermineStateFromPlayer() const override;
    bool InstallOnPlayerProximity(Player& player) override;

private:
    int m_healTimer = 0;
    int m_healInterval = kHealIntervalMs;
    float m_healthAbsolute = 0.0f;
    float m_healthPercent = 0.0f;
};

}  // namespace GAME
