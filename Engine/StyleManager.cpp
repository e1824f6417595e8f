#include "Engine/StyleManager.h"

#include "Engine/Engine.h"

namespace GAME {

StyleManager& StyleManager::Get()
{
    static StyleManager manager;
    return manager;
}

const GraphicsFont* StyleManager::RegisterFont(const std::string& name, int advancePercent)
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto& slot = m_fonts[name];
    if (!slot)
        slot = std::make_unique<GraphicsFont>(name, advancePercent);
    return slot.get();
}

bool StyleManager::RegisterStyle(const std::string& styleName, const std::string& fontName, int size)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (styleName.empty()) {
        gEngine->Log(LOG_ERROR, "StyleManager: a style needs a name (font '%s')", fontName.c_str());
        return false;
    }
    auto font = m_fonts.find(fontName);
    if (font == m_fonts.end()) {
        gEngine->Log(LOG_ERROR, "StyleManager: style '%s' names unknown font '%s'", styleName.c_str(),
                     fontName.c_str());
        return false;
    }
    m_styles[styleName] = FontStyle{font->second.get(), size};
    return true;
}

const FontStyle* StyleManager::GetStyle(const std::string& styleName) const
{
    std::lock_guard<std::mutex> guard(m_lock);
    auto it = m_styles.find(styleName);
    return it == m_styles.end() ? nullptr : &it->second;
}

void StyleManager::Clear()
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_styles.clear();
    m_fonts.clear();
}

}  // namespace GAME
