#include "Game/world/FixedItemTeleport.h"

#include <algorithm>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PartyManager.h"
#include "Game/core/TeleportConfirmActivity.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/quests/DialogManager.h"
#include "Game/world/StrategicMovementTeleportShrine.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItemTeleport, FixedItem)

namespace {

bool IsLocalPlayer(uint32_t actorId) { return gGameEngine && actorId != 0 && actorId == gGameEngine->GetPlayerId(); }

}  // namespace

void FixedItemTeleport::Load(const LoadTable& table)
{
    FixedItem::Load(table);
    m_staticPortal = table.GetBool("staticPortal", false);
    m_textTag = table.GetString("textTag", "tagSBoatQuestion");
    m_looks.Load(table, 0.0f);
}

void FixedItemTeleport::PreLoad(bool flag)
{
    FixedItem::PreLoad(flag);
    m_looks.PreLoad(flag);
}

void FixedItemTeleport::OnDestroy()
{
    m_looks.Release("FixedItemTeleport");
    FixedItem::OnDestroy();
}

void FixedItemTeleport::InitialUpdate()
{
    FixedItem::InitialUpdate();
    SetOperation(true);
}

void FixedItemTeleport::SetOperation(bool silent) { m_looks.Play(*this, IsLocked(), silent); }

void FixedItemTeleport::SetLock(bool locked)
{
    FixedItem::SetLock(locked);
    SetOperation(false);
}

bool FixedItemTeleport::IsOfInterest() const { return !IsLocked() || !GetLockedTextTag().empty(); }

WorldVec3 FixedItemTeleport::GetMoveToPoint(uint32_t /*actorId*/) const
{
    WorldVec3 point = GetCoords().GetPosition();
    point.PutOnFloor();
    return point;
}

std::u16string FixedItemTeleport::GetGameDescription(bool highlighted) const
{
    if (m_staticPortal || !gGameEngine)
        return FixedItem::GetGameDescription(highlighted);
    const TeleportInfo* info = gGameEngine->GetTeleportInfo(GetObjectId());
    return TagTextWithName("tagPlayerPortal", info ? gGameEngine->GetPlayerName(info->ownerId) : m_ownerName);
}

// ---- Use -----------------------------------------------------------------------------------

void FixedItemTeleport::RequestToUse(uint32_t actorId)
{
    if (IsLocked()) {
        PlayLockedSound();
        return;
    }
    GameEvent_FixedItemUse use;
    use.objectName = GetObjectName();
    use.actorId = actorId;
    use.objectId = GetObjectId();
    EventManager::Get().Send(use, "GameEvent_FixedItemUse");
    if (!gGameEngine)
        return;

    if (m_staticPortal) {
        if (IsLocalPlayer(actorId))
            UseStaticPortal();
        return;
    }
    if (const TeleportInfo* info = gGameEngine->GetTeleportInfo(GetObjectId())) {
        const PartyManager* parties = gGameEngine->GetPartyManager();
        const bool together = parties ? parties->AreInPartyTogether(info->ownerId, actorId) : info->ownerId == actorId;
        if (together) {
            if (IsLocalPlayer(actorId) && ObjectManager::Get().GetObject<Player>(actorId)) {
                GameEvent_ActivateTeleportMenu menu;
                menu.objectId = GetObjectId();
                EventManager::Get().Send(menu, "GameEvent_ActivateTeleportMenu");
            }
            return;
        }
    }
    if (IsLocalPlayer(actorId))
        gGameEngine->GetDialogManager().AddDialog(kDialogTypeMessage, false, DialogParty::kNoAnswer, "tagPortalError",
                                                  true, 0, true);
}

void FixedItemTeleport::UseStaticPortal()
{
    std::vector<const InstanceGroup*> groups;
    InstanceGroupManager& manager = InstanceGroupManager::Get();
    manager.GetGroupsThatContain(m_uniqueId, groups);
    if (groups.empty()) {
        gEngine->Log(LOG_ERROR, "Requested to use a boat that was not in a group with a destination.");
        return;
    }
    const std::vector<UniqueId>& members = groups.front()->members;
    const auto other = std::find_if(members.begin(), members.end(),
                                    [this](const UniqueId& member) { return !(member == m_uniqueId); });
    if (other == members.end())
        return;
    const InstanceEntityData* data = manager.GetEntityData(*other);
    Region* region = data ? World::Get().GetRegionById(data->regionId) : nullptr;
    if (!region) {
        gEngine->Log(LOG_WARNING, "FixedItemTeleport %s: the destination's region is not loaded; nobody travels",
                     GetObjectName().c_str());
        return;
    }
    auto* activity = new TeleportConfirmActivity();
    activity->Set(WorldVec3(region, data->position), m_textTag);
    ActivityManager::Get()->InstallActivity(activity);
}

// ---- Player portals ------------------------------------------------------------------------

void FixedItemTeleport::UpdateSelf(int elapsedMs)
{
    FixedItem::UpdateSelf(elapsedMs);
    if (!m_staticPortal)
        UpdatePlayerPortal(elapsedMs);
}

void FixedItemTeleport::UpdatePlayerPortal(int elapsedMs)
{
    if (!gGameEngine)
        return;
    if (m_invalidTimer > kInvalidLifetime) {
        World::Get().RemoveEntity(this);
        ObjectManager::Get().DestroyObjectEx(this, "FixedItemTeleport", __LINE__);
        return;
    }
    if (gGameEngine->ValidateArtifactPortal(GetObjectId())) {
        if (const TeleportInfo* info = gGameEngine->GetTeleportInfo(GetObjectId()))
            m_ownerName = gGameEngine->GetPlayerName(info->ownerId);
        m_invalidTimer = 0;
        return;
    }
    const int step = std::clamp(elapsedMs, 1, kMaxInvalidStep);
    if (m_invalidTimer == 0)
        SetLock(true);
    m_invalidTimer += step;
}

// ---- Path obstacles and replication --------------------------------------------------------

void FixedItemTeleport::CreatePathObstacle()
{
    if (m_staticPortal)
        FixedItem::CreatePathObstacle();
}

void FixedItemTeleport::RemovePathObstacle()
{
    if (m_staticPortal)
        FixedItem::RemovePathObstacle();
}

void FixedItemTeleport::WriteReplicationData(NetPacketOutBuffer& out) const
{
    FixedItem::WriteReplicationData(out);
    const bool hasId = HasUniqueId();
    out.Add(&hasId);
    if (hasId)
        for (unsigned i = 0; i < UniqueId::kPartCount; ++i)
            out.AddU32(m_uniqueId.GetPart(i));
}

bool FixedItemTeleport::ReadReplicationData(NetPacketInBuffer& in)
{
    // Every field is read before any is kept: a packet cut short leaves the portal as it was.
    const uint8_t base = in.RemoveU8();
    const uint8_t hasId = in.RemoveU8();
    UniqueId received;
    if (hasId != 0)
        for (unsigned i = 0; i < UniqueId::kPartCount; ++i)
            received.SetPart(i, in.RemoveU32());
    if (!in.IsOk() || hasId > 1) {
        gEngine->Log(LOG_WARNING, "FixedItemTeleport %s: replication data unreadable; nothing kept",
                     GetObjectName().c_str());
        return false;
    }
    FixedItem::ReadReplicationData(base);
    m_replicatedHasUniqueId = hasId != 0;
    m_replicatedUniqueId = received;
    m_uniqueIdPending = true;
    return true;
}

void FixedItemTeleport::ApplyReplicationData()
{
    FixedItem::ApplyReplicationData();
    if (!m_uniqueIdPending)
        return;
    m_uniqueIdPending = false;
    if (m_replicatedHasUniqueId)
        m_uniqueId = m_replicatedUniqueId;
}

}  // namespace GAME
