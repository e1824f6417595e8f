#include "host/HostTrade.h"
#include "host/HostText.h"

#include <cstdio>

#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/items/TradeManager.h"

namespace GAME {

namespace {

// The other player of the roster; 0 while there is none.
uint32_t TradePartnerOf(GameEngine& engine, uint32_t self)
{
    for (const PlayerNetBasicInfo& record : engine.GetPlayerManagerClient()->GetPlayerInfoCache())
        if (record.playerId != self)
            return record.playerId;
    return 0;
}

}  // namespace

void HostTrade::Start(GameEngine& engine, uint32_t playerId)
{
    m_playerId = playerId;
    m_serving = engine.GetNetworkRole() == NetworkRole::Server;
}

// Every item the player carries (worn or in its bags), how many of them are of the traded
// record, and its gold.
void HostTrade::PrintHoldings(const char* when) const
{
    const Player* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!player)
        return;
    std::vector<uint32_t> carried = player->GetInventory().GetInventoryItems();
    carried.insert(carried.end(), player->GetAttachedItems().begin(), player->GetAttachedItems().end());
    size_t traded = 0;
    for (uint32_t id : carried)
        if (const Item* item = ObjectManager::Get().GetObject<Item>(id); item && EqualsNoCase(item->GetObjectName(), kTradedItemRecord))
            ++traded;
    std::printf("trade: %s: player %u carries %s (%zu of %s) and %u gold\n", when, m_playerId,
                HostCount(carried.size(), "item").c_str(), traded, kTradedItemRecord, player->GetCurrentMoney());
}

void HostTrade::AfterFrame(GameEngine& engine, int frame, bool inviteHeld)
{
    if (m_playerId == 0 || m_ended)
        return;
    Play(engine, frame, inviteHeld);
}

void HostTrade::Play(GameEngine& engine, int frame, bool inviteHeld)
{
    TradeManager& trades = *engine.GetTradeManager();
    Player* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    ControllerPlayer* controller = player ? player->GetPlayerController() : nullptr;
    if (m_serving && !m_begun && frame >= kInviteFrame && !inviteHeld && controller) {
        const uint32_t partner = TradePartnerOf(engine, m_playerId);
        if (partner == 0) {
            std::printf("trade: frame %d: nobody to trade with\n", frame);
            m_ended = true;
            return;
        }
        // The bundled item, made from its identity, goes into the player's inventory, where
        // an offer takes it from (given to the player, it might be worn at once).
        ItemReplicaInfo identity;
        identity.baseName = kTradedItemRecord;
        identity.objectId = ObjectManager::Get().CreateObjectID();
        if (Item* item = Item::CreateItem(identity))
            player->GetInventory().AddItemToInventory(item->GetObjectId(), true);
        PrintHoldings("before");
        m_begun = true;
        std::printf("trade: frame %d: player %u invites player %u\n", frame, m_playerId, partner);
        trades.HandleInitiateTradeOutbound(partner, true);
        return;
    }
    if (!trades.GetIsTradeActive()) {
        if (m_begun && (m_offered || !m_serving)) {
            PrintHoldings("after");
            m_ended = true;
        }
        return;
    }
    if (!m_begun) {
        PrintHoldings("before");
        m_begun = true;
    }
    if (!m_offered) {
        bool offered = false;
        if (m_serving) {
            for (uint32_t id : player ? player->GetInventory().GetInventoryItems() : std::vector<uint32_t>())
                if (const Item* item = ObjectManager::Get().GetObject<Item>(id);
                    item && EqualsNoCase(item->GetObjectName(), kTradedItemRecord)) {
                    offered = trades.HandleAddItemOutbound(Vec2(), id);
                    break;
                }
        } else {
            trades.HandleSetGoldAmountOutbound(kTradedGold);
            offered = true;
        }
        std::printf("trade: frame %d: player %u offers %s: %s\n", frame, m_playerId,
                    m_serving ? kTradedItemRecord : "gold", offered ? "in the window" : "refused");
        m_offered = true;
        return;
    }
    // Each finalizes once the other's offer stands in the window.
    const TradeState& his = trades.GetHisTradeState();
    const bool seen = m_serving ? his.GetGoldAmount() != 0 : !his.GetInventorySack().GetInventory().empty();
    if (seen && !m_finalized) {
        std::printf("trade: frame %d: player %u finalizes\n", frame, m_playerId);
        trades.HandleFinalizeTradeOutbound();
        m_finalized = true;
    }
}

void HostTrade::PrintEnd() const
{
    if (m_begun && !m_ended)
        std::printf("trade: the trade of player %u never ended\n", m_playerId);
}

}  // namespace GAME
