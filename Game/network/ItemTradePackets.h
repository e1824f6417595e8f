// Item, trade, market and teleport packets: creating an item for a player, the steps of
// a trade between two players, buying from and selling to a merchant, refreshing its
// stock, and creating, removing and starting teleports.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Math.h"
#include "Engine/NetPacketFields.h"
#include "Engine/World.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/MarketItemStatus.h"

namespace GAME {

// ---- Items ----------------------------------------------------------------------------

// Sends the whole identity field by field, the base name included, not its compact form.
class CreateItemPacket : public NetPacketOf<CreateItemPacket, 32> {
    GAME_DECLARE_CLASS(CreateItemPacket)

public:
    uint32_t characterId = 0;
    WorldCoords coords;
    ItemReplicaInfo item;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, characterId, "Character ID: ");
        v(Wire::WC, coords, "Coords: ");
        v(Wire::u32, item.objectId, "Item ID: ");
        v(Wire::fn, item.baseName, "Item Name: ");
        v(Wire::fn, item.prefixName, "Prefix: ");
        v(Wire::fn, item.suffixName, "PostFix: ");
        v(Wire::fn, item.relicName, "Relic: ");
        v(Wire::fn, item.relicBonus, "Relic Bonus: ");
        v(Wire::u32, item.seed, "Seed: ");
        v(Wire::u32, item.var1, "Var1: ");
    }
};

// ---- Trade ----------------------------------------------------------------------------

// A trade step that names only the two players.
template <class Derived, NetPacketType Type>
class TradeStepPacket : public NetPacketOf<Derived, Type> {
public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, sender, "Sender: "), (Wire::u32, uint32_t, receiver, "Receiver: "))
};

class TradeInitiatePacket : public TradeStepPacket<TradeInitiatePacket, 38> {
    GAME_DECLARE_CLASS(TradeInitiatePacket)
};

class TradeCancelPacket : public TradeStepPacket<TradeCancelPacket, 39> {
    GAME_DECLARE_CLASS(TradeCancelPacket)
};

class TradeFinalizePacket : public TradeStepPacket<TradeFinalizePacket, 43> {
    GAME_DECLARE_CLASS(TradeFinalizePacket)
};

class TradeSetGoldPacket : public NetPacketOf<TradeSetGoldPacket, 40> {
    GAME_DECLARE_CLASS(TradeSetGoldPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, sender, "Sender: "), (Wire::u32, uint32_t, receiver, "Receiver: "),
                    (Wire::u32, uint32_t, goldAmount, "goldAmount: "))
};

// The base name goes first by itself, because the identity's compact form never
// carries it.
class TradeAddItemPacket : public NetPacketOf<TradeAddItemPacket, 41> {
    GAME_DECLARE_CLASS(TradeAddItemPacket)

public:
    uint32_t sender = 0;
    uint32_t receiver = 0;
    Vec2 placement;
    ItemReplicaInfo item;

    template <class V>
    void Fields(V& v)
    {
        v(Wire::u32, sender, "Sender: ");
        v(Wire::u32, receiver, "Receiver: ");
        v(Wire::r8, placement);
        v(Wire::fn, item.baseName);
        v(Wire::IRI, item);
    }
};

class TradeRemoveItemPacket : public NetPacketOf<TradeRemoveItemPacket, 42> {
    GAME_DECLARE_CLASS(TradeRemoveItemPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, sender, "Sender: "), (Wire::u32, uint32_t, receiver, "Receiver: "),
                    (Wire::u32, uint32_t, itemId, "Item Id: "))
};

// ---- Markets --------------------------------------------------------------------------

inline constexpr Wire::Enum<kLastMarketItemStatus> kMarketStatusField{};

class MarketC2SUpdateRequestPacket : public NetPacketOf<MarketC2SUpdateRequestPacket, 49> {
    GAME_DECLARE_CLASS(MarketC2SUpdateRequestPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, marketId, "Market Id: "))
};

// A client's request about one item of a market's stock, rebuilt from level and seed.
template <class Derived, NetPacketType Type>
class MarketItemRequestPacket : public NetPacketOf<Derived, Type> {
public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, marketId, "Market Id: "), (Wire::u32, uint32_t, level, "Level: "),
                    (Wire::u32, uint32_t, seed, "Seed: "), (Wire::u32, uint32_t, itemIndex, "Item Index: "),
                    (Wire::u32, uint32_t, buyerId, "Buyer Id: "))
};

class MarketC2SSellBackPacket : public MarketItemRequestPacket<MarketC2SSellBackPacket, 50> {
    GAME_DECLARE_CLASS(MarketC2SSellBackPacket)
};

class MarketC2SPurchaseRequestPacket : public MarketItemRequestPacket<MarketC2SPurchaseRequestPacket, 51> {
    GAME_DECLARE_CLASS(MarketC2SPurchaseRequestPacket)
};

class MarketS2CStatusUpdatePacket : public NetPacketOf<MarketS2CStatusUpdatePacket, 52> {
    GAME_DECLARE_CLASS(MarketS2CStatusUpdatePacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, marketId, "Market Id: "), (Wire::u32, uint32_t, itemIndex, "Item Index: "),
                    (kMarketStatusField, MarketItemStatus, status, "Status: "))
};

class MarketS2CPurchaseDeniedPacket : public NetPacketOf<MarketS2CPurchaseDeniedPacket, 53> {
    GAME_DECLARE_CLASS(MarketS2CPurchaseDeniedPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, marketId, "Market Id: "), (Wire::u32, uint32_t, itemIndex, "Item Index: "),
                    (Wire::u32, uint32_t, buyerId, "Buyer Id: "), (kMarketStatusField, MarketItemStatus, status, "Status: "))
};

class MarketS2CPurchaseConfirmationPacket : public NetPacketOf<MarketS2CPurchaseConfirmationPacket, 54> {
    GAME_DECLARE_CLASS(MarketS2CPurchaseConfirmationPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, marketId, "Market Id: "), (Wire::u32, uint32_t, itemIndex, "Item Index: "),
                    (Wire::u32, uint32_t, buyerId, "Buyer Id: "))
};

// Only the indices of sold items travel; the receiver rebuilds the stock from level
// and seed.
class MarketS2CUpdatePacket : public NetPacketOf<MarketS2CUpdatePacket, 55> {
    GAME_DECLARE_CLASS(MarketS2CUpdatePacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, marketId, "Market Id: "), (Wire::fn, std::string, marketName, "Market Name: "),
                    (Wire::u32, uint32_t, level, "Level: "), (Wire::u32, uint32_t, seed, "Seed: "),
                    ((Wire::List{NetCount::Word, Wire::u32, ListLabel{nullptr, "Sold Item Index Size", "  Item Index: "}}),
                     std::vector<uint32_t>, soldIndices))
};

// ---- Teleports ------------------------------------------------------------------------

class CreateItemTeleportPacket : public NetPacketOf<CreateItemTeleportPacket, 44> {
    GAME_DECLARE_CLASS(CreateItemTeleportPacket)

public:
    GAME_NET_FIELDS((Wire::WC, WorldCoords, coords, "Coords: "), (Wire::u32, uint32_t, owner, "Owner: "),
                    (Wire::u32, uint32_t, objectId, "ObjectId: "), (Wire::sr, std::string, sectorTag, "SectorTag: "))
};

class DestroyItemTeleportPacket : public NetPacketOf<DestroyItemTeleportPacket, 45> {
    GAME_DECLARE_CLASS(DestroyItemTeleportPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, objectId, "ObjectId: "))
};

class StartTeleportPacket : public NetPacketOf<StartTeleportPacket, 46> {
    GAME_DECLARE_CLASS(StartTeleportPacket)

public:
    GAME_NET_FIELDS((Wire::u32, uint32_t, playerId, "Player Id: "), (Wire::f32, float, x, "x: "),
                    (Wire::f32, float, y, "y: "), (Wire::f32, float, z, "z: "))

    // The senders name whole-number coordinates; they travel as floats.
    void SetDestination(uint32_t player, int destinationX, int destinationY, int destinationZ);
    // Its player is named so that it follows what is held for the player (the use of the
    // boat that carries it); it never waits for the player itself.
    void CollectObjectIds(std::vector<uint32_t>& ids, bool missingOnly) const override
    {
        if (!missingOnly)
            ids.push_back(playerId);
    }
};

}  // namespace GAME
