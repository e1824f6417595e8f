// A point of a patrol route; invisible outside the editor.
#pragma once

#include "Engine/Entity.h"

namespace GAME {

class PatrolPoint : public Actor {
    GAME_DECLARE_CLASS(PatrolPoint)

public:
    static constexpr int kEditorFilterType = 5;

    PatrolPoint();
    ~PatrolPoint() override;
    void InitialUpdate() override;
};

}  // namespace GAME
