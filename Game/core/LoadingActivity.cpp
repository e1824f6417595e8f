#include "Game/core/LoadingActivity.h"

#include "Engine/Engine.h"
#include "Engine/GraphicsCanvas.h"
#include "Game/core/GameEngine.h"

namespace GAME {

namespace {
// The loading indicator sits this far from the canvas's bottom right corner.
constexpr int kIndicatorInset = 100;
}  // namespace

LoadingActivity::LoadingActivity(const char* className)
    : m_className(className), m_indicator("InGameUI/UI_LoadingArt_Grey01.tex", "InGameUI/UI_LoadingArt_01.tex")
{
}

LoadingActivity::~LoadingActivity()
{
    if (!gGameEngine)
        return;
    if (m_mouseLocked)
        gGameEngine->UnlockMouse();
    if (m_sleepRaised)
        gGameEngine->DecrementNeedsSleepCounter();
}

void LoadingActivity::WriteStatisticsLine() { gEngine->AddStatisticText(m_className); }

void LoadingActivity::LockMouse()
{
    if (m_mouseLocked || !gGameEngine)
        return;
    gGameEngine->LockMouse();
    m_mouseLocked = true;
}

void LoadingActivity::RaiseNeedsSleep()
{
    if (m_sleepRaised || !gGameEngine)
        return;
    gGameEngine->IncrementNeedsSleepCounter();
    m_sleepRaised = true;
}

void LoadingActivity::RenderOverlay(GraphicsCanvas& canvas, float alpha, bool indicator) const
{
    const int width = canvas.GetWidth();
    const int height = canvas.GetHeight();
    if (alpha > 0.0f)
        canvas.RenderRect(Rect{0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)},
                          Color{0.0f, 0.0f, 0.0f, alpha});
    if (indicator)
        m_indicator.Render(canvas, width - kIndicatorInset, height - kIndicatorInset);
}

}  // namespace GAME
