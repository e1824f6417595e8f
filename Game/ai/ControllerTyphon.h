// The final boss's mind: a monster controller with a cycle of god skills. Between
// phases with its own attacks the boss walks to a living god statue, strikes it with that
// god's transfer skill and fights with the god's five attacks for a while.
#pragma once

#include <array>
#include <cstdint>

#include "Game/ai/ControllerMonster.h"
#include "Game/ai/ControllerMonsterStates.h"

namespace GAME {

class ControllerTyphon : public ControllerMonster {
    GAME_DECLARE_CLASS(ControllerTyphon)

public:
    static constexpr uint32_t kGodCount = 4;
    static constexpr uint32_t kNoGod = 4;
    static constexpr float kStatueSearchRadius = 500.0f;
    static constexpr int kStatueRerolls = 10;
    static constexpr int kDefaultMinWithout = 3000, kDefaultMaxWithout = 6000;
    static constexpr int kDefaultMinWith = 10000, kDefaultMaxWith = 20000;

    // The monster controller's keys, then the bounds of the two phases.
    void Load(const LoadTable& table) override;
    // Starts the phase without god skills and keeps the boss's own five attacks.
    void InitialUpdate() override;
    // The monster's frame, then the god cycle's countdowns while there is an enemy.
    void Update(int elapsedMs) override;
    void RegisterStates() override;
    void CharacterIsDead() override { ControllerAI::CharacterIsDead(); }

    // Stores one god's attack for slot 0 to 4; a slot or god out of range is logged.
    void SetGodSpecialAttack(size_t slot, uint32_t god, uint32_t skillId, int timeoutMs, int delayMs, uint32_t chance,
                             SkillUseRange range);
    void SetTransferSkill(uint32_t god, uint32_t skillId);
    // The god's five attacks become the boss's; a god out of range is logged and ignored.
    void ApplyGodSkills(uint32_t god);
    // The boss's own five attacks again.
    void RestoreDefaultSkills();
    // The statue of that god is gone: when it is the current god, its attacks go too.
    void StatueDestroyed(uint32_t god);
    // Sends the boss to a living statue within reach, hated most until the statue is left;
    // false when there is none.
    bool ChooseStatue();

    const ControllerMonster::SpecialAttack& GetGodSpecialAttack(uint32_t god, size_t slot) const
    {
        return m_godAttacks[god % kGodCount][slot % kSpecialAttacks];
    }
    const ControllerMonster::SpecialAttack& GetDefaultSpecialAttack(size_t slot) const
    {
        return m_defaultAttacks[slot % kSpecialAttacks];
    }
    uint32_t GetTransferSkill(uint32_t god) const { return m_transferSkills[god % kGodCount]; }
    uint32_t GetCurrentGod() const { return m_currentGod; }
    int GetLastStatueIndex() const { return m_lastStatue; }
    int GetTimeWithoutGodSkills() const { return m_withoutTimerMs; }
    int GetTimeWithGodSkills() const { return m_withTimerMs; }
    void SetTimeWithoutGodSkills(int ms) { m_withoutTimerMs = ms; }
    void SetTimeWithGodSkills(int ms) { m_withTimerMs = ms; }
    int GetMinTimeWithoutGodSkills() const { return m_minWithoutMs; }
    int GetMaxTimeWithoutGodSkills() const { return m_maxWithoutMs; }
    int GetMinTimeWithGodSkills() const { return m_minWithMs; }
    int GetMaxTimeWithGodSkills() const { return m_maxWithMs; }

private:
    using Attacks = std::array<ControllerMonster::SpecialAttack, kSpecialAttacks>;
    void SetAttacks(const Attacks& attacks);
    static int DrawPhase(int min, int max);

    std::array<Attacks, kGodCount> m_godAttacks{};
    Attacks m_defaultAttacks{};
    int m_minWithoutMs = kDefaultMinWithout;
    int m_maxWithoutMs = kDefaultMaxWithout;
    int m_withoutTimerMs = 0;
    int m_minWithMs = kDefaultMinWith;
    int m_maxWithMs = kDefaultMaxWith;
    int m_withTimerMs = 0;
    std::array<uint32_t, kGodCount> m_transferSkills{};
    int m_lastStatue = -1;
    uint32_t m_currentGod = kNoGod;
};

// The walk to the chosen statue, with the transfer skill as the current skill.
class ControllerTyphonStatePursueStatue : public ControllerMonsterStatePursue {
public:
    using ControllerMonsterStatePursue::ControllerMonsterStatePursue;
    void OnBegin() override;
    void OnUpdate(int elapsedMs) override;
    void EndOfPathReached() override;
    void OnEnd() override {}
    void EnemyFound(uint32_t) override {}
    void ClosestEnemyFound(uint32_t, float) override {}
    void Attacked(uint32_t) override {}
    void LowHealth() override {}
    void AllyDied(uint32_t) override {}
    void AllyNeedsHelp(uint32_t, uint32_t) override {}
    void LostSlot() override {}
    void RequestAttack(uint32_t, uint32_t) override {}
    void RequestMove(uint32_t, const WorldVec3&) override {}

private:
    void GiveUp();
    void StrikeStatue();
};

// The strike on the statue; the boss returns to the fight once it is over. The strike ends
// only with its animation or with the statue: a foe the searches find meanwhile waits (the
// statue is hated most only until the first anger tick, as it causes no anger).
class ControllerTyphonStateAttackStatue : public ControllerMonsterStateAttack {
public:
    using ControllerMonsterStateAttack::ControllerMonsterStateAttack;
    void OnUpdate(int elapsedMs) override;
    void EnemyFound(uint32_t) override {}
    void ClosestEnemyFound(uint32_t, float) override {}
    void HandleEvent(const Name& event) override;
    void OnEnd() override;
};

}  // namespace GAME
