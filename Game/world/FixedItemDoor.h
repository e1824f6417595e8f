// Doors: fixed items with two resting states, closed and open. The base keeps what every
// door shares (sounds and effect packs of opening and closing, a loop for each resting
// state, the open-only, auto-close and one-way rules, where a character stands, the saved
// auto-close flag); the kinds differ in how the door looks while it moves: an animation,
// an animation with one round obstacle, or two meshes swapped.
#pragma once

#include <cstdint>
#include <string>

#include "Game/world/FixedItem.h"
#include "Game/world/FixedItemController.h"
#include "Game/world/FixedItemLook.h"

namespace GAME {

class FixedItemDoorBase : public FixedItem {
    GAME_DECLARE_CLASS(FixedItemDoorBase)

public:
    static constexpr int kDefaultSoundFadeTime = 1000;   // ms

    void Load(const LoadTable& table) override;
    // Also the opening and closing sounds.
    void PreLoad(bool flag) override;
    void OnDestroy() override;
    void InitialUpdate() override;
    // Closed and open (a trigger's open also turns auto-close off for good); leaving a
    // resting state fades its loop.
    void SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects) override;
    void RequestToUse(uint32_t actorId) override;
    bool IsOfInterest() const override;
    // In front of the door or behind it, on the character's side, where it can stand;
    // an empty position when it cannot.
    WorldVec3 GetMoveToPoint(uint32_t actorId) const override;
    // The character's size and the door's half depth.
    float GetStandingDistance(float characterExtents) const override;
    bool IsAutoCloseEnabled() const override { return m_autoClose; }
    // A one-way door is locked to anyone on its closed side and to anything not a character.
    bool IsAlternateLock(uint32_t actorId) const override;
    bool ShouldSaveState() const override { return true; }

    bool IsOpenOnly() const { return m_openOnly; }
    bool IsOneWay() const { return m_oneWayDoor; }
    SoundPak* GetOpenSoundLoop() const;
    SoundPak* GetClosedSoundLoop() const;
    const FixedItemLook& GetOpenLook() const { return m_openLook; }
    const FixedItemLook& GetCloseLook() const { return m_closeLook; }

protected:
    // After the base's fields: the auto-close flag (4 bytes).
    void WriteKindState(BinaryWriter& writer) const override;
    bool ReadKindState(BinaryReader& reader) override;
    void ApplyKindState() override { m_autoClose = m_savedAutoClose; }

    virtual void Open() {}
    virtual void InstantaneousOpen() {}
    virtual void Close() {}
    virtual void InstantaneousClose() {}

private:
    FixedItemLook m_closeLook;   // "closeSound", "closeFxPakName"
    FixedItemLook m_openLook;    // "openSound", "openFxPakName"
    uint32_t m_openSoundLoop = 0;   // owned, by id
    int m_openSoundFadeTime = kDefaultSoundFadeTime;
    uint32_t m_closedSoundLoop = 0;   // owned, by id
    int m_closedSoundFadeTime = kDefaultSoundFadeTime;
    bool m_openOnly = false;
    bool m_autoClose = false;
    bool m_oneWayDoor = false;
    bool m_reverseOneWayDirection = false;
    bool m_savedAutoClose = false;   // read from a save, not yet applied
};

// Plays an open or close animation; the instant forms show its last frame.
class FixedItemDoor : public FixedItemDoorBase {
    GAME_DECLARE_CLASS(FixedItemDoor)

public:
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    // At the animation's "End" the obstacles follow the door's final pose.
    void AnimationCallback(const Name& event) override;

protected:
    void Open() override;
    void InstantaneousOpen() override;
    void Close() override;
    void InstantaneousClose() override;

private:
    FixedItemLook m_closeAnimation;
    FixedItemLook m_openAnimation;
};

// A door whose obstacle is one sphere at its position.
class FixedItemDoorApolloHack : public FixedItemDoor {
    GAME_DECLARE_CLASS(FixedItemDoorApolloHack)

public:
    static constexpr float kDefaultSphereSize = 2.0f;

    void Load(const LoadTable& table) override;
    float GetSphereSize() const { return m_sphereSize; }

protected:
    void CreatePathObstacle() override;

private:
    float m_sphereSize = 0.0f;
};

// A door that shows one mesh open and another closed.
class FixedItemDoorSwapping : public FixedItemDoorBase {
    GAME_DECLARE_CLASS(FixedItemDoorSwapping)

public:
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    // The actor's own mesh is shown again.
    void OnDestroy() override;

protected:
    void Open() override;
    void InstantaneousOpen() override;
    void Close() override;
    void InstantaneousClose() override;

private:
    std::string m_openMesh;
    std::string m_closedMesh;
    std::string m_loadedMesh;
};

// The door's rules: 1 closed, 2 closing, 3 opening, 4 open. A touch opens or closes it;
// an auto-closing door closes once nobody stands near it.
class FixedItemDoorController : public FixedItemController {
public:
    enum State : int { None = 0, Closed = 1, Closing = 2, Opening = 3, Opened = 4 };

    void LoadFromDatabase(const std::string& recordName) override;
    void SetFixedItemState(FixedItem_State state) override;
    void Update(int elapsedMs) override;
    void InitialUpdate() override;
    void AnimationCallback(int unused, const Name& event) override;
    State GetDoorState() const { return m_doorState; }

protected:
    void TouchedByActor() override;

private:
    void QueueState(FixedItem_State state, uint32_t actorId);
    // Whether a character stands within reach of the door.
    bool AnyoneNear() const;

    State m_doorState = None;
    bool m_openOnly = false;
    FixedItem_State m_initialState = FixedItemState_None;   // the item state at InitialUpdate
};

}  // namespace GAME
