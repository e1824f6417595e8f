// A loaded texture: its name and its size in pixels. Nothing is drawn: the size is what
// the game reads (an item's bitmap sets its room in a sack), so sizes are registered by
// name (by the host or a test) and a texture takes the size registered for its name.
#pragma once

#include <string>

namespace GAME {

class Texture {
public:
    // Loads the texture (GraphicsEngine::LoadTexture, counted); an empty name loads
    // nothing and has no size.
    explicit Texture(const std::string& name);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    const std::string& GetName() const { return m_name; }
    bool IsLoaded() const { return m_loaded; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

    // The size textures of that name take from now on (names compared as record paths).
    // A size below 0 is held at 0.
    static void RegisterSize(const std::string& name, int width, int height);
    // Forgets every registered size (tests).
    static void ClearSizes();

private:
    std::string m_name;
    bool m_loaded = false;
    int m_width = 0;
    int m_height = 0;
};

}  // namespace GAME
