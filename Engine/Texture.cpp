#include "Engine/Texture.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <utility>

#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"

namespace GAME {

namespace {

struct SizeTable {
    std::mutex lock;
    std::unordered_map<std::string, std::pair<int, int>> sizes;   // by normalised name
};

SizeTable& Sizes()
{
    static SizeTable table;
    return table;
}

}  // namespace

Texture::Texture(const std::string& name) : m_name(name)
{
    m_loaded = GraphicsEngine::Get()->LoadTexture(name);
    if (!m_loaded)
        return;
    SizeTable& table = Sizes();
    std::lock_guard<std::mutex> guard(table.lock);
    auto found = table.sizes.find(RecordDatabase::NormalizeName(name));
    if (found != table.sizes.end()) {
        m_width = found->second.first;
        m_height = found->second.second;
    }
}

Texture::~Texture()
{
    if (m_loaded)
        GraphicsEngine::Get()->UnloadTexture(m_name);
}

void Texture::RegisterSize(const std::string& name, int width, int height)
{
    SizeTable& table = Sizes();
    std::lock_guard<std::mutex> guard(table.lock);
    table.sizes[RecordDatabase::NormalizeName(name)] = {std::max(width, 0), std::max(height, 0)};
}

void Texture::ClearSizes()
{
    SizeTable& table = Sizes();
    std::lock_guard<std::mutex> guard(table.lock);
    table.sizes.clear();
}

}  // namespace GAME
