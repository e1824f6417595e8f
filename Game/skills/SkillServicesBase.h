// What a skill asks of the peer that drives it: sending its replicated state to the
// other peers. Only the controlling peer's skill manager has services.
#pragma once

#include <cstdint>

namespace GAME {

class SkillServicesBase {
public:
    virtual ~SkillServicesBase() = default;

    // The skill's level and enabled flag changed on this peer.
    virtual void SendSkillStateUpdate(uint32_t skillId, int32_t level, bool enabled) = 0;
    // Starts the hit-iteration count that travels with each projectile creation again.
    void ClearHitIteration() { m_hitIteration = 0; }
    uint32_t GetHitIteration() const { return m_hitIteration; }

protected:
    uint32_t m_hitIteration = 0;
};

}  // namespace GAME
