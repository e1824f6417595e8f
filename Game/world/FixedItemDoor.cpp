#include "Game/world/FixedItemDoor.h"

#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/PathFinder.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/world/OwnedSound.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItemDoorBase, FixedItem)
GAME_IMPLEMENT_CLASS(FixedItemDoor, FixedItemDoorBase)
GAME_IMPLEMENT_CLASS(FixedItemDoorApolloHack, FixedItemDoor)
GAME_IMPLEMENT_CLASS(FixedItemDoorSwapping, FixedItemDoorBase)

namespace {

// Beyond the character's size and the door's half depth, how far a character stands.
constexpr float kDoorStandingGap = 1.0f;
constexpr float kDoorStandingGapWithoutMesh = 3.0f;
// How far from the standing point a character may end up and still use the door.
constexpr float kDoorReachTolerance = 0.5f;

}  // namespace

// ---- FixedItemDoorBase ---------------------------------------------------------------------

void FixedItemDoorBase::Load(const LoadTable& table)
{
    FixedItem::Load(table);
    m_openLook.Load(table, nullptr, nullptr, 0.0f, "openSound", "openFxPakName");
    m_closeLook.Load(table, nullptr, nullptr, 0.0f, "closeSound", "closeFxPakName");
    DestroyOwnedSound(m_openSoundLoop, "FixedItemDoorBase");
    DestroyOwnedSound(m_closedSoundLoop, "FixedItemDoorBase");
    m_openSoundLoop = CreateOwnedSound(table, "openSoundLoop");
    m_openSoundFadeTime = table.GetInt("openSoundFadeTime", kDefaultSoundFadeTime);
    m_closedSoundLoop = CreateOwnedSound(table, "closedSoundLoop");
    m_closedSoundFadeTime = table.GetInt("closedSoundFadeTime", kDefaultSoundFadeTime);
    m_openOnly = table.GetBool("openOnly", false);
    m_autoClose = table.GetBool("autoClose", false);
    m_oneWayDoor = table.GetBool("oneWayDoor", false);
    m_reverseOneWayDirection = table.GetBool("reverseOneWayDirection", false);
}

void FixedItemDoorBase::PreLoad(bool flag)
{
    FixedItem::PreLoad(flag);
    m_openLook.PreLoad(flag);
    m_closeLook.PreLoad(flag);
}

void FixedItemDoorBase::OnDestroy()
{
    m_openLook.Release("FixedItemDoorBase");
    m_closeLook.Release("FixedItemDoorBase");
    DestroyOwnedSound(m_openSoundLoop, "FixedItemDoorBase");
    DestroyOwnedSound(m_closedSoundLoop, "FixedItemDoorBase");
    FixedItem::OnDestroy();
}

SoundPak* FixedItemDoorBase::GetOpenSoundLoop() const { return FindOwnedSound(m_openSoundLoop); }

SoundPak* FixedItemDoorBase::GetClosedSoundLoop() const { return FindOwnedSound(m_closedSoundLoop); }

void FixedItemDoorBase::InitialUpdate()
{
    FixedItem::InitialUpdate();
    if (GetCurrentState() == FixedItemState_None) {
        SetFixedItemState(FixedItemState_DoorClosed, 0, true, true);
        if (SoundPak* loop = GetClosedSoundLoop())
            loop->Play(GetCoords().GetPosition(), 0, false);
    }
    if (DecidesRules())
        SetController(std::make_unique<FixedItemDoorController>());
}

void FixedItemDoorBase::SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool withEffects)
{
    if (state == FixedItemState_DoorOpenByTrigger) {
        state = FixedItemState_DoorOpen;
        m_autoClose = false;
    }
    if (state == GetCurrentState())
        return;
    if (GetCurrentState() == FixedItemState_DoorOpen) {
        if (SoundPak* loop = GetOpenSoundLoop())
            loop->FadeLastPlayedSound(m_openSoundFadeTime);
    } else if (SoundPak* loop = GetClosedSoundLoop()) {
        loop->FadeLastPlayedSound(m_closedSoundFadeTime);
    }
    SetCurrentState(state);

    if (state == FixedItemState_DoorOpen) {
        if (instant) {
            InstantaneousOpen();
            return;
        }
        if (withEffects)
            m_openLook.PlaySound(*this);
        Open();
        m_openLook.PlaceFxPak(*this);
        NotifyAllies(actorId);
        if (withEffects)
            if (SoundPak* loop = GetOpenSoundLoop())
                loop->Play(GetCoords().GetPosition(), 0, false);
    } else if (state == FixedItemState_DoorClosed) {
        if (instant) {
            InstantaneousClose();
        } else {
            if (withEffects)
                m_closeLook.PlaySound(*this);
            Close();
            m_closeLook.PlaceFxPak(*this);
        }
        if (withEffects)
            if (SoundPak* loop = GetClosedSoundLoop())
                loop->Play(GetCoords().GetPosition(), 0, false);
    }
}

void FixedItemDoorBase::RequestToUse(uint32_t actorId)
{
    FixedItem::RequestToUse(actorId);
    if (!IsLocked() && !IsAlternateLock(actorId))
        return;
    if (Player* player = ObjectManager::Get().GetObject<Player>(actorId))
        player->PlayLockedDoorVox();
}

bool FixedItemDoorBase::IsOfInterest() const
{
    if (m_openOnly && GetCurrentState() != FixedItemState_DoorClosed)
        return false;
    return !IsLocked() || !GetLockedTextTag().empty();
}

bool FixedItemDoorBase::IsAlternateLock(uint32_t actorId) const
{
    if (!m_oneWayDoor)
        return false;
    const Character* character = ObjectManager::Get().GetObject<Character>(actorId);
    if (!character)
        return true;
    // Open from the front for a normal one-way door, from behind for a reversed one.
    return IsCharacterInFront(character->GetCoords()) == m_reverseOneWayDirection;
}

float FixedItemDoorBase::GetStandingDistance(float characterExtents) const
{
    if (GetMeshName().empty())
        return characterExtents + kDoorStandingGapWithoutMesh;
    // The door's half depth: the half extent along the third axis of its mesh's box.
    return characterExtents + GetMeshInstance().GetRegionSpaceBoundingBox().extents.z + kDoorStandingGap;
}

WorldVec3 FixedItemDoorBase::GetMoveToPoint(uint32_t actorId) const
{
    const WorldVec3 here = GetCoords().GetPosition();
    Character* character = ObjectManager::Get().GetObject<Character>(actorId);
    if (!character || GetMeshName().empty())
        return here;
    const bool front = IsCharacterInFront(character->GetCoords());
    Vec3 offset = GetCoords().GetRegionCoords().zAxis * GetStandingDistance(character->GetExtents());
    if (!front)
        offset = offset * -1.0f;
    WorldVec3 point = here;
    point.Translate(offset);
    if (character->CanMoveTo(point, kDoorReachTolerance))
        return point;
    return WorldVec3();
}

void FixedItemDoorBase::WriteKindState(BinaryWriter& writer) const { writer.WriteBool(m_autoClose); }

bool FixedItemDoorBase::ReadKindState(BinaryReader& reader)
{
    m_savedAutoClose = reader.ReadBool();
    return !reader.HasFailed();
}

// ---- FixedItemDoor -------------------------------------------------------------------------

void FixedItemDoor::Load(const LoadTable& table)
{
    FixedItemDoorBase::Load(table);
    m_openAnimation.Load(table, "openAnimation", "openAnimationSpeed", 0.0f, nullptr, nullptr);
    m_closeAnimation.Load(table, "closeAnimation", "closeAnimationSpeed", 0.0f, nullptr, nullptr);
}

void FixedItemDoor::PreLoad(bool flag)
{
    FixedItemDoorBase::PreLoad(flag);
    m_openAnimation.PreLoad(flag);
    m_closeAnimation.PreLoad(flag);
}

void FixedItemDoor::AnimationCallback(const Name& event)
{
    FixedItemDoorBase::AnimationCallback(event);
    if (event == EndEvent())
        CreatePathObstacle();
}

void FixedItemDoor::Open()
{
    m_openAnimation.PlayAnimation(*this, 1.0f, false);
    PlaySkillWarningFx();
}

void FixedItemDoor::InstantaneousOpen()
{
    m_openAnimation.ShowLastFrame(*this);
    RequestPathObstacleRebuild();
}

void FixedItemDoor::Close() { m_closeAnimation.PlayAnimation(*this, 1.0f, false); }

void FixedItemDoor::InstantaneousClose()
{
    m_closeAnimation.ShowLastFrame(*this);
    RequestPathObstacleRebuild();
}

// ---- FixedItemDoorApolloHack ---------------------------------------------------------------

void FixedItemDoorApolloHack::Load(const LoadTable& table)
{
    FixedItemDoor::Load(table);
    m_sphereSize = table.GetFloat("sphereSize", kDefaultSphereSize);
}

void FixedItemDoorApolloHack::CreatePathObstacle()
{
    RemovePathObstacle();
    if (!IsInWorld())
        return;
    KeepPathObstacle(std::make_unique<DynamicObstacle>(
        GetRegion(), Sphere{GetCoords().GetRegionCoords().origin, m_sphereSize}));
}

// ---- FixedItemDoorSwapping -----------------------------------------------------------------

void FixedItemDoorSwapping::Load(const LoadTable& table)
{
    FixedItemDoorBase::Load(table);
    m_loadedMesh = GetMeshName();
    m_openMesh = table.GetString("openMesh", m_loadedMesh.c_str());
    m_closedMesh = table.GetString("closedMesh", m_loadedMesh.c_str());
}

void FixedItemDoorSwapping::PreLoad(bool flag)
{
    FixedItemDoorBase::PreLoad(flag);
    EnsureAvailable();
}

void FixedItemDoorSwapping::OnDestroy()
{
    SetMesh(m_loadedMesh);
    FixedItemDoorBase::OnDestroy();
}

void FixedItemDoorSwapping::Open() { SetMesh(m_openMesh); }

void FixedItemDoorSwapping::InstantaneousOpen() { SetMesh(m_openMesh); }

void FixedItemDoorSwapping::Close()
{
    SetMesh(m_closedMesh);
    CreatePathObstacle();
}

void FixedItemDoorSwapping::InstantaneousClose() { Close(); }

// ---- FixedItemDoorController ---------------------------------------------------------------

void FixedItemDoorController::LoadFromDatabase(const std::string& recordName)
{
    FixedItemController::LoadFromDatabase(recordName);
    m_openOnly = recordName.empty() ? false : ObjectManager::Get().GetRecordOrEmpty(recordName).GetBool("openOnly", false);
}

// The door's state takes over as soon as it changes (a command of this controller or a
// trigger): the door may not animate (a swapping door raises no "End"), and a state
// taken over only at the next update would overwrite a touch that came in between.
void FixedItemDoorController::SetFixedItemState(FixedItem_State state)
{
    FixedItemController::SetFixedItemState(state);
    if (state == FixedItemState_DoorOpen)
        m_doorState = Opened;
    else if (state == FixedItemState_DoorClosed)
        m_doorState = Closed;
}

void FixedItemDoorController::InitialUpdate()
{
    m_initialState = m_state;
    if (m_state == FixedItemState_DoorOpen)
        m_doorState = Opened;
    else if (m_state == FixedItemState_DoorClosed)
        m_doorState = Closed;
}

void FixedItemDoorController::QueueState(FixedItem_State state, uint32_t actorId)
{
    m_parent->Enqueue(new FixedItemStateChangeConfigCmd(m_parent->GetObjectId(), state, actorId, true));
}

void FixedItemDoorController::TouchedByActor()
{
    if (!m_parent || m_parent->IsLocked() || m_parent->IsAlternateLock(m_touchingActor))
        return;
    if (m_doorState == Closed) {
        m_doorState = Opening;
        QueueState(FixedItemState_DoorOpen, m_touchingActor);
    } else if (m_doorState == Opened && !m_openOnly) {
        m_doorState = Closing;
        QueueState(FixedItemState_DoorClosed, 0);
    }
}

void FixedItemDoorController::AnimationCallback(int /*unused*/, const Name& event)
{
    if (event != Actor::EndEvent())
        return;
    if (m_doorState == Opening)
        m_doorState = Opened;
    else if (m_doorState == Closing)
        m_doorState = Closed;
}

bool FixedItemDoorController::AnyoneNear() const
{
    const float radius = 2.0f * m_parent->GetStandingDistance(1.0f) + m_parent->GetExtraReach();
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, m_parent->GetRegion(),
                                     Sphere{m_parent->GetCoords().GetRegionCoords().origin, radius}, EntityList_All);
    for (Entity* entity : found)
        if (DynamicCast<Character>(entity))
            return true;
    return false;
}

void FixedItemDoorController::Update(int elapsedMs)
{
    FixedItemController::Update(elapsedMs);
    if (!m_parent)
        return;
    if (m_doorState == Opened && m_parent->IsAutoCloseEnabled() && !AnyoneNear()) {
        m_doorState = Closing;
        QueueState(FixedItemState_DoorClosed, 0);
    }
}

}  // namespace GAME
