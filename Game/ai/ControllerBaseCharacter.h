// The controller layer that drives a character: the hooks the character calls when
// something happens to it, and the frame the engine runs.
#pragma once

#include <cstdint>

#include "Engine/Controller.h"

namespace GAME {

class Character;
class Name;
class WorldCoords;
struct CollisionData;
struct ProjectileInfo;

class ControllerBaseCharacter : public Controller {
    GAME_DECLARE_CLASS(ControllerBaseCharacter)

public:
    ControllerBaseCharacter() = default;
    ~ControllerBaseCharacter() override;

    // Runs once, before the first frame's work.
    virtual void InitialUpdate() { m_started = true; }
    // The frame: the first call runs InitialUpdate.
    virtual void Update(int elapsedMs);

    // An animation event of the character.
    virtual void HandleEvent(const Name& eventName);

    virtual void SetTarget(uint32_t targetId) { m_targetId = targetId; }
    virtual uint32_t GetTarget() const { return m_targetId; }

    // The character's hooks; nothing happens at this level.
    virtual void LowHealth() {}
    virtual void EndOfPathReached() {}
    virtual void LostSlot() {}
    virtual void PickupItem(uint32_t /*itemId*/) {}
    virtual void Teleport(const WorldCoords& coords);
    virtual void ProjectileNotification(uint32_t /*projectileId*/) {}
    virtual void ProjectileCollisionCallback(const ProjectileInfo& info, const CollisionData& collision);

    bool HasStarted() const { return m_started; }

protected:
    // The parent when it still exists as a character; null otherwise.
    Character* GetParentCharacter() const;

private:
    uint32_t m_targetId = 0;
    bool m_started = false;      // set by InitialUpdate
    bool m_firstUpdate = true;   // cleared by the first Update
};

}  // namespace GAME
