// The root of every controller: an engine object that drives one other object, its
// parent, known only by object id.
#pragma once

#include <cstdint>

#include "Engine/Object.h"

namespace GAME {

class Controller : public Object {
    GAME_DECLARE_CLASS(Controller)

public:
    Controller() = default;
    ~Controller() override;

    // Binds the controller to its parent, then lets the controller react to the new parent.
    virtual void AttachParent(uint32_t parentId);
    // Called after each AttachParent; nothing at this level.
    virtual void PostParentAttached() {}

    // Stores the parent's id without the notification.
    void SetParentId(uint32_t parentId) { m_parentId = parentId; }
    uint32_t GetParentId() const { return m_parentId; }

private:
    uint32_t m_parentId = 0;   // 0 until attached
};

}  // namespace GAME
