#include "Engine/RegionLoader.h"

#include <cmath>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/GraphicsAnim.h"

namespace GAME {

RegionLoader::RegionLoader(ResourceLoader& resources, std::vector<Region*> regions, bool asynchronous)
    : m_resources(resources), m_regions(std::move(regions)), m_asynchronous(asynchronous)
{
}

void RegionLoader::Update()
{
    if (m_loaded < m_regions.size())
        ++m_loaded;
}

ResourceLoader& Engine::GetResourceLoader()
{
    return ResourceLoader::Get();
}

void Engine::SetLevelLoadInflation(float metres)
{
    if (!std::isfinite(metres) || metres < 0.0f) {
        Log(LOG_WARNING, "Level load inflation %g ignored", static_cast<double>(metres));
        return;
    }
    m_levelLoadInflation = metres;
}

}  // namespace GAME
