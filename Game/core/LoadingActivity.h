// What the teleport and respawn activities share: the class name their statistics line
// shows, the loading indicator, the black overlay over the view, and the game engine's
// counted holds (the mouse lock and the sleep counter), each taken at most once and given
// back only by this activity's destructor, so overlapping activities never release each
// other's.
#pragma once

#include "Engine/GameServices.h"
#include "Game/core/ActivityManager.h"

namespace GAME {

class LoadingActivity : public GameActivity {
public:
    ~LoadingActivity() override;

    void WriteStatisticsLine() override;
    const char* GetClassName() const { return m_className; }
    const PieOmatic& GetLoadingIndicator() const { return m_indicator; }

protected:
    explicit LoadingActivity(const char* className);

    void LockMouse();
    void RaiseNeedsSleep();
    // Black of that alpha over the whole canvas (nothing for an alpha of 0 or less), then,
    // when asked, the loading indicator near the bottom right corner.
    void RenderOverlay(GraphicsCanvas& canvas, float alpha, bool indicator) const;

    const char* const m_className;
    PieOmatic m_indicator;

private:
    bool m_mouseLocked = false;
    bool m_sleepRaised = false;
};

}  // namespace GAME
