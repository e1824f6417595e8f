// A shrine: a fixed item a character wakes. It runs through six phases (idle, waking,
// active, winding down, dormant, recharging), each with its own animation, sound and
// effect pack; while active it gives its bonus to the waker's side within its radius at a
// fixed interval. It drops loot once per waking and comes back to idle after its dormant
// time unless it is for one use only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemController.h"
#include "Game/world/FixedItemLook.h"

namespace GAME {

struct MinimapGameNugget;

class FixedItemShrine : public FixedItem {
    GAME_DECLARE_CLASS(FixedItemShrine)

public:
    // The detail map's kind for shrines.
    static constexpr int kMinimapKind = 5;
    // The tutorial page a shrine's blessing unlocks.
    static constexpr unsigned kTutorialPage = 5;

    enum Phase : int { Idle = 0, IdleToActive, Active, ActiveToDormant, Dormant, DormantToIdle, PhaseCount };

    void Load(const LoadTable& table) override;
    // Also every phase's animation and sound.
    void PreLoad(bool flag) override;
    void OnDestroy() override;
    void InitialUpdate() override;
    void SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects) override;
    // The end of a transition's animation leads to the next resting phase.
    void AnimationCallback(const Name& event) override;
    void RequestToUse(uint32_t actorId) override;
    bool IsOfInterest() const override;
    void AppendDetailMapData(std::vector<MinimapGameNugget>& out) const;

    uint32_t GetActivator() const { return m_activator; }
    const FixedItemLook& GetPhase(Phase phase) const { return m_phases[phase]; }
    // The effects that run attached to the shrine (idle loop, recharge, one-shot).
    size_t GetRunningEffectCount() const;

protected:
    void PlaceEffectsInWorld();
    void StartIdleEffect();
    void StartActiveEffect();
    void StartActiveFXMesh();
    // Plays a phase: animated (with its sound and effect pack), or at once (a resting
    // phase loops without them, a transition shows its last frame). False when a phase
    // to be animated has no animation.
    bool PlayAnimationAndFX(bool instant, Phase phase, bool loop);
    void GoIdle(bool instant);
    void GoActive(bool instant);
    void GoDormant(bool instant);
    void GoIdleToActive(bool instant);
    void GoActiveToDormant(bool instant);
    void GoDormantToIdle(bool instant);

private:
    // Starts an effect from its record attached at the named point; 0 when there is none.
    uint32_t StartAttachedEffect(const std::string& record, const std::string& attachment);

    FixedItemLook m_phases[PhaseCount];
    uint32_t m_idleLoopingEffect = 0;   // attached while they run, by id
    uint32_t m_dormantToIdleEffect = 0;
    uint32_t m_activeOneShotEffect = 0;
    std::string m_idleLoopingEffectName;
    std::string m_dormantToIdleEffectName;
    std::string m_activeOneShotEffectName;
    std::string m_idleLoopingAttachment;
    std::string m_dormantToIdleAttachment;
    std::string m_activeOneShotAttachment;
    std::string m_activeMeshFxName;
    float m_animationSpeed = 1.0f;
    uint32_t m_activator = 0;
};

// The shrine's timers: 1 idle, 2 active (bonus pulses every sample time until the active
// time runs out), 3 dormant (until the dormant time runs out, unless for one use).
class FixedItemShrineController : public FixedItemController {
public:
    enum State : int { None = 0, Waiting = 1, Blessing = 2, Resting = 3 };

    void LoadFromDatabase(const std::string& recordName) override;
    void Update(int elapsedMs) override;
    void InitialUpdate() override;
    State GetShrineState() const { return m_shrineState; }
    int GetPhaseTimer() const { return m_phaseTimer; }
    bool IsOneTimeUse() const { return m_oneTimeUse; }

protected:
    void TouchedByActor() override;

private:
    void QueueState(FixedItem_State state, uint32_t actorId);
    // The bonus for the activator's side within the radius.
    void Pulse();

    State m_shrineState = None;
    bool m_oneTimeUse = false;
    int m_activeTime = 0;
    int m_dormantTime = 0;
    int m_sampleTime = 0;
    float m_radius = 0.0f;
    int m_phaseTimer = 0;
    int m_sampleTimer = 0;
    uint32_t m_activator = 0;
};

}  // namespace GAME
