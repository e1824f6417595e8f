// Named font styles of the user interface: a font and a size under a style name. The
// host (or a test) registers fonts and styles; game code looks styles up by name.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "Engine/GraphicsFont.h"

namespace GAME {

struct FontStyle {
    const GraphicsFont* font = nullptr;
    int size = 0;   // pixels; also the height of a line in this style
};

class StyleManager {
public:
    static StyleManager& Get();

    // Adds a font, or returns the one already known under that name unchanged.
    const GraphicsFont* RegisterFont(const std::string& name,
                                     int advancePercent = GraphicsFont::kDefaultAdvancePercent);
    // Adds or replaces a style. False (and a logged error) for an empty name or an
    // unknown font.
    bool RegisterStyle(const std::string& styleName, const std::string& fontName, int size);

    // The style of that name, or null. Valid until Clear.
    const FontStyle* GetStyle(const std::string& styleName) const;

    // Forgets every style and font (tests, between cases).
    void Clear();

private:
    mutable std::mutex m_lock;
    std::map<std::string, std::unique_ptr<GraphicsFont>> m_fonts;
    std::map<std::string, FontStyle> m_styles;
};

}  // namespace GAME
