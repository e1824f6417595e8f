// What a skill asks of the peer that drives it: sending its replicated state to the
// other peers. Only the controlling peer's skill manager has services.
#pragma once

#include <cstdint>

#include "Game/skills/SkillState.h"

namespace GAME {

class SkillServicesBase {
public:
    virtual ~SkillServicesBase() = default;

    // The skill's state or active state changed on this peer: the other peers get it.
    virtual void SendSkillStateUpdate(uint32_t skillId, const SkillState& state) = 0;
    virtual void SendSkillActiveUpdate(uint32_t skillId, const SkillActiveState& state) = 0;
    // Starts the hit-iteration count that travels with each projectile creation again.
    void ClearHitIteration() { m_hitIteration = 0; }
    uint32_t GetHitIteration() const { return m_hitIteration; }

protected:
    uint32_t m_hitIteration = 0;
};

}  // namespace GAME
