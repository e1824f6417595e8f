#include "Game/network/NetworkRegionLoader.h"

#include "Engine/Engine.h"
#include "Engine/RegionLoader.h"
#include "Engine/WorldCamera.h"
#include "Game/core/GameEngine.h"

namespace GAME {

NetworkRegionLoaderBase::~NetworkRegionLoaderBase()
{
    if (gGameEngine)
        gGameEngine->UnregisterNRLoader(this);
}

void NetworkRegionLoaderBase::SetRemoteState(NRLoaderState state)
{
    m_remoteState = state;
    m_localState = state;
}

bool NetworkRegionLoaderBase::IsDone() const
{
    return m_remoteState == NRLoaderState_Loaded && m_localState == NRLoaderState_Loaded;
}

void NetworkRegionLoaderBase::Initialize(const WorldVec3& position, uint32_t playerId)
{
    if (gGameEngine)
        gGameEngine->RegisterNRLoader(playerId, this);
    m_position = position;
    m_playerId = playerId;
}

NRLoaderClient::NRLoaderClient() = default;
NRLoaderClient::~NRLoaderClient() = default;

void NRLoaderClient::SetRemoteState(NRLoaderState state)
{
    m_remoteState = state;
}

void NRLoaderClient::SetLocalState(NRLoaderState state)
{
    m_localState = state;
}

void NRLoaderClient::ReportStateChange(uint32_t playerId, NRLoaderState state)
{
    if (gGameEngine)
        gGameEngine->CtoS_HandleNRLoaderStateChangeOutbound(playerId, state);
}

bool NRLoaderClient::AreRegionsLoaded() const
{
    return !m_regionLoader || m_regionLoader->GetIsDone();
}

void NRLoaderClient::Update()
{
    if (m_regionLoader)
        m_regionLoader->Update();
    switch (m_localState) {
    case NRLoaderState_NotStarted:
        BuildRegionLoader();
        ReportStateChange(m_playerId, NRLoaderState_Loading);
        SetLocalState(NRLoaderState_Loading);
        break;
    case NRLoaderState_Loading:
        UpdateLoading();
        break;
    default:
        break;
    }
}

void NRLoaderClient::UpdateLoading()
{
    if (AreRegionsLoaded()) {
        ReportStateChange(m_playerId, NRLoaderState_Loaded);
        SetLocalState(NRLoaderState_Loaded);
    }
}

void NRLoaderClient::BuildRegionLoader()
{
    Region* region = m_position.GetRegion();
    if (!region || !gGameEngine)
        return;
    WorldFrustum frustum;
    gGameEngine->GetFrustumForPlayer(frustum, m_position);
    WorldFrustum inflated = frustum.GetRegionFrustum();
    const float inflation = gEngine->GetLevelLoadInflation();
    for (Plane& plane : inflated.planes)
        plane.distance += inflation;
    std::vector<Region*> regions;
    World::Get().GetRegionsInFrustum(regions, region, inflated, false);
    m_regionLoader = std::make_unique<RegionLoader>(gEngine->GetResourceLoader(), std::move(regions), true);
    m_regionLoader->SetFrustum(frustum);
}

void NRLoaderServer::UpdateLoading()
{
    if (!AreRegionsLoaded() || m_remoteState != NRLoaderState_Loaded)
        return;
    if (!m_listenersNotified) {
        for (NRLoaderListener* listener : m_listeners)
            listener->OnRegionsLoaded();
        m_listenersNotified = true;
    }
    if (!m_hold) {
        ReportStateChange(m_playerId, NRLoaderState_Loaded);
        SetLocalState(NRLoaderState_Loaded);
    }
}

void NRLoaderServer::ReportStateChange(uint32_t playerId, NRLoaderState state)
{
    if (gGameEngine)
        gGameEngine->StoC_HandleNRLoaderStateChangeOutbound(playerId, state);
}

bool NRLoaderHost::IsDone() const
{
    return m_localState == NRLoaderState_Loaded;
}

void NRLoaderHost::ReportStateChange(uint32_t playerId, NRLoaderState state)
{
    if (gGameEngine)
        gGameEngine->StoC_HandleNRLoaderStateChangeOutbound(playerId, state);
}

}  // namespace GAME
