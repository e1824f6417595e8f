#include "Game/world/FixedItemContainer.h"

#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItemContainer, FixedItem)

namespace {

constexpr float kContainerMinLockRadius = 0.0001f;

int ContainerLockRank(const std::string& word)
{
    if (word == "Common")
        return 0;
    if (word == "Champion")
        return 1;
    if (word == "Hero")
        return 2;
    if (word == "Boss")
        return 3;
    return FixedItemContainer::kNoLockingRank;
}

}  // namespace

void FixedItemContainer::Load(const LoadTable& table)
{
    FixedItem::Load(table);
    m_idle.Load(table, "idleAnimation", "idleAnimationSpeed", 0.0f, nullptr, nullptr);
    m_open.Load(table, "openAnimation", "openAnimationSpeed", 0.0f, "openSound", "openFxPakName");
    m_pathableWhenOpen = table.GetBool("pathableWhenOpen", false);
    m_lockedRadius = table.GetFloat("LockedRadius", 0.0f);
    m_radiusLockEnabled = m_lockedRadius > kContainerMinLockRadius;
    m_lockedClassification = ContainerLockRank(table.GetString("LockedClassification", ""));
    m_lockedEffectName = table.GetString("LockedEffect", "");
}

void FixedItemContainer::PreLoad(bool flag)
{
    FixedItem::PreLoad(flag);
    m_idle.PreLoad(flag);
    m_open.PreLoad(flag);
}

void FixedItemContainer::OnDestroy()
{
    m_open.Release("FixedItemContainer");
    FixedItem::OnDestroy();
}

void FixedItemContainer::InitialUpdate()
{
    FixedItem::InitialUpdate();
    if (GetCurrentState() == FixedItemState_None)
        SetFixedItemState(FixedItemState_Closed, 0, true, true);
    else if (GetCurrentState() == FixedItemState_Open && m_pathableWhenOpen)
        RemovePathObstacle();
    if (DecidesRules())
        SetController(std::make_unique<FixedItemContainerController>());
}

void FixedItemContainer::SetFixedItemState(FixedItem_State state, uint32_t actorId, bool instant, bool /*withEffects*/)
{
    if (state == GetCurrentState())
        return;
    SetCurrentState(state);
    if (state == FixedItemState_Closed && instant)
        m_idle.ShowLastFrame(*this);
    if (state != FixedItemState_Open)
        return;
    // An open chest is no longer held by its guards. A client may hear it open before its
    // own timed check saw the guard fall, and no check comes after the opening: the lock
    // from the last one would stay on the open chest for good.
    if (m_radiusLocked)
        ApplyRadiusLock(true);
    if (instant) {
        m_open.ShowLastFrame(*this);
    } else {
        m_openingActor = actorId;
        Open();
    }
    if (m_pathableWhenOpen)
        RemovePathObstacle();
}

void FixedItemContainer::Open()
{
    m_notYetOpened = false;
    m_open.PlayAll(*this);
    NotifyAllies(m_openingActor);
    PlaySkillWarningFx();
    GameEvent_FixedItemUse event;
    event.objectName = GetObjectName();
    event.actorId = m_openingActor;
    event.objectId = GetObjectId();
    EventManager::Get().Send(event, "GameEvent_FixedItemUse");
}

void FixedItemContainer::SetLock(bool locked)
{
    FixedItem::SetLock(locked);
    m_radiusLocked = false;
}

void FixedItemContainer::ApplyReplicationData()
{
    FixedItem::ApplyReplicationData();
    m_radiusLocked = false;
}

void FixedItemContainer::ApplyRadiusLock(bool clear)
{
    SetLock(!clear);
    m_radiusLocked = !clear;
}

void FixedItemContainer::RequestToUse(uint32_t actorId)
{
    // The radius lock is looked at afresh: the guard may have died since the last timed
    // check, and a use that came in between (a remote player who saw the death first)
    // would be refused for a lock that no longer holds. Only the radius lock is lifted
    // here: a lock from the record or a trigger action holds until the timed check.
    if (m_notYetOpened && m_radiusLockEnabled) {
        const bool clear = CheckRadiusClear();
        if (clear ? m_radiusLocked : !IsLocked())
            ApplyRadiusLock(clear);
    }
    FixedItem::RequestToUse(actorId);
    if (!IsLocked())
        return;
    if (Player* player = ObjectManager::Get().GetObject<Player>(actorId))
        player->PlayLockedChestVox();
}

void FixedItemContainer::UpdateSelf(int elapsedMs)
{
    FixedItem::UpdateSelf(elapsedMs);
    UpdateLockedEffect();
    if (m_notYetOpened && m_radiusLockEnabled) {
        m_radiusCheckTimer -= elapsedMs;
        if (m_radiusCheckTimer < 1) {
            ApplyRadiusLock(CheckRadiusClear());
            m_radiusCheckTimer = kRadiusCheckInterval;
        }
    }
    if (GetCurrentState() == FixedItemState_Open && m_effectFadeTimer > 0) {
        m_effectFadeTimer -= GetElapsed();
        if (m_effectFadeTimer < 1) {
            for (const AttachedEntity& attached : GetAttachedEntities())
                if (auto* effect = DynamicCast<EffectEntity>(attached.entity))
                    effect->StopEmitting();
        }
    }
}

void FixedItemContainer::UpdateLockedEffect()
{
    ObjectManager& objects = ObjectManager::Get();
    EffectEntity* effect = objects.GetObject<EffectEntity>(m_lockedEffect);
    if (!IsLocked()) {
        if (effect) {
            Detach(effect);
            effect->StopEmitting();
            effect->AddToWorld(GetCoords(), true);
        }
        m_lockedEffect = 0;
        return;
    }
    if (effect || m_lockedEffectName.empty())
        return;
    effect = objects.CreateObjectFromFile<EffectEntity>(m_lockedEffectName);
    if (!effect) {
        // Logged by the object manager; not asked again every update.
        m_lockedEffectName.clear();
        return;
    }
    effect->StartEmitting();
    Attach(effect, Coords{}, Name());
    m_lockedEffect = effect->GetObjectId();
}

bool FixedItemContainer::CheckRadiusClear() const
{
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, GetRegion(), Sphere{GetCoords().GetPosition().GetRegionPosition(), m_lockedRadius},
                                     EntityList_All);
    for (Entity* entity : found) {
        const Monster* monster = DynamicCast<Monster>(entity);
        if (monster && monster->IsAlive() && static_cast<int>(monster->GetClassification()) >= m_lockedClassification)
            return false;
    }
    return true;
}

void FixedItemContainerController::InitialUpdate()
{
    if (m_state == FixedItemState_Open)
        m_containerState = Opened;
    else if (m_state == FixedItemState_Closed)
        m_containerState = Waiting;
}

void FixedItemContainerController::TouchedByActor()
{
    if (m_containerState != Waiting || !m_parent || m_parent->IsLocked())
        return;
    m_containerState = Opening;
    m_parent->Enqueue(
        new FixedItemStateChangeConfigCmd(m_parent->GetObjectId(), FixedItemState_Open, m_touchingActor, true));
    RunSkill();
}

void FixedItemContainerController::AnimationCallback(int /*unused*/, const Name& event)
{
    if (m_containerState != Opening)
        return;
    static const Name kEnd("End");
    static const Name kLootGen("lootGen");
    if (event == kEnd)
        m_containerState = Opened;
    else if (event == kLootGen)
        LoadDropLoot();
}

}  // namespace GAME
