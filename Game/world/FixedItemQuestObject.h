// Three small kinds of fixed item without rules of their own: the quest object (armed while
// locked: each use then tells the quests), the well (the base behaviour, never of
// interest) and the portal at the end of the game (asks the local player whether to end
// the game there).
#pragma once

#include <cstdint>

#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemLook.h"

namespace GAME {

class FixedItemQuestObject : public FixedItem {
    GAME_DECLARE_CLASS(FixedItemQuestObject)

public:
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    void OnDestroy() override;
    // Shows the look of the lock at once.
    void InitialUpdate() override;
    // Only an armed (locked) object answers a use: "GameEvent_FixedItemUse".
    void RequestToUse(uint32_t actorId) override;
    // The look follows the lock, animated, with its sound and effect pack.
    void SetLock(bool locked) override;
    bool IsOfInterest() const override { return IsLocked(); }

protected:
    void SetOperation(bool instant);

private:
    FixedItemLockLooks m_looks;
};

class FixedItemWell : public FixedItem {
    GAME_DECLARE_CLASS(FixedItemWell)

public:
    void SetFixedItemState(FixedItem_State, uint32_t, bool, bool) override {}
    bool IsOfInterest() const override { return false; }
};

class FixedItemTyphonPortal : public FixedItem {
    GAME_DECLARE_CLASS(FixedItemTyphonPortal)

public:
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    void OnDestroy() override;
    void InitialUpdate() override;
    // Takes the local player's answer: a yes saves, records the level completed and ends
    // the game; either answer lets the portal be used again.
    void UpdateSelf(int elapsedMs) override;
    // The local player is asked whether to go through.
    void RequestToUse(uint32_t actorId) override;
    void SetLock(bool locked) override;
    bool IsOfInterest() const override { return !IsLocked(); }
    // Just beyond the portal's and the character's sizes, on the character's side.
    WorldVec3 GetMoveToPoint(uint32_t actorId) const override;

    bool IsAwaitingAnswer() const { return m_awaitingAnswer; }

protected:
    void SetOperation(bool silent);

private:
    FixedItemLockLooks m_looks;
    bool m_awaitingAnswer = false;
};

}  // namespace GAME
