// The boss's laser on the chains of a chained creature near it: three beams grow from the
// boss to three points of the struck chains, their tails follow, and once all three have
// run their course a boss that carries a sickle drops it and blows it up. It deals no
// damage.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "Engine/Entity.h"
#include "Game/skills/SkillActivated.h"

namespace GAME {

// The beam the laser draws.
class ChainLaserBeam : public ChaosBeam {
    GAME_DECLARE_CLASS(ChainLaserBeam)
};

class Skill_ZoveradChainLaser : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_ZoveradChainLaser)

public:
    static constexpr size_t kBeams = 3;
    // How far around the boss a chained creature is looked for.
    static constexpr float kChainedSearchRadius = 20.0f;
    // A beam grows over one unit of progress, its tail follows over the next.
    static constexpr float kBeamRunLength = 2.0f;

    Skill_ZoveradChainLaser();
    // A copy draws no beams of its own: the beams stay with the skill that made them.
    Skill_ZoveradChainLaser(const Skill_ZoveradChainLaser& other);
    Skill_ZoveradChainLaser& operator=(const Skill_ZoveradChainLaser& other);
    // Lets its beams go.
    ~Skill_ZoveradChainLaser() override;

    // The spell's keys, then the three beams of "chainLaserBeam" and "beamVelocity".
    void Load(const LoadTable& table) override;
    void PreLoad(bool preloadNow) override;
    // Grows the beams while a struck object is set; when all are done the sickle drops.
    void Update(Character& owner, int elapsedMs) override;
    // Every peer: the beams are set between the boss and the struck chains.
    void TargetResult(Character& owner, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    bool ShouldMonsterSkillBeInterruptedWhilePursuing() const override { return false; }
    // The driving peer: one result for each chains of the first chained creature near.
    void ActivateNow(Character& owner, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    ChainLaserBeam* GetBeam(size_t index) const;
    float GetBeamProgress(size_t index) const { return m_progress[index % kBeams]; }
    bool IsBeamDone(size_t index) const { return m_done[index % kBeams]; }
    bool IsLaserRunning() const { return m_running; }
    uint32_t GetStruckObject() const { return m_struck; }

private:
    // Stretches beam `index` from the owner's beam point to its point on the struck actor.
    void Stretch(size_t index, const Character& owner, const Actor& struck);
    void Hide(size_t index);

    float m_beamVelocity = 1.0f;
    std::array<uint32_t, kBeams> m_beams{};   // owned, by object id
    std::array<float, kBeams> m_progress{};
    std::array<bool, kBeams> m_done{true, true, true};
    bool m_beamsShown = false;
    uint32_t m_struck = 0;
    bool m_running = false;
};

}  // namespace GAME
