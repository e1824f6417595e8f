#include "Game/items/CursorHandlerRelicCombine.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/core/GameEngine.h"
#include "Game/items/EquipmentCtrl.h"
#include "Game/items/ItemRelic.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/quests/DialogManager.h"

namespace GAME {

CursorHandlerRelicCombine::CursorHandlerRelicCombine()
{
    if (!gGameEngine)
        return;
    const std::string sound = gGameEngine->GetDatabase().GetString("relicCursorActivationSound", "");
    if (!sound.empty())
        m_activationSound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(sound);
}

ItemRelic* CursorHandlerRelicCombine::GetRelic()
{
    ItemRelic* relic = ObjectManager::Get().GetObject<ItemRelic>(m_relic);
    if (!relic)
        m_relic = 0;
    return relic;
}

void CursorHandlerRelicCombine::CreateBitmap()
{
    m_bitmap.reset();
    if (ItemRelic* relic = ObjectManager::Get().GetObject<ItemRelic>(m_relic))
        if (const Texture* art = relic->GetBitmap(); art && !art->GetName().empty())
            m_bitmap = std::make_unique<Texture>(art->GetName());
}

void CursorHandlerRelicCombine::SetId(uint32_t relicId)
{
    m_relic = relicId;
    CreateBitmap();
    if (gGameEngine)
        gGameEngine->UnlockTutorialPage(kTutorialPage, true);
}

void CursorHandlerRelicCombine::SetEquipId(EquipmentCtrlLocation, uint32_t relicId)
{
    m_relic = relicId;
    CreateBitmap();
}

void CursorHandlerRelicCombine::Render(GraphicsCanvas& canvas) const
{
    if (m_pendingTarget != 0 || !ObjectManager::Get().GetObject<ItemRelic>(m_relic))
        return;
    RenderTexture(canvas, m_bitmap.get(), false);
}

bool CursorHandlerRelicCombine::Cancel()
{
    m_relic = 0;
    m_pendingTarget = 0;
    return true;
}

bool CursorHandlerRelicCombine::Escape()
{
    if (m_pendingTarget != 0)
        return false;
    Cancel();
    return true;
}

void CursorHandlerRelicCombine::Update()
{
    if (m_pendingTarget == 0 || !gGameEngine)
        return;
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    if (dialogs.GetNumResponsesFor(DialogParty::kRelicCombine) < 1)
        return;
    if (dialogs.GetResponseFor(DialogParty::kRelicCombine).answer)
        if (ControllerPlayer* controller = GetPlayerCtrl())
            controller->UseRelic(m_relic, m_pendingTarget);
    Cancel();
}

bool CursorHandlerRelicCombine::ApplyTo(uint32_t targetId, bool refuseSelf)
{
    ItemRelic* relic = GetRelic();
    if (!relic)
        return false;
    Entity* target = ObjectManager::Get().GetObject<Entity>(targetId);
    if ((refuseSelf && targetId == m_relic) || !target) {
        m_relic = 0;
        return false;
    }
    bool needsConfirmation = false;
    if (!relic->CanRelicBeUsedOn(target, needsConfirmation))
        return false;
    if (needsConfirmation) {
        if (gGameEngine)
            gGameEngine->GetDialogManager().AddDialog(kDialogTypeYesNo, false, DialogParty::kRelicCombine,
                                                      std::string(kConfirmTag), false, 0u, false);
        m_pendingTarget = targetId;
        return true;
    }
    if (ControllerPlayer* controller = GetPlayerCtrl())
        controller->UseRelic(m_relic, targetId);
    Cancel();
    return true;
}

uint32_t CursorHandlerRelicCombine::ItemUnderCursor() const
{
    const PlayerInventoryCtrl* inventory = GetInventoryCtrl();
    return inventory ? inventory->GetItemUnderPoint(GetRelativePosition(), -1) : 0;
}

bool CursorHandlerRelicCombine::PrimaryInventoryActivate()
{
    if (!GetRelic())
        return false;
    return ApplyTo(ItemUnderCursor(), true);
}

bool CursorHandlerRelicCombine::PrimaryEquipActivate(EquipmentCtrlLocation location)
{
    const EquipmentCtrl* equipment = GetEquipmentCtrl();
    return ApplyTo(equipment ? equipment->GetItem(location) : 0, false);
}

bool CursorHandlerRelicCombine::IsEquipConflict(EquipmentCtrlLocation location, bool&)
{
    ItemRelic* relic = GetRelic();
    const EquipmentCtrl* equipment = GetEquipmentCtrl();
    if (!relic || !equipment)
        return true;
    bool ontoItem = false;
    return !relic->CanRelicBeUsedOn(ObjectManager::Get().GetObject<Entity>(equipment->GetItem(location)), ontoItem);
}

void CursorHandlerRelicCombine::GetInventoryHighlights(std::vector<Rect>& good, std::vector<Rect>& neutral,
                                                       std::vector<Rect>& bad, uint32_t& itemUnderCursor)
{
    itemUnderCursor = ItemUnderCursor();
    const PlayerInventoryCtrl* inventory = GetInventoryCtrl();
    ItemRelic* relic = GetRelic();
    if (!inventory || !relic)
        return;
    const auto& sack = inventory->GetInventoryInSack(-1);
    if (const auto own = sack.find(m_relic); own != sack.end())
        neutral.push_back(own->second);
    const auto under = sack.find(itemUnderCursor);
    Entity* target = ObjectManager::Get().GetObject<Entity>(itemUnderCursor);
    if (itemUnderCursor == m_relic || under == sack.end() || !target)
        return;
    bool ontoItem = false;
    (relic->CanRelicBeUsedOn(target, ontoItem) ? good : bad).push_back(under->second);
}

}  // namespace GAME
