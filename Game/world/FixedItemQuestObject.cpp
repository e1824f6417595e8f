#include "Game/world/FixedItemQuestObject.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameUIInterface.h"
#include "Game/quests/DialogManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(FixedItemQuestObject, FixedItem)
GAME_IMPLEMENT_CLASS(FixedItemWell, FixedItem)
GAME_IMPLEMENT_CLASS(FixedItemTyphonPortal, FixedItem)

// ---- FixedItemQuestObject ------------------------------------------------------------------

void FixedItemQuestObject::Load(const LoadTable& table)
{
    FixedItem::Load(table);
    m_looks.Load(table, 0.0f);
}

void FixedItemQuestObject::PreLoad(bool flag)
{
    FixedItem::PreLoad(flag);
    m_looks.PreLoad(flag);
}

void FixedItemQuestObject::OnDestroy()
{
    m_looks.Release("FixedItemQuestObject");
    FixedItem::OnDestroy();
}

void FixedItemQuestObject::InitialUpdate()
{
    FixedItem::InitialUpdate();
    SetOperation(true);
}

void FixedItemQuestObject::SetOperation(bool instant)
{
    if (instant)
        m_looks.For(IsLocked()).ShowLastFrame(*this);
    else
        m_looks.Play(*this, IsLocked(), false);
}

void FixedItemQuestObject::SetLock(bool locked)
{
    FixedItem::SetLock(locked);
    SetOperation(false);
}

void FixedItemQuestObject::RequestToUse(uint32_t actorId)
{
    if (!IsLocked())
        return;
    GameEvent_FixedItemUse event;
    event.objectName = GetObjectName();
    event.actorId = actorId;
    event.objectId = GetObjectId();
    EventManager::Get().Send(event, "GameEvent_FixedItemUse");
}

// ---- FixedItemTyphonPortal -----------------------------------------------------------------

void FixedItemTyphonPortal::Load(const LoadTable& table)
{
    FixedItem::Load(table);
    m_looks.Load(table, 1.0f);
}

void FixedItemTyphonPortal::PreLoad(bool flag)
{
    FixedItem::PreLoad(flag);
    m_looks.PreLoad(flag);
}

void FixedItemTyphonPortal::OnDestroy()
{
    m_looks.Release("FixedItemTyphonPortal");
    FixedItem::OnDestroy();
}

void FixedItemTyphonPortal::InitialUpdate()
{
    FixedItem::InitialUpdate();
    SetOperation(true);
}

void FixedItemTyphonPortal::SetOperation(bool silent) { m_looks.Play(*this, IsLocked(), silent); }

void FixedItemTyphonPortal::SetLock(bool locked)
{
    FixedItem::SetLock(locked);
    SetOperation(false);
}

void FixedItemTyphonPortal::RequestToUse(uint32_t actorId)
{
    if (IsLocked()) {
        PlayLockedSound();
        return;
    }
    if (!gGameEngine || actorId == 0 || actorId != gGameEngine->GetPlayerId())
        return;
    const char* tag = gGameEngine->GetPlayerUnlockedLevel() ? "TagPortalEndGame" : "tagTyphonUGPortalToOlympus";
    gGameEngine->GetDialogManager().AddDialog(kDialogTypeYesNo, false, DialogParty::kFinalPortal, tag, true, 0, true);
    m_awaitingAnswer = true;
}

void FixedItemTyphonPortal::UpdateSelf(int elapsedMs)
{
    FixedItem::UpdateSelf(elapsedMs);
    if (!m_awaitingAnswer || !gGameEngine)
        return;
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    if (dialogs.GetNumResponsesFor(DialogParty::kFinalPortal) <= 0)
        return;
    const YesNoResponse response = dialogs.GetResponseFor(DialogParty::kFinalPortal);
    m_awaitingAnswer = false;
    if (!response.answer)
        return;
    gGameEngine->AutoSave();
    gGameEngine->SetPlayerCompletedLevel(true);
    if (GameUIInterface* ui = gGameEngine->GetUI())
        ui->EndOfGame();
}

WorldVec3 FixedItemTyphonPortal::GetMoveToPoint(uint32_t actorId) const
{
    const Character* character = ObjectManager::Get().GetObject<Character>(actorId);
    if (!character)
        return WorldVec3();
    const WorldVec3 here = GetCoords().GetPosition();
    const Vec3 direction = (character->GetCoords().GetPosition() - here).Unit();
    WorldVec3 point = here;
    point.TranslateToFloor(direction * (GetBoundingRadius() + GetExtraReach() + character->GetExtents()));
    return point;
}

}  // namespace GAME
