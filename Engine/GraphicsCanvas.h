// The surface that overlays are drawn on over the game view. Nothing is shown: each
// filled rectangle is kept, in drawing order, for tests and the host to read back.
#pragma once

#include <vector>

#include "Engine/Math.h"

namespace GAME {

class GraphicsCanvas {
public:
    struct FilledRect {
        Rect rect;
        Color color;
    };

    GraphicsCanvas(int width, int height) : m_width(width), m_height(height) {}

    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

    void RenderRect(const Rect& rect, const Color& color) { m_rects.push_back({rect, color}); }

    const std::vector<FilledRect>& GetRenderedRects() const { return m_rects; }
    void ClearJournal() { m_rects.clear(); }

private:
    int m_width;
    int m_height;
    std::vector<FilledRect> m_rects;
};

}  // namespace GAME
