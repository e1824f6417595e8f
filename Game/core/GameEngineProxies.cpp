// The game engine's bookkeeping for spawn proxies: instance groups that share one pool or
// let one member spawn, and the registry of heroes and bosses already in the game.
#include "Engine/Engine.h"
#include "Engine/InstanceGroupManager.h"
#include "Game/core/GameEngine.h"
#include "Game/world/Proxy.h"

namespace GAME {

namespace {

constexpr const char* kUnifiedProxiesGroup = "Unified Proxies";
constexpr const char* kUniqueProxiesGroup = "Unique Proxies";

// The name of the first group that holds the proxy, under the group list lock; empty
// when it is in none.
std::string FirstProxyGroupName(const Proxy* proxy)
{
    InstanceGroupManager& groups = InstanceGroupManager::Get();
    std::vector<const InstanceGroup*> holding;
    groups.LockGroupList();
    groups.GetGroupsThatContain(proxy->GetUniqueId(), holding);
    std::string name = holding.empty() ? std::string() : holding.front()->name;
    groups.UnlockGroupList();
    return name;
}

}  // namespace

GameEngine::ProxyType GameEngine::GetProxyType(const Proxy* proxy) const
{
    if (!proxy)
        return ProxyType_None;
    InstanceGroupManager& groups = InstanceGroupManager::Get();
    std::vector<const InstanceGroup*> holding;
    ProxyType type = ProxyType_None;
    groups.LockGroupList();
    groups.GetGroupsThatContain(proxy->GetUniqueId(), holding);
    for (const InstanceGroup* group : holding) {
        if (group->type == kUnifiedProxiesGroup) {
            type = ProxyType_Unified;
            break;
        }
        if (group->type == kUniqueProxiesGroup) {
            type = ProxyType_Unique;
            break;
        }
    }
    groups.UnlockGroupList();
    return type;
}

bool GameEngine::IsUniqueProxySelected(const Proxy* proxy)
{
    if (!proxy)
        return false;
    std::vector<const InstanceGroup*> holding;
    InstanceGroupManager::Get().GetGroupsThatContain(proxy->GetUniqueId(), holding);
    if (holding.empty())
        return false;
    const InstanceGroup* group = holding.front();
    {
        CriticalSectionLock lock(m_proxyPoolLock);
        auto found = m_uniqueProxySelections.find(group->name);
        if (found != m_uniqueProxySelections.end())
            return found->second == proxy->GetUniqueId();
    }
    return LoadAndSelectOneProxy(group) == proxy->GetUniqueId();
}

UniqueId GameEngine::LoadAndSelectOneProxy(const InstanceGroup* group)
{
    if (!group || group->members.empty())
        return UniqueId();
    // Two loaders asking at once keep the first choice: the draw and the entry are made
    // under one lock.
    CriticalSectionLock lock(m_proxyPoolLock);
    auto found = m_uniqueProxySelections.find(group->name);
    if (found != m_uniqueProxySelections.end())
        return found->second;
    const int last = static_cast<int>(group->members.size()) - 1;
    const int index = m_random.IGenerate(0, last);
    const UniqueId chosen = index >= 0 && index <= last ? group->members[static_cast<size_t>(index)] : UniqueId();
    m_uniqueProxySelections[group->name] = chosen;
    return chosen;
}

bool GameEngine::GetUnifiedProxyPool(const Proxy* proxy, unsigned& index) const
{
    if (!proxy)
        return false;
    const std::string name = FirstProxyGroupName(proxy);
    return !name.empty() && GetUnifiedProxyPoolName(name, index);
}

void GameEngine::SetUnifiedProxyPool(const Proxy* proxy, unsigned index)
{
    if (!proxy)
        return;
    const std::string name = FirstProxyGroupName(proxy);
    if (!name.empty())
        SetUnifiedProxyPoolName(name, index);
}

bool GameEngine::GetUnifiedProxyPoolName(const std::string& group, unsigned& index) const
{
    CriticalSectionLock lock(m_proxyPoolLock);
    auto found = m_unifiedProxyPools.find(group);
    if (found == m_unifiedProxyPools.end())
        return false;
    index = found->second;
    return true;
}

void GameEngine::SetUnifiedProxyPoolName(const std::string& group, unsigned index)
{
    CriticalSectionLock lock(m_proxyPoolLock);
    m_unifiedProxyPools[group] = index;
}

void GameEngine::RegisterProxyHeroBoss(const std::string& name)
{
    CriticalSectionLock lock(m_proxyPoolLock);
    m_heroAndBossProxies.emplace(name, 1u);
}

void GameEngine::UnregisterProxyHeroBoss(const std::string& name)
{
    CriticalSectionLock lock(m_proxyPoolLock);
    m_heroAndBossProxies.erase(name);
}

bool GameEngine::IsProxyHeroBossInGame(const std::string& name) const
{
    CriticalSectionLock lock(m_proxyPoolLock);
    return m_heroAndBossProxies.count(name) != 0;
}

void GameEngine::ClearProxyInfo()
{
    CriticalSectionLock lock(m_proxyPoolLock);
    m_uniqueProxySelections.clear();
    m_unifiedProxyPools.clear();
}

void GameEngine::DumpGroupProxyData() const
{
    InstanceGroupManager& groups = InstanceGroupManager::Get();
    for (size_t i = 0, count = groups.GetGroupCount(); i < count; ++i) {
        const InstanceGroup* group = groups.GetGroup(i);
        if (!group || (group->type != kUnifiedProxiesGroup && group->type != kUniqueProxiesGroup))
            continue;
        gEngine->Log(LOG_INFO, "^gGroup Type (%s)  Name (%s)", group->type.c_str(), group->name.c_str());
        for (const UniqueId& id : group->members)
            gEngine->Log(LOG_INFO, "^b    ID (0x %x %x %x %x)", id.GetPart(0), id.GetPart(1), id.GetPart(2),
                         id.GetPart(3));
    }
}

}  // namespace GAME
