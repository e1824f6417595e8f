// A point some monsters teleport between: a marker seen only in the editor.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class BandariTeleportPoint : public Actor {
    GAME_DECLARE_CLASS(BandariTeleportPoint)

public:
    static constexpr int kEditorFilterType = 7;

    BandariTeleportPoint();
    ~BandariTeleportPoint() override;
    void InitialUpdate() override;
};

}  // namespace GAME
