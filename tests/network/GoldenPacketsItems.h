// Golden item, trade, market and teleport packets (the trade's added item is in
// GoldenPackets.h).
#pragma once

#include <vector>

#include "Game/network/ItemTradePackets.h"
#include "tests/network/GoldenPacket.h"

namespace GAME {

inline void AddGoldenItemPackets(std::vector<GoldenPacket>& goldens)
{
    goldens.push_back(Golden<CreateItemPacket>(
        {
            0x20, 0x00,              // type 32
            0x01, 0x00, 0x00, 0x10,  // character 0x10000001
            0x06, 0x00, 0x00, 0x00,  // coordinates: region 6
            0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // x axis
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // y axis
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // z axis
            0x00, 0x00, 0x80, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x41,  // origin 4, 0, 9
            0x45, 0x23, 0x00, 0x00,  // item object 0x2345
            0x09, 0x00, 'S', 'w', 'o', 'r', 'd', '.', 'd', 'b', 'r',  // base record "Sword.dbr"
            0x09, 0x00, 'S', 'h', 'a', 'r', 'p', '.', 'd', 'b', 'r',  // prefix "Sharp.dbr"
            0x00, 0x00,              // no suffix, still sent
            0x07, 0x00, 'G', 'e', 'm', '.', 'd', 'b', 'r',  // relic "Gem.dbr"
            0x00, 0x00,              // no relic bonus, still sent
            0x70, 0x11, 0x01, 0x00,  // seed 70000, all 32 bits
            0x03, 0x00, 0x00, 0x00,  // var1 3
        },
        {{62, 2}, {73, 2}, {84, 2}, {86, 2}, {95, 2}}, [](CreateItemPacket& p) {
            p.characterId = 0x10000001;
            p.coords = GoldenFrame(6, Coords::MakeTranslation(Vec3(4, 0, 9)));
            p.item = {0x2345, "Sword.dbr", "Sharp.dbr", "", "Gem.dbr", "", 70000, 3};
        }));

    // sender, receiver
    goldens.push_back(GoldenWords<TradeInitiatePacket>(
        38, {0x10000001, 0x20000002}, [](TradeInitiatePacket& p) {
            p.sender = 0x10000001;
            p.receiver = 0x20000002;
        }));

    // sender, receiver
    goldens.push_back(GoldenWords<TradeCancelPacket>(
        39, {0x20000002, 0x10000001}, [](TradeCancelPacket& p) {
            p.sender = 0x20000002;
            p.receiver = 0x10000001;
        }));

    // sender, receiver, gold
    goldens.push_back(GoldenWords<TradeSetGoldPacket>(
        40, {0x10000001, 0x20000002, 1500}, [](TradeSetGoldPacket& p) {
            p.sender = 0x10000001;
            p.receiver = 0x20000002;
            p.goldAmount = 1500;
        }));

    // sender, receiver, item
    goldens.push_back(GoldenWords<TradeRemoveItemPacket>(
        42, {0x20000002, 0x10000001, 0x345}, [](TradeRemoveItemPacket& p) {
            p.sender = 0x20000002;
            p.receiver = 0x10000001;
            p.itemId = 0x345;
        }));

    // sender, receiver
    goldens.push_back(GoldenWords<TradeFinalizePacket>(
        43, {0x30000003, 0x10000001}, [](TradeFinalizePacket& p) {
            p.sender = 0x30000003;
            p.receiver = 0x10000001;
        }));

    goldens.push_back(Golden<CreateItemTeleportPacket>(
        {
            0x2C, 0x00,              // type 44
            0x02, 0x00, 0x00, 0x00,  // coordinates: region 2
            0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,  // x axis
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x00,  // y axis
            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x3F,  // z axis
            0x00, 0x00, 0x20, 0x41, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0xC0,  // origin 10, 0, -4
            0x01, 0x00, 0x00, 0x10,  // owner 0x10000001
            0x78, 0x56, 0x00, 0x00,  // object 0x5678
            0x07, 0x00, 'S', 'e', 'c', 't', 'o', 'r', 'A',  // sector tag "SectorA"
        },
        {{62, 2}}, [](CreateItemTeleportPacket& p) {
            p.coords = GoldenFrame(2, Coords::MakeTranslation(Vec3(10, 0, -4)));
            p.owner = 0x10000001;
            p.objectId = 0x5678;
            p.sectorTag = "SectorA";
        }));

    // object
    goldens.push_back(GoldenWords<DestroyItemTeleportPacket>(
        45, {0x5678}, [](DestroyItemTeleportPacket& p) { p.objectId = 0x5678; }));

    goldens.push_back(Golden<StartTeleportPacket>(
        {
            0x2E, 0x00,              // type 46
            0x02, 0x00, 0x00, 0x20,  // player 0x20000002
            0x00, 0x00, 0x40, 0x40,  // x 3.0
            0x00, 0x00, 0x80, 0xC0,  // y -4.0
            0x00, 0x00, 0xA0, 0x40,  // z 5.0
        },
        {}, [](StartTeleportPacket& p) { p.SetDestination(0x20000002, 3, -4, 5); }));

    // market
    goldens.push_back(GoldenWords<MarketC2SUpdateRequestPacket>(
        49, {0x4001}, [](MarketC2SUpdateRequestPacket& p) { p.marketId = 0x4001; }));

    // market, level, seed, item index, buyer
    goldens.push_back(GoldenWords<MarketC2SSellBackPacket>(
        50, {0x4001, 12, 999, 5, 0x20000002}, [](MarketC2SSellBackPacket& p) {
            p.marketId = 0x4001;
            p.level = 12;
            p.seed = 999;
            p.itemIndex = 5;
            p.buyerId = 0x20000002;
        }));

    // market, level, seed, item index, buyer
    goldens.push_back(GoldenWords<MarketC2SPurchaseRequestPacket>(
        51, {0x4002, 30, 4711, 2, 0x10000001}, [](MarketC2SPurchaseRequestPacket& p) {
            p.marketId = 0x4002;
            p.level = 30;
            p.seed = 4711;
            p.itemIndex = 2;
            p.buyerId = 0x10000001;
        }));

    // market; item index; status, purchase pending
    goldens.push_back(GoldenWords<MarketS2CStatusUpdatePacket>(
        52, {0x4001, 7, 2}, [](MarketS2CStatusUpdatePacket& p) {
            p.marketId = 0x4001;
            p.itemIndex = 7;
            p.status = MarketItemStatus_PurchasePending;
        }));

    // market; item index; buyer; status, sold
    goldens.push_back(GoldenWords<MarketS2CPurchaseDeniedPacket>(
        53, {0x4003, 1, 0x20000002, 3}, [](MarketS2CPurchaseDeniedPacket& p) {
            p.marketId = 0x4003;
            p.itemIndex = 1;
            p.buyerId = 0x20000002;
            p.status = MarketItemStatus_Sold;
        }));

    // market, item index, buyer
    goldens.push_back(GoldenWords<MarketS2CPurchaseConfirmationPacket>(
        54, {0x4001, 4, 0x10000001}, [](MarketS2CPurchaseConfirmationPacket& p) {
            p.marketId = 0x4001;
            p.itemIndex = 4;
            p.buyerId = 0x10000001;
        }));

    goldens.push_back(Golden<MarketS2CUpdatePacket>(
        {
            0x37, 0x00,              // type 55
            0x01, 0x40, 0x00, 0x00,  // market 0x4001
            0x08, 0x00, 'S', 'h', 'o', 'p', '.', 'd', 'b', 'r',  // market record "Shop.dbr"
            0x0F, 0x00, 0x00, 0x00,  // level 15
            0x4D, 0x00, 0x00, 0x00,  // seed 77
            0x02, 0x00, 0x00, 0x00,  // 2 sold item indices
            0x03, 0x00, 0x00, 0x00,  //   3
            0x09, 0x00, 0x00, 0x00,  //   9
        },
        {{6, 2}, {24, 4}}, [](MarketS2CUpdatePacket& p) {
            p.marketId = 0x4001;
            p.marketName = "Shop.dbr";
            p.level = 15;
            p.seed = 77;
            p.soldIndices = {3, 9};
        }));
}

}  // namespace GAME
