// A point some monsters teleport between: a marker seen only in the editor, known by its
// unique id.
#pragma once

#include "Engine/Entity.h"
#include "Engine/UniqueId.h"

namespace GAME {

class BandariTeleportPoint : public Actor {
    GAME_DECLARE_CLASS(BandariTeleportPoint)

public:
    static constexpr int kEditorFilterType = 7;

    BandariTeleportPoint();
    ~BandariTeleportPoint() override;
    void InitialUpdate() override;

    const UniqueId& GetUniqueId() const { return m_uniqueId; }
    void SetUniqueId(const UniqueId& id) { m_uniqueId = id; }

private:
    UniqueId m_uniqueId;
};

}  // namespace GAME
