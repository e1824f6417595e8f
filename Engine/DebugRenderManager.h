// The engine's debug drawing: text and shapes drawn over the world for one frame. Nothing
// is shown here; each call is written to the journal ("DebugRenderManager::RenderText")
// so that tests and the host can read back what was drawn.
#pragma once

#include <string>

namespace GAME {

class WorldVec3;
struct Color;

class DebugRenderManager {
public:
    static DebugRenderManager& Get();

    // One line of text at a world position, in a colour.
    void RenderText(const WorldVec3& position, const std::string& text, const Color& color);
};

}  // namespace GAME
