// Loads a set of level regions over several frames. Regions are made ready one a frame
// in the order given; the loader is done once each has had its frame (at once for an
// empty set). The loaded count and the frustum handed to it are kept for callers to read.
#pragma once

#include <cstddef>
#include <vector>

#include "Engine/WorldCamera.h"

namespace GAME {

class Region;
class ResourceLoader;

class RegionLoader {
public:
    RegionLoader(ResourceLoader& resources, std::vector<Region*> regions, bool asynchronous);
    virtual ~RegionLoader() = default;
    RegionLoader(const RegionLoader&) = delete;
    RegionLoader& operator=(const RegionLoader&) = delete;

    // One frame of loading: the next region is made ready.
    virtual void Update();
    bool GetIsDone() const { return m_loaded >= m_regions.size(); }

    // The view the regions were chosen for; loading nearer regions first is the
    // platform's concern, the frustum is only kept.
    void SetFrustum(const WorldFrustum& frustum) { m_frustum = frustum; }
    const WorldFrustum& GetFrustum() const { return m_frustum; }

    const std::vector<Region*>& GetRegions() const { return m_regions; }
    size_t GetLoadedCount() const { return m_loaded; }
    bool IsAsynchronous() const { return m_asynchronous; }
    ResourceLoader& GetResourceLoader() const { return m_resources; }

private:
    ResourceLoader& m_resources;
    std::vector<Region*> m_regions;
    bool m_asynchronous;
    size_t m_loaded = 0;
    WorldFrustum m_frustum;
};

}  // namespace GAME
