// Statues that a spirit brings to life. The statue's controller knows whether its statue
// has risen and which spirit has claimed it, and raises it when told to.
#pragma once

#include <cstdint>
#include <string>

#include "Game/ai/ControllerMonster.h"

namespace GAME {

class ControllerSpiritHost : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerSpiritHost)

public:
    // The monster's keys, then the record of the spirit meant to raise the statue.
    void Load(const LoadTable& table) override;

    bool IsAnimated() const { return m_animated; }
    // The spirit that has claimed the statue (0: none).
    void SetAnimator(uint32_t spiritId) { m_animator = spiritId; }
    uint32_t GetAnimator() const { return m_animator; }
    // Not yet risen, and claimed by nobody, or by a spirit that is gone or dead.
    bool IsAvailable() const;
    // The statue rises: the state "Animate". It may now be hated and hurt, and fights on
    // the monsters' team.
    void Animate();
    // The state the statue is in: "Startup" until it is raised.
    const std::string& GetStateName() const { return m_state; }
    const std::string& GetSpiritRecord() const { return m_spiritRecord; }

private:
    std::string m_spiritRecord;
    bool m_animated = false;
    uint32_t m_animator = 0;
    std::string m_state = "Startup";
};

}  // namespace GAME
