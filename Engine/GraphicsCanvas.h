// The surface that overlays are drawn on over the game view. Nothing is shown: each
// filled rectangle is kept, in drawing order, for tests and the host to read back.
#pragma once

#include <string>
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

    // A texture drawn at a point with an alpha (the loading indicator).
    struct DrawnTexture {
        std::string texture;
        int x = 0;
        int y = 0;
        float alpha = 1.0f;
    };
    void RenderTexture(const std::string& texture, int x, int y, float alpha)
    {
        m_textures.push_back({texture, x, y, alpha});
    }
    const std::vector<DrawnTexture>& GetRenderedTextures() const { return m_textures; }

    const std::vector<FilledRect>& GetRenderedRects() const { return m_rects; }
    void ClearJournal()
    {
        m_rects.clear();
        m_textures.clear();
    }

private:
    int m_width;
    int m_height;
    std::vector<FilledRect> m_rects;
    std::vector<DrawnTexture> m_textures;
};

}  // namespace GAME
