// A chest: closed until a character opens it, then it drops its loot and stays open. It
// can be locked by its record, by a trigger action, or while strong monsters stand near
// it (the radius lock, checked until the chest is first opened).
#pragma once

#include <cstdint>
#include <string>

#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemController.h"
#include "Game/world/FixedItemLook.h"

namespace GAME {

class FixedItemContainer : public FixedItem {
    GAME_DECLARE_CLASS(FixedItemContainer)

public:
    // Monsters are checked this often (ms) while the radius lock works.
    static constexpr int kRadiusCheckInterval = 500;
    // A "LockedClassification" that names no rank: no monster reaches it.
    static constexpr int kNoLockingRank = 999;
    // After opening, the attached effects stop emitting once this much time (ms) passed.
    static constexpr int kEffectFadeTime = 8000;

    void Load(const LoadTable& table) override;
    // Also both animations and the opening sound.
    void PreLoad(bool flag) override;
    void OnDestroy() override;
    void InitialUpdate() override;
    void UpdateSelf(int elapsedMs) override;
    void SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects) override;
    void RequestToUse(uint32_t actorId) override;
    bool IsOfInterest() const override { return GetCurrentState() == FixedItemState_Closed; }
    // A lock set from outside (a trigger action) is no radius lock: a use does not lift it.
    void SetLock(bool locked) override;
    void ApplyReplicationData() override;

    bool IsRadiusLockEnabled() const { return m_radiusLockEnabled; }
    int GetLockedClassification() const { return m_lockedClassification; }
    bool IsNotYetOpened() const { return m_notYetOpened; }
    // Whether the lock the chest holds is the radius lock's.
    bool IsRadiusLocked() const { return m_radiusLocked; }
    const FixedItemLook& GetOpenLook() const { return m_open; }

protected:
    void ApplyKindState() override { m_radiusLocked = false; }

private:
    void Open();
    // The monster check: the lock follows it, and it is then the radius lock.
    void ApplyRadiusLock(bool clear);
    // Shows the locked effect while locked; an unlocked chest lets it die out in place.
    void UpdateLockedEffect();
    // True unless a living monster of the locking rank or above stands within the radius.
    bool CheckRadiusClear() const;

    FixedItemLook m_idle;   // its animation only: the closed chest's pose
    FixedItemLook m_open;   // animation, "openSound" and "openFxPakName"
    bool m_pathableWhenOpen = false;
    bool m_radiusLockEnabled = false;
    bool m_notYetOpened = true;
    float m_lockedRadius = 0.0f;
    int m_radiusCheckTimer = 0;
    bool m_radiusLocked = false;   // the current lock is the radius check's
    int m_lockedClassification = 0;
    uint32_t m_openingActor = 0;
    std::string m_lockedEffectName;
    uint32_t m_lockedEffect = 0;   // attached while it runs, by id
    int m_effectFadeTimer = kEffectFadeTime;
};

// The chest's rules: 1 closed and touchable, 2 opening (loot at the "lootGen" event), 3
// open.
class FixedItemContainerController : public FixedItemController {
public:
    enum State : int { None = 0, Waiting = 1, Opening = 2, Opened = 3 };

    void InitialUpdate() override;
    void AnimationCallback(int unused, const Name& event) override;
    State GetContainerState() const { return m_containerState; }

protected:
    void TouchedByActor() override;

private:
    State m_containerState = None;
};

}  // namespace GAME
