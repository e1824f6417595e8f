#include "Game/quests/QuestItem.h"

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Game/core/GameEvents.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(QuestItem, Item)
GAME_IMPLEMENT_CLASS(QuestLocation, Actor)

// ---- QuestItem ---------------------------------------------------------------------------

QuestItem::QuestItem() = default;

QuestItem::~QuestItem()
{
    m_bitmap.reset();
    if (m_trailEffect) {
        Detach(m_trailEffect);
        ObjectManager::Get().DestroyObjectEx(m_trailEffect, __FILE__, __LINE__);
        m_trailEffect = nullptr;
    }
}

void QuestItem::Load(const LoadTable& table)
{
    Item::Load(table);
    m_bitmapName = table.GetString("bitmap", "");
    if (m_trailEffect)
        return;
    m_trailEffect = LoadTable::LoadEffectEntity(table, "trailEffect");
    if (!m_trailEffect)
        return;
    m_trailEffect->StopEmitting();
    Attach(m_trailEffect, Coords(), Name());
}

void QuestItem::UpdateSelf(int elapsedMs)
{
    Item::UpdateSelf(elapsedMs);
    if (!m_trailEffect)
        return;
    const bool inWorld = IsInWorld();
    if (inWorld && !m_emitting) {
        m_emitting = true;
        m_trailEffect->StartEmitting();
    } else if (!inWorld && m_emitting) {
        m_emitting = false;
        m_trailEffect->StopEmitting();
    }
}

Texture* QuestItem::GetBitmap()
{
    if (!m_bitmap)
        m_bitmap = std::make_unique<Texture>(m_bitmapName);
    return m_bitmap.get();
}

void QuestItem::GetUIDisplayText(const Character* character, std::vector<GameTextLine>& lines) const
{
    Item::GetUIDisplayText(character, lines);
    lines.emplace_back(static_cast<GameTextClass>(0), std::u16string(), false);
    std::u16string text;
    if (!LocalizationManager::Instance().GetFormat("tagQuestItem", text))
        text = LocalizationManager::ToWChar("tagQuestItem");
    lines.emplace_back(static_cast<GameTextClass>(25), text, false);
}

// ---- QuestLocation -----------------------------------------------------------------------

namespace {

template <class Event>
void AnnounceQuestLocation(const QuestLocation& location, const char* eventName)
{
    Event event;
    event.objectName = location.GetObjectName();
    event.objectId = location.GetObjectId();
    EventManager::Get().Send(event, eventName);
}

}  // namespace

QuestLocation::~QuestLocation()
{
    if (gEngine && gEngine->IsEditorMode())
        EditorFilter::Get().Remove(GetObjectId());
    AnnounceQuestLocation<GameEvent_GenericEntityDestroy>(*this, "GameEvent_GenericEntityDestroy");
}

void QuestLocation::Load(const LoadTable& table)
{
    SetMesh(kDefaultMesh);
    Actor::Load(table);
    SetMesh(kDefaultMesh);
    AnnounceQuestLocation<GameEvent_GenericEntitySpawn>(*this, "GameEvent_GenericEntitySpawn");
}

void QuestLocation::InitialUpdate()
{
    Actor::InitialUpdate();
    const bool editor = gEngine && gEngine->IsEditorMode();
    SetVisibility(editor);
    if (editor)
        EditorFilter::Get().Add(GetObjectId(), kEditorFilterType);
    AnnounceQuestLocation<GameEvent_GenericEntityInitialUpdate>(*this, "GameEvent_GenericEntityInitialUpdate");
}

void QuestLocation::UpdateSelf(int elapsedMs)
{
    Actor::UpdateSelf(elapsedMs);
    if (gEngine->IsCharacterDataLogEnabled())
        DebugRender();
}

}  // namespace GAME
