// The controller of a monster: the skills it may use and when, its leader, its lifetime,
// its anger and treasure proxy. It keeps what the monster hands it; the choices made
// from them belong to the monster AI.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Game/ai/ControllerAI.h"

namespace GAME {

// The range at which a special attack is used: 0 any, 1 short, 2 medium, 3 long.
enum SkillUseRange : uint32_t {
    SkillUseRange_Any = 0,
    SkillUseRange_Short = 1,
    SkillUseRange_Medium = 2,
    SkillUseRange_Long = 3,
};

class ControllerMonster : public ControllerAI {
    GAME_DECLARE_CLASS(ControllerMonster)

public:
    struct SpecialAttack {
        uint32_t skillId = 0;
        int timeoutMs = 0;
        int delayMs = 0;
        uint32_t chance = 0;
        SkillUseRange range = SkillUseRange_Any;
    };
    struct SkillRanges {
        float shortMin = 0.0f, shortMax = 0.0f, mediumMin = 0.0f, mediumMax = 0.0f, longMin = 0.0f, longMax = 0.0f;
    };
    static constexpr size_t kSpecialAttacks = 5;

    ControllerMonster() = default;
    ~ControllerMonster() override;

    void SetDefaultAttackSkill(uint32_t id) { m_defaultAttackSkill = id; }
    void SetNormalAttackSkill(uint32_t id) { m_normalAttackSkill = id; }
    void SetSpecialAttackSkill(uint32_t id, int timeoutMs, int delayMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(0, id, timeoutMs, delayMs, chance, range);
    }
    void SetSpecialAttack2Skill(uint32_t id, int timeoutMs, int delayMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(1, id, timeoutMs, delayMs, chance, range);
    }
    void SetSpecialAttack3Skill(uint32_t id, int timeoutMs, int delayMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(2, id, timeoutMs, delayMs, chance, range);
    }
    void SetSpecialAttack4Skill(uint32_t id, int timeoutMs, int delayMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(3, id, timeoutMs, delayMs, chance, range);
    }
    void SetSpecialAttack5Skill(uint32_t id, int timeoutMs, int delayMs, uint32_t chance, SkillUseRange range)
    {
        SetSpecialAttack(4, id, timeoutMs, delayMs, chance, range);
    }
    void SetBuffSelfSkill(uint32_t id) { m_buffSelf[0] = id; }
    void SetBuffSelf2Skill(uint32_t id) { m_buffSelf[1] = id; }
    void SetBuffSelf3Skill(uint32_t id) { m_buffSelf[2] = id; }
    void SetBuffOtherSkill(uint32_t id) { m_buffOther[0] = id; }
    void SetBuffOther2Skill(uint32_t id) { m_buffOther[1] = id; }
    void SetBuffOther3Skill(uint32_t id) { m_buffOther[2] = id; }
    void SetHealSkill(uint32_t id, int delayMs)
    {
        m_healSkill = id;
        m_healDelayMs = delayMs;
    }
    void SetBerserkSkill(uint32_t id) { m_berserkSkill = id; }
    void SetDyingSkill(uint32_t id) { m_dyingSkill = id; }
    void SetInitialSkill(uint32_t id) { m_initialSkill = id; }
    void SetSkillRanges(float shortMin, float shortMax, float mediumMin, float mediumMax, float longMin, float longMax)
    {
        m_ranges = {shortMin, shortMax, mediumMin, mediumMax, longMin, longMax};
    }
    void SetChainInitialSkill(uint32_t id) { m_chainInitialSkill = id; }
    void SetChainNextSkill(uint32_t id) { m_chainNextSkill = id; }
    // 0 none, 1 used on the leader, 2 used on itself.
    void SetChainBehavior(uint32_t behavior) { m_chainBehavior = behavior; }

    uint32_t GetDefaultAttackSkill() const { return m_defaultAttackSkill; }
    uint32_t GetNormalAttackSkill() const { return m_normalAttackSkill; }
    const SpecialAttack& GetSpecialAttack(size_t index) const { return m_specialAttacks[index % kSpecialAttacks]; }
    uint32_t GetBuffSelfSkill(size_t index) const { return m_buffSelf[index % 3]; }
    uint32_t GetBuffOtherSkill(size_t index) const { return m_buffOther[index % 3]; }
    uint32_t GetHealSkill() const { return m_healSkill; }
    int GetHealDelay() const { return m_healDelayMs; }
    uint32_t GetBerserkSkill() const { return m_berserkSkill; }
    uint32_t GetDyingSkill() const { return m_dyingSkill; }
    uint32_t GetInitialSkill() const { return m_initialSkill; }
    const SkillRanges& GetSkillRanges() const { return m_ranges; }
    uint32_t GetChainInitialSkill() const { return m_chainInitialSkill; }
    uint32_t GetChainNextSkill() const { return m_chainNextSkill; }
    uint32_t GetChainBehavior() const { return m_chainBehavior; }

    // The leader the monster follows (0 none); its lifetime in ms (0 unlimited).
    virtual void NewLeader(uint32_t leaderId) { m_leaderId = leaderId; }
    uint32_t GetLeader() const { return m_leaderId; }
    virtual void SetLifetime(int ms) { m_lifetimeMs = ms; }
    int GetLifetime() const { return m_lifetimeMs; }
    // Anger: another monster's controller passes its anger on; clearing forgets it.
    virtual void TransferAnger(ControllerMonster& /*other*/) {}
    virtual void ClearAnger() {}
    // The monster was moved to these coordinates by its own skill; nothing here.
    virtual void Teleported(const WorldCoords& /*coords*/) {}
    virtual void SetTreasureProxy(const std::string& name, bool flag)
    {
        m_treasureProxy = name;
        m_treasureProxyFlag = flag;
    }
    const std::string& GetTreasureProxy() const { return m_treasureProxy; }
    // Confused for a time: it may turn on its allies.
    virtual void Confuse(int durationMs) { m_confusedMs = durationMs; }
    int GetConfusion() const { return m_confusedMs; }

private:
    void SetSpecialAttack(size_t index, uint32_t id, int timeoutMs, int delayMs, uint32_t chance, SkillUseRange range)
    {
        m_specialAttacks[index] = {id, timeoutMs, delayMs, chance, range};
    }

    uint32_t m_defaultAttackSkill = 0;
    uint32_t m_normalAttackSkill = 0;
    std::array<SpecialAttack, kSpecialAttacks> m_specialAttacks{};
    std::array<uint32_t, 3> m_buffSelf{};
    std::array<uint32_t, 3> m_buffOther{};
    uint32_t m_healSkill = 0;
    int m_healDelayMs = 0;
    uint32_t m_berserkSkill = 0;
    uint32_t m_dyingSkill = 0;
    uint32_t m_initialSkill = 0;
    SkillRanges m_ranges;
    uint32_t m_chainInitialSkill = 0;
    uint32_t m_chainNextSkill = 0;
    uint32_t m_chainBehavior = 0;
    uint32_t m_leaderId = 0;
    int m_lifetimeMs = 0;
    std::string m_treasureProxy;
    bool m_treasureProxyFlag = false;
    int m_confusedMs = 0;
};

}  // namespace GAME
