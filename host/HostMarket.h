// The merchant of the bundled run. In a single process, after the fight a merchant stands
// beside the player: the game runs until the merchant's stock is built, the player talks
// to the merchant and the console opens the shop, prints its pages with their prices,
// buys an item of the shared stock (the market server's verdict answers), is refused the
// same item again, sells it back at the price paid, sells an item of its own, which lands
// on the buy-back page, and buys that back, the player's money printed after each step.
//
// On the network both hosts place the merchant the level holds, under one id: each prints
// the shared stock it built from the server's key once it is complete ("net: market"
// lines, alike on both sides), the client buys one item of it, and both print the
// server's verdict as it travels. A verdict answers a purchase of the stock the key built,
// so each host prints it after that stock: the server, whose own stock may still be
// building when a quick client's purchase arrives, holds it until its stock is shown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace GAME {

class GameEngine;
class HostShopWindow;
class MarketClient;
class NpcMerchant;
class Player;

class HostMarket {
public:
    HostMarket();
    ~HostMarket();

    static constexpr const char* kMerchantRecord = "Records/Creatures/Merchant.dbr";
    // The id the level gives its merchant on every host: one of the server's range that
    // its own objects do not reach.
    static constexpr uint32_t kMerchantId = 0x0ABC0001;
    // The stock item the client buys on the network, with the gold its player brings.
    static constexpr uint32_t kNetPurchaseIndex = 2;
    static constexpr uint32_t kNetPurse = 5000;
    // A server whose frames run behind the client's may not have built the item yet when
    // the client asks: it refuses, the item still on sale, and the player asks again, at
    // most this many times.
    static constexpr int kNetPurchaseAsksAgain = 20;

    // The single process's visit, after the frames: runs `stepMs` game frames until the
    // stock is built (bounded), then shops. Nothing without the player.
    static void Run(GameEngine& engine, uint32_t playerId, int stepMs);

    // Scripted clicks in a single process: the merchant comes beside the player once the
    // monster of the fight is down, and the shop opens when the player's controller talks
    // to it (a click on it).
    void StartClicked(GameEngine& engine, uint32_t playerId, uint32_t monsterId);
    // After each frame: the merchant's coming; once the clicks opened the shop, the console
    // shops in it as in the visit above (once).
    void AfterFrameClicked(GameEngine& engine, int frame);

    // Scripted clicks in a single process, once the shop was visited: the player hands the
    // merchant the first item it carries made from `record` (its loot) and is paid for it.
    // False (printed) when there is no such item or no merchant.
    bool SellCarried(GameEngine& engine, int frame, const std::string& record);

    // On the network, at the start: the merchant takes its place in the level; a client's
    // player brings gold.
    void Start(GameEngine& engine, uint32_t playerId);
    // On the network, after each frame: the stock once it is built, then the verdicts
    // held for it; the client's purchase.
    void AfterFrame(GameEngine& engine, int frame);
    // A packet as it travels (sent by the server or received by the client): the verdict
    // on a purchase, one line alike on both sides, printed now or once the stock is shown.
    void Travelled(const unsigned char* data, size_t size);
    // Prints the verdicts held: once the stock is shown, and after the frames (when the
    // stock never came to be shown).
    void PrintHeld();

private:
    uint32_t m_playerId = 0;
    bool m_placed = false;
    bool m_stockShown = false;
    bool m_asked = false;
    bool m_refusedOnSale = false;   // the last verdict on the client's own asking
    int m_askedAgain = 0;
    std::vector<std::string> m_heldVerdicts;
    uint32_t m_monsterId = 0;
    std::unique_ptr<HostShopWindow> m_window;   // the shop the clicks open
    bool m_visited = false;
};

}  // namespace GAME
