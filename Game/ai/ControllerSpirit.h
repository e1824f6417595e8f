// Spirits and the statues they bring to life. A spirit is an invisible monster that
// claims the nearest statue nobody has claimed, walks to it, strikes it with its special
// skill and vanishes; the struck statue rises and fights as an ordinary monster. The
// statue monster remembers across saves that it has risen.
#pragma once

#include <cstdint>
#include <string>

#include "Game/ai/ControllerMonster.h"
#include "Game/characters/Monster.h"

namespace GAME {

class ControllerSpirit : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerSpirit)

public:
    // The monster states, its own "Startup" and "Idle" in place of the monster's, then
    // "AttackToAnimate" and "PursueToAnimate".
    void RegisterStates() override;
    // Against a statue, the special attack 5 skill; nothing with the distance flag.
    uint32_t ChooseBestSkillOverride(uint32_t enemyId, bool distanceFlag) override;

    uint32_t GetAnimateTarget() const { return m_animateTarget; }
    void SetAnimateTarget(uint32_t id) { m_animateTarget = id; }

private:
    uint32_t m_animateTarget = 0;   // the statue character it is going to raise
};

class ControllerSpiritHost : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerSpiritHost)

public:
    // The monster's keys, then the record of the spirit meant to raise the statue (kept;
    // any spirit may raise any free statue).
    void Load(const LoadTable& table) override;
    // The monster states, its own "Startup" in place of the monster's, then "Animate".
    void RegisterStates() override;

    bool IsAnimated() const { return m_animated; }
    void SetAnimatedFlag(bool animated) { m_animated = animated; }
    // The spirit character that has claimed the statue (0: none).
    void SetAnimator(uint32_t spiritId) { m_animator = spiritId; }
    uint32_t GetAnimator() const { return m_animator; }
    // Not yet risen, and claimed by nobody, or by a spirit that is gone or dead.
    bool IsAvailable() const;
    // The statue rises: the state "Animate".
    void Animate();
    // The name of the state the statue is in.
    std::string GetStateName() const { return GetExecutingStateName(); }
    const std::string& GetSpiritRecord() const { return m_spiritRecord; }

private:
    std::string m_spiritRecord;
    bool m_animated = false;
    uint32_t m_animator = 0;
};

// The statue monster: a monster that keeps, with its saved state, whether it has risen.
class SpiritHost : public Monster {
    GAME_DECLARE_CLASS(SpiritHost)

public:
    bool IsAnimated() const { return m_animated; }
    void SetAnimated(bool animated) { m_animated = animated; }
    // The monster's block, then the flag as a 4-byte 0 or 1.
    void SaveState(BinaryWriter& writer) override;
    // The monster's block, then the flag (any value but 0 is true); a flag that cannot be
    // read is logged and the statue stays a statue.
    void RestoreState(BinaryReader& reader) override;

private:
    bool m_animated = false;
};

}  // namespace GAME
