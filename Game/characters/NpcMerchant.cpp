#include "Game/characters/NpcMerchant.h"

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/LoadTable.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/quests/DialogPak.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(NpcMerchant, Npc)

MarketMerchantType NpcMerchant::ResolveMerchantType(const std::string& word)
{
    if (word == "Mage")
        return MarketMerchantType_Mage;
    if (word == "Melee")
        return MarketMerchantType_Melee;
    return MarketMerchantType_Generic;
}

const char* NpcMerchant::GetMarkerRecord(MarketMerchantType type)
{
    switch (type) {
    case MarketMerchantType_Mage: return kShieldMage;
    case MarketMerchantType_Melee: return kShieldMelee;
    case MarketMerchantType_Generic: break;
    }
    return kShieldGeneral;
}

// The market record is the entry of the current game difficulty; a record with fewer
// entries gives this merchant no market at that difficulty.
void NpcMerchant::Load(const LoadTable& table)
{
    std::vector<std::string> marketNames;
    table.GetStringArray("marketFileName", marketNames);
    const int difficulty = gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0;
    m_marketFileName.clear();
    if (difficulty >= 0 && static_cast<size_t>(difficulty) < marketNames.size())
        m_marketFileName = marketNames[static_cast<size_t>(difficulty)];
    m_merchantType = ResolveMerchantType(table.GetString("merchantType", ""));
    m_merchantTypeTag = table.GetString("merchantTypeTag", "");
    Npc::Load(table);
    // The world editor shows its own markers.
    if (!gEngine || !gEngine->IsEditorMode())
        AttachPunctuation(GetMarkerRecord(m_merchantType));
}

void NpcMerchant::OnAddToLevel()
{
    Npc::OnAddToLevel();
    if (gGameEngine)
        gGameEngine->CreateMarketClient(GetObjectId());
}

void NpcMerchant::OnRemoveFromLevel()
{
    Npc::OnRemoveFromLevel();
    if (gGameEngine)
        gGameEngine->DestroyMarketClient(GetObjectId());
}

// A player who talked to the merchant a moment ago gets the short greeting.
void NpcMerchant::UpdateSelf(int elapsedMs)
{
    Npc::UpdateSelf(elapsedMs);
    m_wasChatting = IsChatting();
    if (GetConversationTimer() > 0)
        Dialog_Short();
    else
        Dialog_Long();
}

void NpcMerchant::OnPlayerInteract(uint32_t playerId, bool first, bool second)
{
    Npc::OnPlayerInteract(playerId, first, second);
    AddSocialTarget(playerId);
    GameEvent_ActivateNPCMarket activate;
    activate.merchantId = GetObjectId();
    activate.playerId = playerId;
    EventManager::Get().Send(activate, "GameEvent_ActivateNPCMarket");
}

void NpcMerchant::Converse(uint32_t playerId)
{
    const Player* local = GetLocalPlayer();
    DialogPak* pak = GetDialogPak();
    if (!local || local->GetObjectId() != playerId || !pak)
        return;
    pak->Play(0);
    SetConversationTimer(ExactSecondsToMs(pak->GetLength()));
}

void NpcMerchant::Dialog_ReplaceStatic(const char* recordName, Action_UpdateNPCDialog* action, bool)
{
    SetReplacedDialog(action);
    DestroyDialogPak();
    if (MerchantDialogPak* pak = MerchantDialogPak::Spawn(recordName ? recordName : ""))
        SetCurrentDialogPak(pak);
}

void NpcMerchant::Dialog_Short()
{
    SetPakMode(MerchantDialogPak::kSelectorShort);
}

void NpcMerchant::Dialog_Long()
{
    SetPakMode(MerchantDialogPak::kSelectorLong);
}

void NpcMerchant::Dialog_Goodbye()
{
    SetPakMode(MerchantDialogPak::kSelectorGoodbye);
}

MerchantDialogPak* NpcMerchant::GetMerchantPak() const
{
    return DynamicCast<MerchantDialogPak>(GetDialogPak());
}

void NpcMerchant::SetPakMode(int mode)
{
    if (MerchantDialogPak* pak = GetMerchantPak())
        pak->SetDialogSelector(mode);
}

void NpcMerchant::GetMerchantTypeText(std::u16string& text) const
{
    if (!m_merchantTypeTag.empty())
        text += SimpleTagText(m_merchantTypeTag);
}

std::u16string NpcMerchant::GetRolloverDescription() const
{
    std::u16string text = TagTextWithName("SimpleStringFormat", GetGameDescription(false)) + u" - ";
    GetMerchantTypeText(text);
    return text;
}

void NpcMerchant::AppendDetailMapData(std::vector<DetailMapEntry>& entries) const
{
    entries.push_back(DetailMapEntry{kMapEntryMerchant, GetGameDescription(false), GetCoords().GetPosition(),
                                     GetCoords().GetRegionCoords().zAxis});
}

}  // namespace GAME
